#include "threads/bounded_call.h"

#include "threads/module_threads.h"

std::shared_ptr<BoundedCall> BoundedCall::Start(std::function<void()> body) {
  const std::shared_ptr<BoundedCall> call(new BoundedCall());
  const bool started = ModuleThreads::Start([call, body = std::move(body)] {
    body();
    std::lock_guard<std::mutex> lock(call->mutex_);
    call->done_ = true;
    call->ended_.notify_all();
  });
  return started ? call : nullptr;
}

bool BoundedCall::AwaitUntil(Clock::time_point deadline) {
  std::unique_lock<std::mutex> lock(mutex_);
  return ended_.wait_until(lock, deadline, [this] { return done_; });
}

void BoundedCall::AwaitEnd() {
  std::unique_lock<std::mutex> lock(mutex_);
  ended_.wait(lock, [this] { return done_; });
}

bool BoundedCall::Ended() {
  std::lock_guard<std::mutex> lock(mutex_);
  return done_;
}
