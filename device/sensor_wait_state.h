#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/winbio_types.h"

// What a reader's operations and its watchdog coordinate through. Shared by
// every component of the same reader and by every thread inside a call of the
// biometric service, so that a call the module gave up on can still return
// safely after the component is gone, and a new listing still knows the
// reader is stuck.
//
// An operation is "in progress" from Begin to Finish. A reader is given up
// on when an operation outlives the grace period after its limit or its first
// cancellation, whichever came first: it is then stuck until its last call
// returns, and that call closes the session it leaves.
class SensorWaitState {
 public:
  using Clock = std::chrono::steady_clock;

  SensorWaitState() = default;
  // Closes a session still open when the last owner lets go.
  ~SensorWaitState();
  SensorWaitState(const SensorWaitState&) = delete;
  SensorWaitState& operator=(const SensorWaitState&) = delete;

  // The state of the reader with this device instance id: the one still held
  // by a component or a call of that reader, or a new one.
  static std::shared_ptr<SensorWaitState> ForReader(const std::u16string& instanceId);
  // Whether any reader is stuck now.
  static bool AnyStuck();

  void Begin();
  // Begin, unless the reader is stuck or a cancellation has been requested.
  bool TryBegin();
  void Finish();
  // The point by which the current call should be over: its start plus the
  // run's limit. A reader that has not answered a grace period later is
  // given up on, even if nobody cancelled it.
  void SetLimit(Clock::time_point limit);
  // Notes a cancellation of the operations in progress: `requested` by a
  // caller, or the watchdog's limit. The grace period runs from the first.
  void Cancel(bool requested);
  // When the operations in progress are to be given up on (the grace period
  // after their limit or first cancellation); nothing while none is.
  std::optional<Clock::time_point> GiveUpAt(uint32_t graceMilliseconds);
  // Waits for the operations in progress to end, at most until GiveUpAt (or
  // the grace period from now, when it has none), which `graceEnd` receives.
  // When one still has not ended, gives it up: the reader is stuck, and false
  // is returned.
  bool AwaitCancelled(uint32_t graceMilliseconds, Clock::time_point* graceEnd);
  // The same for a call that cannot be cancelled, from now on.
  bool AwaitOperations(uint32_t milliseconds);
  bool IsStuck() const { return abandoned_.load(); }
  // Clears the flags of a previous run; a stuck reader keeps its state.
  void Reset();

  std::atomic<WINBIO_SESSION_HANDLE> session{0};
  std::atomic<bool> cancelRequested{false};
  std::atomic<bool> located{false};
  // The running wait saw a touch on another reader and goes on.
  std::atomic<bool> otherReaderTouched{false};

 private:
  bool GiveUpUnlessEnded(std::unique_lock<std::mutex>& lock, Clock::time_point deadline);
  std::optional<Clock::time_point> GiveUpAtLocked(uint32_t graceMilliseconds) const;

  std::mutex mutex_;
  std::condition_variable condition_;
  // Guarded by mutex_: the calls in progress, their first cancellation, their limit.
  int32_t inProgress_ = 0;
  std::optional<Clock::time_point> cancelledAt_;
  std::optional<Clock::time_point> limitAt_;
  std::atomic<bool> abandoned_{false};
};
