#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/biometric_service.h"

// The one door through which the module calls a service that may never
// answer: a reader's calls, or the biometric service's listing. Whoever
// calls, the call runs on a thread of ModuleThreads while its caller waits
// for it within a bound: the grace (kGrace) after the call's limit, or after
// its first cancellation if that comes first. One call is in flight at a time, so
// a service that hangs holds one thread, never a pile of them.
//
// A call that outlives its bound is given up on: the gate is stuck until the
// call returns, later calls are refused at once (a caller gives up once, not
// once per call), and the module is pinned, since the call's thread runs its
// code when it finally returns. The call owns what it touches.
class ServiceGate : public std::enable_shared_from_this<ServiceGate> {
 public:
  using Clock = std::chrono::steady_clock;

  // The time a call is allowed after its limit or its cancellation.
  static constexpr std::chrono::milliseconds kGrace{platform::kCancelGraceMilliseconds};

  enum class Result {
    kReturned,  // made, and returned within its bound
    kGivenUp,   // made, and given up on: the gate is stuck until it returns
    kStuck,     // not made: a call given up on earlier has not returned yet
    kBusy,      // not made: the call before it was still within its own bound when this one's ran out
    kSkipped,   // not made: its caller no longer wanted it when its turn came
    kNoThread,  // not made: no thread could be had
  };

  struct Call {
    std::function<void()> body;
    Clock::time_point limit;  // the call is given up kGrace after it, or after its first cancellation
    // Asked as the call's turn comes; true: it is not made. May be empty.
    std::function<bool()> skip;
    // Run once by whoever gives the call up, as it does. May be empty.
    std::function<void()> givenUp;
    // Run by the call's own thread when it returns after having been given
    // up on, while the gate is still held. May be empty.
    std::function<void()> lateReturn;
  };

  static std::shared_ptr<ServiceGate> Create();
  ServiceGate(const ServiceGate&) = delete;
  ServiceGate& operator=(const ServiceGate&) = delete;

  // Makes the call once no other is in flight: the one before it is waited
  // for within this one's bound.
  Result Make(Call call);
  // Notes a cancellation of the call in flight, if any: its bound runs from
  // the first one, when that is earlier than its limit.
  void Cancel();
  // Waits for the call in flight to end within its bound, and gives it up
  // when that runs out. False when the gate is stuck. `bound` receives the
  // bound of the call waited for, or kGrace from now when none was.
  bool AwaitIdle(Clock::time_point* bound);
  bool IsStuck() const;
  // Whether a call of any gate has been given up on and not returned yet.
  static bool AnyStuck();

 private:
  struct Turn {
    uint64_t id = 0;
    Clock::time_point limit;
    std::optional<Clock::time_point> cancelledAt;
    std::function<void()> givenUp;
  };

  ServiceGate() = default;
  // When the call in flight is due to be given up on.
  Clock::time_point DueLocked() const;
  // Gives the call in flight up; returns what is to be run once the lock is let go.
  std::function<void()> GiveUpLocked();
  static void AfterGivingUp(const std::function<void()>& givenUp);
  // The end of turn `id`, on its thread.
  void End(uint64_t id, const std::function<void()>& lateReturn);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<Turn> turn_;  // the call in flight
  uint64_t turns_ = 0;
  bool stuck_ = false;  // turn_ has been given up on
};
