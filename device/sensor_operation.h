#pragma once

#include <memory>

#include "device/fingerprint_error.h"
#include "device/reader_calls.h"
#include "device/sensor_wait_state.h"

// One run's use of a reader: a session opened and a wait for a touch within
// the run's limit, watched by a watchdog, each a bounded call of the reader
// (ReaderCalls) that is not made once a cancellation has come. It is taken
// from the reader on the user-interface thread before the thread that runs
// it exists; a cancellation never waits for that thread, however late it is
// scheduled. It holds everything it needs, the reader's shared state above
// all, and never touches the component, which may be gone while one of its
// calls is stuck.
class SensorOperation {
 public:
  struct Outcome {
    bool opened = false;
    FingerprintError error = FingerprintError::Success;
  };

  // Null when the reader is stuck or a cancellation has been requested.
  static std::shared_ptr<SensorOperation> Start(std::shared_ptr<SensorWaitState> state,
                                                ReaderCalls::Unit unit, int timeoutSeconds);
  SensorOperation(const SensorOperation&) = delete;
  SensorOperation& operator=(const SensorOperation&) = delete;

  // On the worker thread: opens a session and waits for a touch, each step
  // skipped once a cancellation has come. Returns by the grace period after
  // the limit or the cancellation: a reader that has not answered by then is
  // stuck (DeviceNotAccessible).
  Outcome Run();
  // From any thread but the one in Run: cancels the run and closes the
  // session, within the grace period. False when the reader is stuck.
  bool CancelAndClose(bool requested) { return ReaderCalls::CancelAndClose(state_, requested); }

 private:
  SensorOperation(std::shared_ptr<SensorWaitState> state, ReaderCalls::Unit unit, int timeoutSeconds);

  const std::shared_ptr<SensorWaitState> state_;
  const ReaderCalls::Unit unit_;
  const int timeoutSeconds_;
};
