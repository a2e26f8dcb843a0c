#include "device/reader_calls.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <utility>

#include "device/fingerprint_component.h"
#include "device/framework_failure.h"
#include "device/timer.h"
#include "platform/biometric_service.h"
#include "platform/platform.h"
#include "threads/bounded_call.h"

namespace {

// How often a repeated cancellation checks whether the wait has ended.
constexpr uint32_t kRecheckMilliseconds = 5;
// A day is beyond any user's patience.
constexpr int kLongestLimitSeconds = 24 * 60 * 60;

// Makes `body` the reader's call in flight, bounded by `limit` plus the grace period.
ServiceGate::Result Through(const std::shared_ptr<SensorWaitState>& state, std::function<void()> body,
                            ReaderCalls::Clock::time_point limit, bool unlessCancelled) {
  ServiceGate::Call call;
  call.body = std::move(body);
  call.limit = limit;
  if (unlessCancelled) call.skip = [state] { return state->cancelRequested.load(); };
  // Said to the service at once, so that one that can end the call (a
  // helper process) gives up at the same moment as the module.
  call.givenUp = [state] { platform::biometric().GiveUp(state->session.load()); };
  // Nobody else will close the session the call leaves: the run that gave
  // it up is over, and the reader is refused until the call returns.
  call.lateReturn = [state] {
    if (const WINBIO_SESSION_HANDLE handle = state->session.exchange(0))
      platform::biometric().CloseSession(handle);
  };
  return state->gate().Make(std::move(call));
}

void CancelUntilLocated(SensorWaitState& state) {
  // WinBioCancel ends only a call that is already pending. If the waiting
  // thread has not entered the framework yet (a negative limit, a loaded
  // machine), one cancellation would be lost and the wait would never end,
  // so it is repeated every poll period until the wait is over, or until the
  // reader is stuck.
  state.Cancel(false);
  Timer* timer = GetTimer();
  for (;;) {
    platform::biometric().Cancel(state.session.load());
    for (uint32_t waited = 0; waited < kWatchdogPollMilliseconds; waited += kRecheckMilliseconds) {
      if (state.located.load() || state.IsStuck()) return;
      timer->Sleep(kRecheckMilliseconds);
    }
  }
}

// The watchdog of one sensor wait: a module thread that owns the wait state,
// so it may outlive the component while the call it watches is stuck; it
// stops once that call is given up on.
void Watchdog(const std::shared_ptr<SensorWaitState>& state, int seconds) {
  Timer* timer = GetTimer();
  const Tick start = timer->Now();
  while (static_cast<double>(seconds) >= timer->ElapsedSeconds(start, timer->Now())) {
    timer->Sleep(kWatchdogPollMilliseconds);
    if (state->located.load() || state->IsStuck()) return;
    if (state->cancelRequested.load()) {
      CancelUntilLocated(*state);
      return;
    }
  }
  CancelUntilLocated(*state);
}

// Waits for a touch on the reader under test. A system-pool session covers
// every reader of the machine, and the framework answers with the unit that
// was touched: a touch on another one is noted and the wait goes on, within
// the same limit (the watchdog's cancellation ends it like the first wait).
HRESULT_T LocateReaderUnderTest(SensorWaitState& state, WINBIO_UNIT_ID readerUnderTest) {
  for (;;) {
    WINBIO_UNIT_ID unitId = 0;
    const HRESULT_T hr = platform::biometric().LocateSensor(state.session.load(), &unitId);
    if (hr < 0 || unitId == readerUnderTest || state.cancelRequested.load()) return hr;
    state.otherReaderTouched.store(true);
  }
}

FingerprintError OutcomeOfWait(HRESULT_T hr, bool cancelled) {
  // A cancellation request wins over a touch that arrives at the same time.
  if (hr == WINBIO_E_CANCELED && !cancelled) return FingerprintError::Timeout;  // the watchdog's limit
  if (cancelled) return FingerprintError::Cancelled;
  return hr < 0 ? FrameworkFailure(hr, FingerprintError::LocateFailed) : FingerprintError::Success;
}

}  // namespace

int ReaderCalls::ClampedSeconds(int timeoutSeconds) {
  return std::min(timeoutSeconds, kLongestLimitSeconds);
}

