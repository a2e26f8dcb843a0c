#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "device/fingerprint_error.h"
#include "device/sensor_wait_state.h"
#include "platform/winbio_types.h"

// A reader's calls into the biometric service, one step each, for the
// reader's own operations and for a run's: each goes through the reader's
// gate (SensorWaitState::gate), so it is made on a module thread and waited
// for within its bound, whoever calls. They use nothing of the component,
// which may be gone while one of them is stuck.
//
// No answer (nullopt, or false) means that the reader did not answer within
// the bound, or that a call of it given up on earlier has not returned yet:
// the reader is not accessible.
class ReaderCalls {
 public:
  using Clock = std::chrono::steady_clock;

  // What the calls need of a reader's unit, copied from it.
  struct Unit {
    WINBIO_UNIT_ID id = 0;  // the reader under test, whose touch alone ends a wait
    std::u16string instanceId;
    std::string deviceId;  // as the host sees it, for messages
    // Set when the reader's listing already knows it cannot be used (turned
    // off by policy), with what is wrong: every open fails so, at once.
    HRESULT_T state = S_OK_T;
    std::string why;
  };

  // The limit of a call that may take `timeoutSeconds` from now. Longer
  // limits are taken as a day, so that the watchdog and the bound agree and
  // stay far from the clock's range; negative ones as none at all.
  static int ClampedSeconds(int timeoutSeconds);

  // Opens a system-pool session into the state, unless the unit cannot be
  // used. Given up on a grace period after `limit` (or after a cancellation,
  // if earlier). `unlessCancelled`: Cancelled, without a call, once a
  // cancellation has been requested.
  static std::optional<FingerprintError> Open(const std::shared_ptr<SensorWaitState>& state, const Unit& unit,
                                              Clock::time_point limit, bool unlessCancelled);
  // Waits for a touch on the reader `readerUnderTest` while a watchdog
  // cancels the wait once the limit has passed or a cancellation is
  // requested; given up on a grace period after the first of the two.
  static std::optional<FingerprintError> Locate(const std::shared_ptr<SensorWaitState>& state,
                                                WINBIO_UNIT_ID readerUnderTest, int timeoutSeconds,
                                                bool unlessCancelled);
  // Cancels the call in flight (`requested`: as the user's or the host's
  // cancel; otherwise as a limit), waits for it within the grace period and
  // closes the session in what is left of it. False when the reader is
  // stuck.
  static bool CancelAndClose(const std::shared_ptr<SensorWaitState>& state, bool requested);
  // Closes the session, if one is open; given up on a grace period after `limit`.
  static bool Close(const std::shared_ptr<SensorWaitState>& state, Clock::time_point limit);
  static bool DeleteTemplate(const std::shared_ptr<SensorWaitState>& state, WINBIO_UNIT_ID unitId,
                             const WINBIO_IDENTITY& identity, WINBIO_BIOMETRIC_SUBTYPE subFactor);
  // The unit's sample hint; nothing when the property cannot be read.
  static std::optional<uint32_t> SampleHint(const std::shared_ptr<SensorWaitState>& state,
                                            WINBIO_UNIT_ID unitId);
};
