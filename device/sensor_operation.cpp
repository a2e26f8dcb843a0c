#include "device/sensor_operation.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <system_error>
#include <thread>
#include <utility>

#include "device/detached_call.h"
#include "device/fingerprint_component.h"
#include "device/framework_failure.h"
#include "device/timer.h"
#include "platform/biometric_service.h"
#include "platform/platform.h"

namespace {

// How often a repeated cancellation checks whether the wait has ended.
constexpr uint32_t kRecheckMilliseconds = 5;
// Longer limits are taken as this one: a day is beyond any user's patience,
// and the deadlines stay far from the clock's range.
constexpr int kLongestLimitSeconds = 24 * 60 * 60;

SensorWaitState::Clock::time_point LimitFromNow(int timeoutSeconds) {
  return SensorWaitState::Clock::now() +
         std::chrono::seconds(std::clamp(timeoutSeconds, 0, kLongestLimitSeconds));
}

void CancelUntilLocated(SensorWaitState& state) {
  // WinBioCancel ends only a call that is already pending. If the waiting
  // thread has not entered the framework yet (a negative limit, a loaded
  // machine), one cancellation would be lost and the wait would never end,
  // so it is repeated every poll period until the wait is over, or until the
  // wait has been given up on.
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

// The watchdog of one sensor wait. It owns the wait state, so it may outlive
// the component while the framework call it watches is stuck.
void Watchdog(const std::shared_ptr<SensorWaitState>& state, int timeoutSeconds) {
  Timer* timer = GetTimer();
  const Tick start = timer->Now();
  while (static_cast<double>(timeoutSeconds) >= timer->ElapsedSeconds(start, timer->Now())) {
    timer->Sleep(kWatchdogPollMilliseconds);
    if (state->located.load()) return;
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

}  // namespace

SensorOperation::SensorOperation(std::shared_ptr<SensorWaitState> state, Unit unit, int timeoutSeconds)
    : state_(std::move(state)), unit_(std::move(unit)), timeoutSeconds_(timeoutSeconds) {}

std::shared_ptr<SensorOperation> SensorOperation::Start(std::shared_ptr<SensorWaitState> state, Unit unit,
                                                        int timeoutSeconds) {
  if (!state || !state->TryBegin()) return nullptr;
  return std::shared_ptr<SensorOperation>(
      new SensorOperation(std::move(state), std::move(unit), timeoutSeconds));
}

SensorOperation::~SensorOperation() {
  EndRegistration();
}

void SensorOperation::EndRegistration() {
  if (registered_.exchange(false)) state_->Finish();
}

SensorOperation::Outcome SensorOperation::Run() {
  // A cancellation before a step, or a reader given up on meanwhile, skips
  // it: a session opened after the close would be left open.
  const auto interrupted = [this] { return state_->cancelRequested.load() || state_->IsStuck(); };
  Outcome outcome;
  outcome.error = FingerprintError::Cancelled;
  if (!interrupted()) {
    // The open is bounded by the run's limit too: a service that does not
    // open is given up on a grace period after it.
    state_->SetLimit(LimitFromNow(timeoutSeconds_));
    outcome.error = Open(*state_, unit_);
    outcome.opened = outcome.error == FingerprintError::Success;
    if (outcome.opened)
      outcome.error = interrupted() ? FingerprintError::Cancelled : Locate(state_, unit_.id, timeoutSeconds_);
  }
  EndRegistration();
  return outcome;
}

bool SensorOperation::GiveUpDue() const {
  const auto at = state_->GiveUpAt(platform::kCancelGraceMilliseconds);
  return at && SensorWaitState::Clock::now() >= *at;
}

FingerprintError SensorOperation::Open(SensorWaitState& state, const Unit& unit) {
  std::string why;
  const HRESULT_T unusable = platform::biometric().UnitState(unit.instanceId, &why);
  if (unusable < 0) {
    std::fprintf(stderr, "fingerprint reader %s: %s\n", unit.deviceId.c_str(), why.c_str());
    return unusable == E_NOT_SUPPORTED_T ? FingerprintError::NoDriver : FingerprintError::DeviceNotAccessible;
  }
  WINBIO_SESSION_HANDLE handle = 0;
  const HRESULT_T result = platform::biometric().OpenSession(
      WINBIO_TYPE_FINGERPRINT, WINBIO_POOL_SYSTEM, WINBIO_FLAG_DEFAULT, nullptr, 0, nullptr, &handle);
  // A session of the same reader still open (another component's) would be
  // lost: it is closed.
  if (const WINBIO_SESSION_HANDLE previous = state.session.exchange(handle))
    platform::biometric().CloseSession(previous);
  return result < 0 ? FrameworkFailure(result, FingerprintError::OpenSessionFailed)
                    : FingerprintError::Success;
}

FingerprintError SensorOperation::Locate(const std::shared_ptr<SensorWaitState>& state,
                                         WINBIO_UNIT_ID readerUnderTest, int timeoutSeconds) {
  state->SetLimit(LimitFromNow(timeoutSeconds));
  state->located.exchange(false);
  state->otherReaderTouched.store(false);
  std::thread watchdog;
  try {
    watchdog = std::thread(Watchdog, state, timeoutSeconds);
  } catch (const std::system_error&) {
    // Without a watchdog the wait would have no bound: none is made.
    return FingerprintError::DeviceNotAccessible;
  }

  const HRESULT_T hr = LocateReaderUnderTest(*state, readerUnderTest);

  // A cancellation request wins over a touch that arrives at the same time.
  const bool cancelled = state->cancelRequested.load();
  state->located.exchange(true);
  watchdog.join();
  if (hr == WINBIO_E_CANCELED && !cancelled) return FingerprintError::Timeout;  // the watchdog's limit
  if (cancelled) return FingerprintError::Cancelled;
  return hr < 0 ? FrameworkFailure(hr, FingerprintError::LocateFailed) : FingerprintError::Success;
}

bool SensorOperation::CancelAndClose(const std::shared_ptr<SensorWaitState>& state, bool requested) {
  state->Cancel(requested);
  // A stuck call closes its session itself when it returns.
  SensorWaitState::Clock::time_point graceEnd;
  if (!state->AwaitCancelled(platform::kCancelGraceMilliseconds, &graceEnd)) return false;
  // The reader answered in time; the close is a call of its own, bounded
  // from its start.
  return CloseWithin(state, platform::kCancelGraceMilliseconds);
}

bool SensorOperation::CloseWithin(const std::shared_ptr<SensorWaitState>& state, uint32_t milliseconds) {
  // Taken out of the cell first, so that nobody closes it a second time.
  const WINBIO_SESSION_HANDLE handle = state->session.exchange(0);
  state->Begin();
  const bool inTime = CallWithin(milliseconds, [state, handle] {
    platform::biometric().CloseSession(handle);
    state->Finish();
  });
  return inTime || state->AwaitOperations(0);
}
