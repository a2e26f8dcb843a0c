#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

#include "platform/winbio_types.h"

// What a reader's operations and its watchdog coordinate through. Shared by
// the component and by every thread inside a call of the biometric service,
// so that a call the module gave up on can still return safely after the
// component is gone.
//
// An operation is "in progress" from Begin to Finish. A reader is given up
// on when a cancelled operation outlives the grace period: it is then stuck
// until its last call returns, and that call closes the session it leaves.
class SensorWaitState {
 public:
  SensorWaitState() = default;
  // Closes a session still open when the last owner lets go.
  ~SensorWaitState();
  SensorWaitState(const SensorWaitState&) = delete;
  SensorWaitState& operator=(const SensorWaitState&) = delete;

  void Begin();
  void Finish();
  // Notes a cancellation of the operations in progress: `requested` by a
  // caller, or the watchdog's limit. The grace period runs from the first.
  void Cancel(bool requested);
  // Waits for the operations in progress to end, at most until the grace
  // period after their first cancellation (or after now) is over, which
  // `graceEnd` receives. When one still has not ended, gives it up: the
  // reader is stuck, and false is returned.
  bool AwaitCancelled(uint32_t graceMilliseconds, std::chrono::steady_clock::time_point* graceEnd);
  // The same for a call that cannot be cancelled, from now on.
  bool AwaitOperations(uint32_t milliseconds);
  bool IsStuck() const { return abandoned_.load(); }
  // Clears the flags of a previous run; a stuck reader keeps its state.
  void Reset();

  std::atomic<WINBIO_SESSION_HANDLE> session{0};
  std::atomic<bool> cancelRequested{false};
  std::atomic<bool> located{false};

 private:
  std::mutex mutex_;
  std::condition_variable condition_;
  bool GiveUpUnlessEnded(std::unique_lock<std::mutex>& lock, std::chrono::steady_clock::time_point deadline);

  int32_t inProgress_ = 0;  // guarded by mutex_
  // The first cancellation of the operations in progress; guarded by mutex_.
  std::optional<std::chrono::steady_clock::time_point> cancelledAt_;
  std::atomic<bool> abandoned_{false};
};
