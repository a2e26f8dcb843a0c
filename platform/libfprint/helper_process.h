#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

#include "platform/libfprint/helper_protocol.h"

namespace platform::libfprint {

// One run of the helper process (fingerprint-libfprint-helper) and the
// module's side of its socket. Any thread may send requests and wait for
// their answers; a thread of its own starts the helper, reads the answers and
// reaps the helper when it ends. A helper that misses a request's deadline is
// ended (SIGTERM, SIGKILL after a short grace); a helper that ends fails every
// request still waiting and says on standard error how it ended and what it
// was doing.
class HelperProcess {
 public:
  using Clock = std::chrono::steady_clock;
  // Variables set (or replaced) in the helper's environment.
  using Environment = std::map<std::string, std::string>;

  // Starts the helper at `path`; nothing (with a message on standard error)
  // if it cannot be started.
  static std::shared_ptr<HelperProcess> Start(const std::string& path, const Environment& environment = {});
  // Closes the helper's input, which ends it, and waits a bounded time for
  // its end (ending it if it lingers).
  ~HelperProcess();
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;

  // Sends a request; `doing` names it in messages ("listing readers"), and
  // `limit` is how long it may take (none: until it is shortened). The answer
  // is awaited with Await. 0: it could not be sent (the helper has ended).
  uint64_t Request(const std::string& verb, const std::string& argument, const char* doing,
                   std::optional<std::chrono::milliseconds> limit);
  // The answer; nothing when the helper ended or missed the deadline (then
  // it is ended).
  std::optional<protocol::Answer> Await(uint64_t id);
  // Ends the helper now, as one that stopped answering: `how` says what it
  // did not do ("did not answer in time while waiting for a finger"). Its
  // pending requests fail. Returns at once.
  void End(const std::string& how);
  // Sends a request that has no answer.
  void Notify(const std::string& verb, const std::string& argument);
  bool Ended() const;
  // How the helper ended ("ended by signal 5 (Trace/breakpoint trap) while
  // listing readers", "did not answer within 10000 ms while ...", or what End
  // was told); empty
  // while it runs or when its owner ended it.
  std::string HowItEnded() const;

 private:
  class Channel;

  HelperProcess(std::shared_ptr<Channel> channel, std::thread receiver);

  // Shared with the receiver thread, which may outlive this object when the
  // helper cannot be reaped in time.
  const std::shared_ptr<Channel> channel_;
  std::thread receiver_;
};

}  // namespace platform::libfprint
