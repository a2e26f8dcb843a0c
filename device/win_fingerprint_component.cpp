#include "device/win_fingerprint_component.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

#include "device/detached_call.h"
#include "device/device_information.h"
#include "device/timer.h"
#include "platform/biometric_service.h"
#include "platform/platform.h"
#include "platform/security.h"

namespace {

// How often a repeated cancellation checks whether the wait has ended.
constexpr uint32_t kRecheckMilliseconds = 5;
// GetTokenInformation's buffer for the token user: SID_AND_ATTRIBUTES plus a
// SID of up to 68 bytes, rounded.
constexpr uint32_t kTokenUserBufferSize = 88;

// Closes a token handle.
class TokenOwner {
 public:
  explicit TokenOwner(platform::Handle handle) : handle_(handle) {}
  ~TokenOwner() {
    if (handle_) platform::security().CloseHandle(handle_);
  }
  TokenOwner(const TokenOwner&) = delete;
  TokenOwner& operator=(const TokenOwner&) = delete;

 private:
  platform::Handle handle_;
};

// The watchdog of one sensor wait. It owns the wait state, so it may outlive
// the component while the framework call it watches is stuck.
void Watchdog(const std::shared_ptr<SensorWaitState>& state, int timeoutSeconds);

}  // namespace

WinFingerprintComponent::WinFingerprintComponent(uint64_t unitIndex, const WINBIO_UNIT_SCHEMA* units,
                                                 std::string deviceId, DriverVersions* versions)
    : state_(std::make_shared<SensorWaitState>()),
      unitIndex_(unitIndex),
      units_(units),
      watchdog_([state = state_](int timeoutSeconds) { Watchdog(state, timeoutSeconds); }),
      fingers_{{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 8}, {8, 9}, {9, 10}} {
  SetDeviceId(std::move(deviceId));
  DeviceInformation::Collect(*this, Unit(), versions);
}

bool WinFingerprintComponent::HasSensor() {
  return (Unit().Capabilities & WINBIO_CAPABILITY_SENSOR) != 0;
}

void WinFingerprintComponent::ResetState() {
  state_->Reset();
}

bool WinFingerprintComponent::IsCancelRequested() {
  return state_->cancelRequested.load();
}

bool WinFingerprintComponent::IsStuck() {
  return state_->IsStuck();
}

FingerprintError WinFingerprintComponent::OpenSession() {
  // A system-pool session must use the default configuration, so the reader's
  // configured sensor mode is looked up but not applied.
  const uint32_t configuredFlags = DeviceInformation::SensorModeFlags(units_);
  static_cast<void>(configuredFlags);

  // A reader listed without a working driver never opens.
  std::string why;
  const HRESULT_T unusable =
      platform::biometric().UnitState(DeviceInformation::FromWinbioString(Unit().DeviceInstanceId), &why);
  if (unusable < 0) {
    std::fprintf(stderr, "fingerprint reader %s: %s\n", GetDeviceId().c_str(), why.c_str());
    return unusable == E_NOT_SUPPORTED_T ? FingerprintError::NoDriver : FingerprintError::DeviceNotAccessible;
  }

  // Counted as an operation, so that CancelAndClose bounds its wait for a
  // service that does not open. Only the state is used once it returns.
  const std::shared_ptr<SensorWaitState> state = state_;
  state->Begin();
  WINBIO_SESSION_HANDLE handle = 0;
  const HRESULT_T result = platform::biometric().OpenSession(
      WINBIO_TYPE_FINGERPRINT, WINBIO_POOL_SYSTEM, WINBIO_FLAG_DEFAULT, nullptr, 0, nullptr, &handle);
  state->session.store(handle);
  state->Finish();
  if (result == WINBIO_E_DEVICE_FAILURE) return FingerprintError::DeviceNotAccessible;
  return result < 0 ? FingerprintError::OpenSessionFailed : FingerprintError::Success;
}

FingerprintError WinFingerprintComponent::CloseSession() {
  return CloseSessionWithin(platform::kCancelGraceMilliseconds) ? FingerprintError::Success
                                                                : FingerprintError::DeviceNotAccessible;
}

bool WinFingerprintComponent::CloseSessionWithin(uint32_t milliseconds) {
  // Taken out of the cell first, so that nobody closes it a second time.
  const WINBIO_SESSION_HANDLE handle = state_->session.exchange(0);
  state_->Begin();
  const bool inTime = CallWithin(milliseconds, [state = state_, handle] {
    platform::biometric().CloseSession(handle);
    state->Finish();
  });
  return inTime || state_->AwaitOperations(0);
}

FingerprintError WinFingerprintComponent::LocateSensor(int timeoutSeconds) {
  // From here on only `state` is used: if the framework never returns, the
  // component may be destroyed before this call ends.
  const std::shared_ptr<SensorWaitState> state = state_;
  state->Begin();
  state->located.exchange(false);
  std::thread watchdog;
  try {
    watchdog = std::thread(watchdog_, timeoutSeconds);
  } catch (...) {
    state->Finish();  // a later CancelAndClose must not wait for this call
    throw;
  }

  WINBIO_UNIT_ID unitId = 0;
  const HRESULT_T hr = platform::biometric().LocateSensor(state->session.load(), &unitId);

  FingerprintError result;
  if (hr == WINBIO_E_CANCELED && !state->cancelRequested.load()) {
    // Cancelled without a request: the watchdog's time ran out.
    state->located.exchange(true);
    watchdog.join();
    result = FingerprintError::Timeout;
  } else {
    // A cancellation request wins over a touch that arrives at the same time.
    const bool cancelled = state->cancelRequested.load();
    state->located.exchange(true);
    watchdog.join();
    if (cancelled)
      result = FingerprintError::Cancelled;
    else if (hr == WINBIO_E_DEVICE_FAILURE)
      result = FingerprintError::DeviceNotAccessible;
    else if (hr < 0)
      result = FingerprintError::LocateFailed;
    else
      result = FingerprintError::Success;
  }
  state->Finish();
  return result;
}

