#include "device/win_fingerprint_component.h"

#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

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

}  // namespace

WinFingerprintComponent::WinFingerprintComponent(uint64_t unitIndex, const WINBIO_UNIT_SCHEMA* units,
                                                 std::string deviceId)
    : session_(new SessionCell(0),
               [](SessionCell* cell) {
                 if (const WINBIO_SESSION_HANDLE handle = cell->load())
                   platform::biometric().CloseSession(handle);
                 delete cell;
               }),
      unitIndex_(unitIndex),
      units_(units),
      watchdog_([this](int timeoutSeconds) { Watchdog(timeoutSeconds); }),
      fingers_{{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 8}, {8, 9}, {9, 10}} {
  SetDeviceId(std::move(deviceId));
  DeviceInformation::Collect(*this, Unit());
}

bool WinFingerprintComponent::HasSensor() {
  return (Unit().Capabilities & WINBIO_CAPABILITY_SENSOR) != 0;
}

void WinFingerprintComponent::ResetState() {
  inProgress_.exchange(0);
  cancelRequested_.exchange(false);
  located_.exchange(false);
}

bool WinFingerprintComponent::IsCancelRequested() {
  return cancelRequested_.load();
}

FingerprintError WinFingerprintComponent::OpenSession() {
  // A system-pool session must use the default configuration, so the reader's
  // configured sensor mode is looked up but not applied.
  const uint32_t configuredFlags = DeviceInformation::SensorModeFlags(units_);
  static_cast<void>(configuredFlags);

  WINBIO_SESSION_HANDLE handle = 0;
  const HRESULT_T result = platform::biometric().OpenSession(
      WINBIO_TYPE_FINGERPRINT, WINBIO_POOL_SYSTEM, WINBIO_FLAG_DEFAULT, nullptr, 0, nullptr, &handle);
  session_->store(handle);
  return result < 0 ? FingerprintError::OpenSessionFailed : FingerprintError::Success;
}

FingerprintError WinFingerprintComponent::CloseSession() {
  platform::biometric().CloseSession(session_->load());
  session_->store(0);  // the cell must not close it a second time
  return FingerprintError::Success;
}

void WinFingerprintComponent::FinishOperation() {
  // Under the mutex, so that CancelAndClose, which tests the counter while
  // holding it, cannot miss the last wake-up.
  std::lock_guard<std::mutex> lock(mutex_);
  inProgress_.fetch_sub(1);
  condition_.notify_all();
}

FingerprintError WinFingerprintComponent::LocateSensor(int timeoutSeconds) {
  inProgress_.fetch_add(1);
  located_.exchange(false);
  std::thread watchdog;
  try {
    watchdog = std::thread(watchdog_, timeoutSeconds);
  } catch (...) {
    FinishOperation();  // a later CancelAndClose must not wait for this call
    throw;
  }

  WINBIO_UNIT_ID unitId = 0;
  const HRESULT_T hr = platform::biometric().LocateSensor(Handle(), &unitId);

  FingerprintError result;
  if (hr == WINBIO_E_CANCELED && !cancelRequested_.load()) {
    // Cancelled without a request: the watchdog's time ran out.
    located_.exchange(true);
    watchdog.join();
    result = FingerprintError::Timeout;
  } else {
    // A cancellation request wins over a touch that arrives at the same time.
    const bool cancelled = cancelRequested_.load();
    located_.exchange(true);
    watchdog.join();
    if (cancelled)
      result = FingerprintError::Cancelled;
    else if (hr < 0)
      result = FingerprintError::LocateFailed;
    else
      result = FingerprintError::Success;
  }
  FinishOperation();
  return result;
}

void WinFingerprintComponent::Watchdog(int timeoutSeconds) {
  Timer* timer = GetTimer();
  const Tick start = timer->Now();
  while (static_cast<double>(timeoutSeconds) >= timer->ElapsedSeconds(start, timer->Now())) {
    timer->Sleep(kPollMilliseconds);
    if (located_.load()) return;
    if (cancelRequested_.load()) {
      CancelUntilLocated();
      return;
    }
  }
  CancelUntilLocated();
}

void WinFingerprintComponent::CancelUntilLocated() {
  // WinBioCancel ends only a call that is already pending. If the waiting
  // thread has not entered the framework yet (a negative limit, a loaded
  // machine), one cancellation would be lost and the wait would never end,
  // so it is repeated every poll period until the wait is over.
  Timer* timer = GetTimer();
  for (;;) {
    platform::biometric().Cancel(Handle());
    for (uint32_t waited = 0; waited < kPollMilliseconds; waited += kRecheckMilliseconds) {
      if (located_.load()) return;
      timer->Sleep(kRecheckMilliseconds);
    }
  }
}

void WinFingerprintComponent::CancelAndClose() {
  std::unique_lock<std::mutex> lock(mutex_);
  cancelRequested_.exchange(true);
  while (inProgress_.load() != 0) condition_.wait(lock);
  CloseSession();
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
  inProgress_.fetch_add(1);
  struct Finish {
    WinFingerprintComponent* self;
    ~Finish() { self->FinishOperation(); }
  } finish{this};

  // An unknown finger is remembered with "no information", and deletes that.
  const WINBIO_BIOMETRIC_SUBTYPE subFactor = fingers_[finger];
  const WINBIO_IDENTITY identity = CurrentUserIdentity();
  platform::biometric().DeleteTemplate(Handle(), Unit().UnitId, &identity, subFactor);
  return FingerprintError::Success;
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
