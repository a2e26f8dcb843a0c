#pragma once

#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include <QString>

namespace platform::fprintd {

// Where fprintd's signals arrive. Qt's D-Bus delivers a signal to an object
// in a thread that runs a Qt event loop, which none of the module's other
// threads do; so a thread of its own runs one, and hands each signal to the
// handler there. Nothing of it stays connected or running once it goes.
class FprintdSignals {
 public:
  struct Event {
    enum Kind {
      VerifyStatus,   // a verification's result: `result`, such as "verify-match"
      FingerPresent,  // the device reports a finger on the sensor
      Vanished,       // fprintd left the bus (or another daemon took its name): its claims are gone
    } kind;
    QString device;  // the device's object path; empty for Vanished
    QString result;
  };
  using Handler = std::function<void(const Event&)>;

  // Listens on the named D-Bus connection for fprintd leaving the bus.
  FprintdSignals(const QString& connectionName, Handler handler);
  // Cuts every subscription, then ends the thread, waiting a bounded time;
  // a thread that does not end in it keeps the module pinned.
  ~FprintdSignals();
  FprintdSignals(const FprintdSignals&) = delete;
  FprintdSignals& operator=(const FprintdSignals&) = delete;

  // Listens to the device's verification results and finger reports too.
  void Watch(const QString& devicePath);

  class Receiver;

 private:
  void Run(std::promise<Receiver*> started);

  const QString connectionName_;
  const Handler handler_;
  std::mutex mutex_;
  std::set<QString> watched_;
  Receiver* receiver_ = nullptr;  // lives on, and dies in, the thread
  std::promise<void> ended_;
  std::thread thread_;
};

}  // namespace platform::fprintd