namespace {

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
    for (uint32_t waited = 0; waited < WinFingerprintComponent::kPollMilliseconds;
         waited += kRecheckMilliseconds) {
      if (state.located.load() || state.IsStuck()) return;
      timer->Sleep(kRecheckMilliseconds);
    }
  }
}

void Watchdog(const std::shared_ptr<SensorWaitState>& state, int timeoutSeconds) {
  Timer* timer = GetTimer();
  const Tick start = timer->Now();
  while (static_cast<double>(timeoutSeconds) >= timer->ElapsedSeconds(start, timer->Now())) {
    timer->Sleep(WinFingerprintComponent::kPollMilliseconds);
    if (state->located.load()) return;
    if (state->cancelRequested.load()) {
      CancelUntilLocated(*state);
      return;
    }
  }
  CancelUntilLocated(*state);
}

}  // namespace

void WinFingerprintComponent::CancelAndClose() {
  using Clock = std::chrono::steady_clock;
  state_->Cancel(true);
  // A stuck call closes its session itself when it returns.
  Clock::time_point graceEnd;
  if (!state_->AwaitCancelled(platform::kCancelGraceMilliseconds, &graceEnd)) return;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(graceEnd - Clock::now()).count();
  if (!CloseSessionWithin(static_cast<uint32_t>(std::max<decltype(left)>(left, 0)))) return;
  Cleanup();
}

WINBIO_IDENTITY WinFingerprintComponent::CurrentUserIdentity() {
  WINBIO_IDENTITY identity;
  std::memset(&identity, 0, sizeof(identity));  // WINBIO_ID_TYPE_NULL
  platform::Security& security = platform::security();

  platform::Handle token = nullptr;
  // Both lines on the standard output are fixed by the host contract.
  if (!security.OpenProcessToken(security.GetCurrentProcess(), platform::kTokenRead, &token)) {
    std::printf("Cannot open token handle: %d\n", static_cast<int>(security.GetLastError()));
    std::fflush(stdout);  // a host with another C runtime has a buffer of its own
    return identity;
  }
  const TokenOwner tokenOwner(token);

  alignas(platform::TOKEN_USER_DATA) unsigned char buffer[kTokenUserBufferSize] = {};
  uint32_t length = 0;
  if (!security.GetTokenInformation(token, platform::TokenUserClass, buffer, kTokenUserBufferSize, &length)) {
    std::printf("Cannot query token information: %d\n", static_cast<int>(security.GetLastError()));
    std::fflush(stdout);
    return identity;
  }
  platform::TOKEN_USER_DATA user;
  std::memcpy(&user, buffer, sizeof(user));
  if (security.CopySid(kSecurityMaxSidSize, identity.Value.AccountSid.Data, user.Sid)) {
    identity.Value.AccountSid.Size = security.GetLengthSid(user.Sid);
    identity.Type = WINBIO_ID_TYPE_SID;
  }
  return identity;
}

FingerprintError WinFingerprintComponent::DeleteTemplate(int finger) {
  // An unknown finger is remembered with "no information", and deletes that.
  const WINBIO_BIOMETRIC_SUBTYPE subFactor = fingers_[finger];
  const WINBIO_IDENTITY identity = CurrentUserIdentity();
  const WINBIO_UNIT_ID unitId = Unit().UnitId;
  state_->Begin();
  const bool inTime =
      CallWithin(platform::kCancelGraceMilliseconds, [state = state_, unitId, identity, subFactor] {
        platform::biometric().DeleteTemplate(state->session.load(), unitId, &identity, subFactor);
        state->Finish();
      });
  return inTime || state_->AwaitOperations(0) ? FingerprintError::Success
                                              : FingerprintError::DeviceNotAccessible;
}

WINBIO_BIOMETRIC_SUBTYPE WinFingerprintComponent::SubFactorOf(int finger) const {
  const auto it = fingers_.find(finger);
  return it == fingers_.end() ? WINBIO_SUBTYPE_NO_INFORMATION : it->second;
}

uint32_t WinFingerprintComponent::GetSampleHint() {
  constexpr uint32_t kUnreadable = 20;
  void* buffer = nullptr;
  size_t size = 0;
  const HRESULT_T hr = platform::biometric().GetProperty(Handle(), WINBIO_PROPERTY_TYPE_UNIT,
                                                         WINBIO_PROPERTY_SAMPLE_HINT, Unit().UnitId, nullptr,
                                                         WINBIO_SUBTYPE_NO_INFORMATION, &buffer, &size);
  uint32_t hint = kUnreadable;
  if (hr >= 0 && buffer && size >= sizeof(hint)) std::memcpy(&hint, buffer, sizeof(hint));
  if (buffer) platform::biometric().Free(buffer);  // the framework allocated it
  return hint;
}
