#include "device/sensor_wait_state.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "device/module_threads.h"
#include "platform/biometric_service.h"
#include "platform/platform.h"

namespace {

// Every reader's state that somebody still holds, by device instance id.
struct StateRegistry {
  std::mutex mutex;
  std::map<std::u16string, std::weak_ptr<SensorWaitState>> states;
};

StateRegistry& Registry() {
  static StateRegistry registry;
  return registry;
}

}  // namespace

SensorWaitState::~SensorWaitState() {
  if (const WINBIO_SESSION_HANDLE handle = session.load()) platform::biometric().CloseSession(handle);
}

std::shared_ptr<SensorWaitState> SensorWaitState::ForReader(const std::u16string& instanceId) {
  // A reader without an id cannot be told from another: it gets a state of its own.
  if (instanceId.empty()) return std::make_shared<SensorWaitState>();
  StateRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  for (auto it = registry.states.begin(); it != registry.states.end();)
    it = it->second.expired() ? registry.states.erase(it) : std::next(it);
  std::weak_ptr<SensorWaitState>& slot = registry.states[instanceId];
  std::shared_ptr<SensorWaitState> state = slot.lock();
  if (!state) {
    state = std::make_shared<SensorWaitState>();
    slot = state;
  }
  return state;
}

bool SensorWaitState::AnyStuck() {
  StateRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  return std::any_of(registry.states.begin(), registry.states.end(), [](const auto& entry) {
    const std::shared_ptr<SensorWaitState> state = entry.second.lock();
    return state && state->IsStuck();
  });
}

void SensorWaitState::Begin() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++inProgress_;
}

bool SensorWaitState::TryBegin() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (abandoned_.load() || cancelRequested.load()) return false;
  ++inProgress_;
  return true;
}

void SensorWaitState::Finish() {
  bool closeLeftSession = false;
  {
    // Under the mutex, so that a waiter, which tests the counter while
    // holding it, cannot miss the last wake-up.
    std::lock_guard<std::mutex> lock(mutex_);
    --inProgress_;
    if (inProgress_ == 0) {
      cancelledAt_.reset();
      limitAt_.reset();
    }
    closeLeftSession = inProgress_ == 0 && abandoned_.load();
    condition_.notify_all();
  }
  if (!closeLeftSession) return;
  // The last call the module gave up on has returned: nobody else will close
  // its session, and the reader may be used again, without the flags of the
  // run that gave it up (the next run's reset skipped them).
  if (const WINBIO_SESSION_HANDLE handle = session.exchange(0)) platform::biometric().CloseSession(handle);
  std::lock_guard<std::mutex> lock(mutex_);
  if (inProgress_ != 0) return;
  cancelRequested.store(false);
  located.store(false);
  abandoned_.store(false);
}

void SensorWaitState::SetLimit(Clock::time_point limit) {
  std::lock_guard<std::mutex> lock(mutex_);
  limitAt_ = limit;
}

void SensorWaitState::Cancel(bool requested) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (requested) cancelRequested.store(true);
  if (!cancelledAt_) cancelledAt_ = Clock::now();
}

std::optional<SensorWaitState::Clock::time_point> SensorWaitState::GiveUpAtLocked(
    uint32_t graceMilliseconds) const {
  if (inProgress_ == 0) return std::nullopt;
  std::optional<Clock::time_point> from = cancelledAt_;
  if (limitAt_ && (!from || *limitAt_ < *from)) from = limitAt_;
  if (!from) return std::nullopt;
  return *from + std::chrono::milliseconds(graceMilliseconds);
}

std::optional<SensorWaitState::Clock::time_point> SensorWaitState::GiveUpAt(uint32_t graceMilliseconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  return GiveUpAtLocked(graceMilliseconds);
}

bool SensorWaitState::AwaitCancelled(uint32_t graceMilliseconds, Clock::time_point* graceEnd) {
  std::unique_lock<std::mutex> lock(mutex_);
  *graceEnd =
      GiveUpAtLocked(graceMilliseconds).value_or(Clock::now() + std::chrono::milliseconds(graceMilliseconds));
  return GiveUpUnlessEnded(lock, *graceEnd);
}

bool SensorWaitState::AwaitOperations(uint32_t milliseconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  return GiveUpUnlessEnded(lock, Clock::now() + std::chrono::milliseconds(milliseconds));
}

bool SensorWaitState::GiveUpUnlessEnded(std::unique_lock<std::mutex>& lock, Clock::time_point deadline) {
  if (condition_.wait_until(lock, deadline, [this] { return inProgress_ == 0; })) return true;
  abandoned_.store(true);
  ModuleThreads::Pin();
  return false;
}

void SensorWaitState::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (IsStuck()) return;
  cancelRequested.store(false);
  located.store(false);
}
