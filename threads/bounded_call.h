#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

// A body run on a thread of ModuleThreads, whose end its starter can wait for
// with a bound, or look for, without ever being tied to it: the body owns
// what it touches, so it may end long after every waiter has given up.
class BoundedCall {
 public:
  using Clock = std::chrono::steady_clock;

  // Null when no thread could be had; `body` has then not run.
  static std::shared_ptr<BoundedCall> Start(std::function<void()> body);

  // Waits until the body has ended, at most until `deadline`; true when it has.
  bool AwaitUntil(Clock::time_point deadline);
  // Waits for the end without a bound: only on a module thread, which may be
  // left waiting for a service that never answers, never on the host's.
  void AwaitEnd();
  bool Ended();

 private:
  BoundedCall() = default;

  std::mutex mutex_;
  std::condition_variable ended_;
  bool done_ = false;
};
