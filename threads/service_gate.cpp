#include "threads/service_gate.h"

#include <algorithm>
#include <atomic>

#include "threads/bounded_call.h"
#include "threads/module_threads.h"

namespace {

// Gates with a call given up on: while there is one, a release does not wait
// for the module's threads, whose last one will not end soon.
std::atomic<int> g_stuckGates{0};

}  // namespace

std::shared_ptr<ServiceGate> ServiceGate::Create() {
  return std::shared_ptr<ServiceGate>(new ServiceGate());
}

ServiceGate::Clock::time_point ServiceGate::DueLocked() const {
  const Clock::time_point from =
      turn_->cancelledAt ? std::min(turn_->limit, *turn_->cancelledAt) : turn_->limit;
  return from + kGrace;
}

std::function<void()> ServiceGate::GiveUpLocked() {
  stuck_ = true;
  g_stuckGates.fetch_add(1);
  changed_.notify_all();
  return turn_->givenUp;
}

void ServiceGate::AfterGivingUp(const std::function<void()>& givenUp) {
  ModuleThreads::Pin();
  if (givenUp) givenUp();
}

ServiceGate::Result ServiceGate::Make(Call call) {
  const Clock::time_point ownBound = call.limit + kGrace;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    if (stuck_) return Result::kStuck;
    if (!turn_) break;
    if (Clock::now() >= DueLocked()) {
      // The call in flight has run out its own bound, and its caller has not
      // woken yet to say so.
      const std::function<void()> givenUp = GiveUpLocked();
      lock.unlock();
      AfterGivingUp(givenUp);
      return Result::kStuck;
    }
    if (Clock::now() >= ownBound) return Result::kBusy;
    changed_.wait_until(lock, std::min(ownBound, DueLocked()));
  }
  if (call.skip && call.skip()) return Result::kSkipped;
  const uint64_t id = ++turns_;
  turn_ = Turn{id, call.limit, std::nullopt, std::move(call.givenUp)};
  lock.unlock();

  const bool started = BoundedCall::Start([self = shared_from_this(), id, body = std::move(call.body),
                                           lateReturn = std::move(call.lateReturn)] {
                         body();
                         self->End(id, lateReturn);
                       }) != nullptr;

  lock.lock();
  if (!started) {
    turn_.reset();
    changed_.notify_all();
    return Result::kNoThread;
  }
  for (;;) {
    if (!turn_ || turn_->id != id) return Result::kReturned;
    if (stuck_) return Result::kGivenUp;  // by another caller waiting for it
    const Clock::time_point due = DueLocked();
    if (Clock::now() >= due) {
      const std::function<void()> givenUp = GiveUpLocked();
      lock.unlock();
      AfterGivingUp(givenUp);
      return Result::kGivenUp;
    }
    changed_.wait_until(lock, due);
  }
}

void ServiceGate::End(uint64_t id, const std::function<void()>& lateReturn) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (stuck_ && turn_ && turn_->id == id) {
    // Returned after all: what it leaves is cleaned up before anybody else
    // may call through the gate again.
    lock.unlock();
    if (lateReturn) lateReturn();
    lock.lock();
    stuck_ = false;
    g_stuckGates.fetch_sub(1);
  }
  turn_.reset();
  changed_.notify_all();
}

void ServiceGate::Cancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!turn_ || turn_->cancelledAt) return;
  turn_->cancelledAt = Clock::now();
  changed_.notify_all();
}

bool ServiceGate::AwaitIdle(Clock::time_point* bound) {
  std::unique_lock<std::mutex> lock(mutex_);
  *bound = Clock::now() + kGrace;
  for (;;) {
    if (stuck_) return false;
    if (!turn_) return true;
    *bound = DueLocked();
    if (Clock::now() >= *bound) {
      const std::function<void()> givenUp = GiveUpLocked();
      lock.unlock();
      AfterGivingUp(givenUp);
      return false;
    }
    changed_.wait_until(lock, *bound);
  }
}

bool ServiceGate::IsStuck() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stuck_;
}

bool ServiceGate::AnyStuck() {
  return g_stuckGates.load() > 0;
}
