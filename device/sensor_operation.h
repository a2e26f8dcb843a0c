#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "device/fingerprint_error.h"
#include "device/sensor_wait_state.h"

// One run's use of a reader: a session opened and a wait for a touch within
// the run's limit, watched by a watchdog. It is taken from the reader on the
// user-interface thread and registered as under way before the thread that
// runs it exists, so a cancellation can never miss it. It holds everything it
// needs, the reader's shared wait state above all, and never touches the
// component, which may be gone while one of its calls is stuck.
//
// The steps are also offered one by one, for the reader's own calls.
class SensorOperation {
 public:
  struct Outcome {
    bool opened = false;
    FingerprintError error = FingerprintError::Success;
  };

  // Null when the reader is stuck or a cancellation has been requested.
  // What the operation copies of its reader's unit.
  struct Unit {
    WINBIO_UNIT_ID id = 0;  // the reader under test, whose touch alone ends the wait
    std::u16string instanceId;
    std::string deviceId;  // as the host sees it, for messages
  };

  static std::shared_ptr<SensorOperation> Start(std::shared_ptr<SensorWaitState> state, Unit unit,
                                                int timeoutSeconds);
  // Ends the registration when Run never did (its thread could not start).
  ~SensorOperation();
  SensorOperation(const SensorOperation&) = delete;
  SensorOperation& operator=(const SensorOperation&) = delete;

  // On the worker thread: opens a session and waits for a touch, unless
  // cancelled first. Ends the registration.
  Outcome Run();
  // From any thread but the one in Run: see CancelAndClose below. False when
  // the reader was given up on.
  bool CancelAndClose(bool requested) { return CancelAndClose(state_, requested); }
  // Whether the reader has not answered for a grace period after the limit
  // or the first cancellation: the caller should give it up now.
  bool GiveUpDue() const;

  // Opens a system-pool session into `state`, unless the service says the
  // unit cannot be used (a reader listed without a working driver).
  static FingerprintError Open(SensorWaitState& state, const Unit& unit);
  // Waits for a touch on the reader `readerUnderTest` while a watchdog
  // cancels the wait once the limit has passed or a cancellation is requested.
  static FingerprintError Locate(const std::shared_ptr<SensorWaitState>& state,
                                 WINBIO_UNIT_ID readerUnderTest, int timeoutSeconds);
  // Cancels the operations in progress (`requested`: as the user's or the
  // host's cancel; otherwise as a limit), waits for them within the grace
  // period and closes the session. Gives the reader up when they do not end.
  static bool CancelAndClose(const std::shared_ptr<SensorWaitState>& state, bool requested);
  // Closes the session, waiting for the service at most `milliseconds`.
  static bool CloseWithin(const std::shared_ptr<SensorWaitState>& state, uint32_t milliseconds);

 private:
  SensorOperation(std::shared_ptr<SensorWaitState> state, Unit unit, int timeoutSeconds);
  void EndRegistration();

  const std::shared_ptr<SensorWaitState> state_;
  const Unit unit_;
  const int timeoutSeconds_;
  std::atomic<bool> registered_{true};
};