std::optional<FingerprintError> ReaderCalls::Open(const std::shared_ptr<SensorWaitState>& state,
                                                  const Unit& unit, Clock::time_point limit,
                                                  bool unlessCancelled) {
  std::string why = unit.why;
  HRESULT_T unusable = unit.state;
  // Known from the listing, so asked here, without a turn.
  if (unusable >= 0) unusable = platform::biometric().UnitState(unit.instanceId, &why);
  if (unusable < 0) {
    std::fprintf(stderr, "fingerprint reader %s: %s\n", unit.deviceId.c_str(), why.c_str());
    std::fflush(stderr);
    if (unusable == WINBIO_E_DISABLED) return FingerprintError::BiometricsDisabled;
    return unusable == E_NOT_SUPPORTED_T ? FingerprintError::NoDriver : FingerprintError::DeviceNotAccessible;
  }
  auto outcome = std::make_shared<FingerprintError>(FingerprintError::OpenSessionFailed);
  const ServiceGate::Result result = Through(
      state,
      [state, outcome] {
        WINBIO_SESSION_HANDLE handle = 0;
        const HRESULT_T hr = platform::biometric().OpenSession(
            WINBIO_TYPE_FINGERPRINT, WINBIO_POOL_SYSTEM, WINBIO_FLAG_DEFAULT, nullptr, 0, nullptr, &handle);
        // A session of the same reader still open (another component's)
        // would be lost: it is closed.
        if (const WINBIO_SESSION_HANDLE previous = state->session.exchange(handle))
          platform::biometric().CloseSession(previous);
        *outcome =
            hr < 0 ? FrameworkFailure(hr, FingerprintError::OpenSessionFailed) : FingerprintError::Success;
      },
      limit, unlessCancelled);
  if (result == ServiceGate::Result::kSkipped) return FingerprintError::Cancelled;
  if (result != ServiceGate::Result::kReturned) return std::nullopt;
  return *outcome;
}

std::optional<FingerprintError> ReaderCalls::Locate(const std::shared_ptr<SensorWaitState>& state,
                                                    WINBIO_UNIT_ID readerUnderTest, int timeoutSeconds,
                                                    bool unlessCancelled) {
  // Clamped once, for the watchdog and the bound alike.
  const int seconds = ClampedSeconds(timeoutSeconds);
  const Clock::time_point limit = Clock::now() + std::chrono::seconds(std::max(seconds, 0));
  // Without a watchdog the wait would have no bound: none is made.
  auto outcome = std::make_shared<FingerprintError>(FingerprintError::DeviceNotAccessible);
  const ServiceGate::Result result = Through(
      state,
      [state, readerUnderTest, seconds, outcome] {
        state->located.store(false);
        state->otherReaderTouched.store(false);
        const std::shared_ptr<BoundedCall> watchdog =
            BoundedCall::Start([state, seconds] { Watchdog(state, seconds); });
        if (!watchdog) return;
        const HRESULT_T hr = LocateReaderUnderTest(*state, readerUnderTest);
        const bool cancelled = state->cancelRequested.load();
        state->located.store(true);
        // Within one poll, unless the service's cancellation itself hangs:
        // the wait then stays in flight with it. A watchdog left running
        // would cancel the reader's next wait.
        watchdog->AwaitEnd();
        *outcome = OutcomeOfWait(hr, cancelled);
      },
      limit, unlessCancelled);
  if (result == ServiceGate::Result::kSkipped) return FingerprintError::Cancelled;
  if (result != ServiceGate::Result::kReturned) return std::nullopt;
  return *outcome;
}

bool ReaderCalls::CancelAndClose(const std::shared_ptr<SensorWaitState>& state, bool requested) {
  state->Cancel(requested);
  Clock::time_point graceEnd;
  // A call given up on closes its session itself when it returns.
  if (!state->gate().AwaitIdle(&graceEnd)) return false;
  // One grace period per cancellation: the close has what is left of it.
  return Close(state, graceEnd - ServiceGate::kGrace);
}

bool ReaderCalls::Close(const std::shared_ptr<SensorWaitState>& state, Clock::time_point limit) {
  if (state->session.load() == 0) return !state->IsStuck();
  const ServiceGate::Result result = Through(
      state,
      [state] {
        // Taken out of the cell on the turn, so that nobody closes it twice.
        if (const WINBIO_SESSION_HANDLE handle = state->session.exchange(0))
          platform::biometric().CloseSession(handle);
      },
      limit, false);
  return result == ServiceGate::Result::kReturned;
}

bool ReaderCalls::DeleteTemplate(const std::shared_ptr<SensorWaitState>& state, WINBIO_UNIT_ID unitId,
                                 const WINBIO_IDENTITY& identity, WINBIO_BIOMETRIC_SUBTYPE subFactor) {
  const ServiceGate::Result result = Through(
      state,
      [state, unitId, identity, subFactor] {
        platform::biometric().DeleteTemplate(state->session.load(), unitId, &identity, subFactor);
      },
      Clock::now(), false);
  return result == ServiceGate::Result::kReturned;
}

std::optional<uint32_t> ReaderCalls::SampleHint(const std::shared_ptr<SensorWaitState>& state,
                                                WINBIO_UNIT_ID unitId) {
  auto hint = std::make_shared<std::optional<uint32_t>>();
  const ServiceGate::Result result = Through(
      state,
      [state, unitId, hint] {
        void* buffer = nullptr;
        size_t size = 0;
        const HRESULT_T hr = platform::biometric().GetProperty(
            state->session.load(), WINBIO_PROPERTY_TYPE_UNIT, WINBIO_PROPERTY_SAMPLE_HINT, unitId, nullptr,
            WINBIO_SUBTYPE_NO_INFORMATION, &buffer, &size);
        uint32_t value = 0;
        if (hr >= 0 && buffer && size >= sizeof(value)) {
          std::memcpy(&value, buffer, sizeof(value));
          *hint = value;
        }
        if (buffer) platform::biometric().Free(buffer);  // the framework allocated it
      },
      Clock::now(), false);
  return result == ServiceGate::Result::kReturned ? *hint : std::nullopt;
}
