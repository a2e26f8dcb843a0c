#include "device/sensor_wait_state.h"

#include <chrono>
#include <mutex>

#include "platform/biometric_service.h"
#include "platform/platform.h"
#include "platform/system.h"

namespace {

// A thread left in a call that never returned runs this module's code when
// the call finally returns, so the module must stay loaded even when the
// host unloads it.
void PinThisModule() {
  static std::once_flag pinned;
  static const char anchor = 0;
  std::call_once(pinned, [] { platform::system().PinModule(&anchor); });
}

}  // namespace

SensorWaitState::~SensorWaitState() {
  if (const WINBIO_SESSION_HANDLE handle = session.load()) platform::biometric().CloseSession(handle);
}

void SensorWaitState::Begin() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++inProgress_;
}

void SensorWaitState::Finish() {
  bool closeLeftSession = false;
  {
    // Under the mutex, so that CancelAndWait, which tests the counter while
    // holding it, cannot miss the last wake-up.
    std::lock_guard<std::mutex> lock(mutex_);
    --inProgress_;
    if (inProgress_ == 0) cancelledAt_.reset();
    closeLeftSession = inProgress_ == 0 && abandoned_.load();
    condition_.notify_all();
  }
  if (!closeLeftSession) return;
  // The last call the module gave up on has returned: nobody else will close
  // its session, and the reader may be used again.
  if (const WINBIO_SESSION_HANDLE handle = session.exchange(0)) platform::biometric().CloseSession(handle);
  abandoned_.store(false);
}

void SensorWaitState::Cancel(bool requested) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (requested) cancelRequested.store(true);
  if (!cancelledAt_) cancelledAt_ = std::chrono::steady_clock::now();
}

bool SensorWaitState::AwaitCancelled(uint32_t graceMilliseconds,
                                     std::chrono::steady_clock::time_point* graceEnd) {
  std::unique_lock<std::mutex> lock(mutex_);
  *graceEnd =
      cancelledAt_.value_or(std::chrono::steady_clock::now()) + std::chrono::milliseconds(graceMilliseconds);
  return GiveUpUnlessEnded(lock, *graceEnd);
}

bool SensorWaitState::AwaitOperations(uint32_t milliseconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  return GiveUpUnlessEnded(lock, std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds));
}

bool SensorWaitState::GiveUpUnlessEnded(std::unique_lock<std::mutex>& lock,
                                        std::chrono::steady_clock::time_point deadline) {
  if (condition_.wait_until(lock, deadline, [this] { return inProgress_ == 0; })) return true;
  abandoned_.store(true);
  PinThisModule();
  return false;
}

void SensorWaitState::Reset() {
  if (IsStuck()) return;
  cancelRequested.store(false);
  located.store(false);
}
