#include "device/win_fingerprint_component.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "device/device_information.h"
#include "device/sensor_operation.h"
#include "platform/biometric_service.h"
#include "platform/platform.h"
#include "platform/security.h"

namespace {

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

}  // namespace

WinFingerprintComponent::WinFingerprintComponent(uint64_t unitIndex, const WINBIO_UNIT_SCHEMA* units,
                                                 std::string deviceId, DriverVersions* versions)
    : state_(SensorWaitState::ForReader(
          std::u16string(DeviceInformation::FromWinbioString(units[unitIndex].DeviceInstanceId)))),
      unitIndex_(unitIndex),
      units_(units),
      fingers_{{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 8}, {8, 9}, {9, 10}} {
  SetDeviceId(std::move(deviceId));
  DeviceInformation::Collect(*this, Unit(), versions);
  state_->AddComponent();  // last: a component that throws above was never one
}

WinFingerprintComponent::~WinFingerprintComponent() {
  if (state_->RemoveComponent()) ReaderCalls::Close(state_, ReaderCalls::Clock::now());
}

void WinFingerprintComponent::MarkTurnedOffByPolicy() {
  turnedOffByPolicy_ = true;
  AppendProperty("BIOMETRICS", "TURNED_OFF_BY_POLICY");
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

bool WinFingerprintComponent::OtherReaderTouched() {
  return state_->otherReaderTouched.load();
}

FingerprintError WinFingerprintComponent::OpenSession() {
  // Bounded by the grace period from now: the host gave it no limit.
  return ReaderCalls::Open(state_, OperationUnit(), ReaderCalls::Clock::now(), false)
      .value_or(FingerprintError::OpenSessionFailed);
}

FingerprintError WinFingerprintComponent::CloseSession() {
  return ReaderCalls::Close(state_, ReaderCalls::Clock::now()) ? FingerprintError::Success
                                                               : FingerprintError::DeviceNotAccessible;
}

FingerprintError WinFingerprintComponent::LocateSensor(int timeoutSeconds) {
  // A reader that did not answer ends the wait as a failed one would: as
  // cancelled when a cancellation was requested, else as failed.
  const std::optional<FingerprintError> result =
      ReaderCalls::Locate(state_, Unit().UnitId, timeoutSeconds, false);
  if (result) return *result;
  return state_->cancelRequested.load() ? FingerprintError::Cancelled : FingerprintError::LocateFailed;
}

std::shared_ptr<SensorOperation> WinFingerprintComponent::StartOperation(int timeoutSeconds) {
  return SensorOperation::Start(state_, OperationUnit(), timeoutSeconds);
}

void WinFingerprintComponent::CancelAndClose() {
  if (ReaderCalls::CancelAndClose(state_, true)) Cleanup();
}

ReaderCalls::Unit WinFingerprintComponent::OperationUnit() {
  ReaderCalls::Unit unit;
  unit.id = Unit().UnitId;
  unit.instanceId = std::u16string(DeviceInformation::FromWinbioString(Unit().DeviceInstanceId));
  unit.deviceId = GetDeviceId();
  if (turnedOffByPolicy_) {
    unit.state = WINBIO_E_DISABLED;
    unit.why = "biometrics are turned off by group policy";
  }
  return unit;
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
  return ReaderCalls::DeleteTemplate(state_, Unit().UnitId, identity, subFactor)
             ? FingerprintError::Success
             : FingerprintError::DeviceNotAccessible;
}

WINBIO_BIOMETRIC_SUBTYPE WinFingerprintComponent::SubFactorOf(int finger) const {
  const auto it = fingers_.find(finger);
  return it == fingers_.end() ? WINBIO_SUBTYPE_NO_INFORMATION : it->second;
}

uint32_t WinFingerprintComponent::GetSampleHint() {
  // An unreadable property gives the number of FingerprintError::Success,
  // the result the call starts out with: a caller cannot tell it from a real
  // hint of 20.
  constexpr auto kUnreadable = static_cast<uint32_t>(FingerprintError::Success);
  return ReaderCalls::SampleHint(state_, Unit().UnitId).value_or(kUnreadable);
}
