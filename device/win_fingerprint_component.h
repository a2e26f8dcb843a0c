#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "device/fingerprint_component.h"
#include "platform/winbio_types.h"

// One fingerprint reader: one record of the unit array that the manager
// enumerated, over the Windows Biometric Framework.
//
// Sensor wait: LocateSensor blocks in the framework while a watchdog thread
// polls every 100 ms and cancels the framework call once the time limit has
// passed or cancellation was requested. CancelAndClose, from another thread,
// sets the cancel flag, waits until no LocateSensor or DeleteTemplate is under
// way (in-progress counter, mutex, condition variable) and closes the session.
class WinFingerprintComponent : public FingerprintComponent {
 public:
  static constexpr uint32_t kPollMilliseconds = 100;

  // `units` is the manager's array and must outlive the component.
  WinFingerprintComponent(uint64_t unitIndex, const WINBIO_UNIT_SCHEMA* units, std::string deviceId);
  // Must not run while a wait is under way: end it with CancelAndClose first.
  ~WinFingerprintComponent() override = default;

  uint64_t HostValue() override { return 0; }
  bool HostQuery1() override { return true; }
  bool HostQuery2() override { return true; }
  void HostAction1() override {}
  bool HostQuery3() override { return true; }
  void HostAction2() override {}

  bool HasSensor() override;
  void ResetState() override;
  FingerprintError Prepare() override { return FingerprintError::Success; }
  FingerprintError Cleanup() override { return FingerprintError::Success; }
  FingerprintError OpenSession() override;
  FingerprintError CloseSession() override;
  void CancelAndClose() override;
  FingerprintError LocateSensor(int timeoutSeconds) override;
  FingerprintError DeleteTemplate(int finger) override;
  uint32_t GetSampleHint() override;
  bool IsCancelRequested() override;

  // The sub-factor used for a finger index (tests and diagnostics).
  WINBIO_BIOMETRIC_SUBTYPE SubFactorOf(int finger) const;

 private:
  // The handle is written by the thread that opens or closes the session and
  // read by the watchdog, hence atomic; the cell closes a still-open session
  // when its last owner lets go.
  using SessionCell = std::atomic<WINBIO_SESSION_HANDLE>;

  const WINBIO_UNIT_SCHEMA& Unit() const { return units_[unitIndex_]; }
  WINBIO_SESSION_HANDLE Handle() const { return session_->load(); }
  void Watchdog(int timeoutSeconds);
  void CancelUntilLocated();
  void FinishOperation();
  WINBIO_IDENTITY CurrentUserIdentity();

  std::shared_ptr<SessionCell> session_;
  uint64_t unitIndex_;
  const WINBIO_UNIT_SCHEMA* units_;
  std::function<void(int)> watchdog_;
  std::atomic<int32_t> inProgress_{0};
  std::mutex mutex_;
  std::condition_variable condition_;
  std::atomic<bool> cancelRequested_{false};
  std::atomic<bool> located_{false};
  std::map<int, WINBIO_BIOMETRIC_SUBTYPE> fingers_;
};
