#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "device/fingerprint_component.h"
#include "device/reader_calls.h"
#include "device/sensor_wait_state.h"
#include "platform/winbio_types.h"

class DriverVersions;

// One fingerprint reader: one record of the unit array that the manager
// enumerated, over the Windows Biometric Framework.
//
// Sensor wait: see SensorOperation, which runs the reader's open and wait;
// the component's own calls take its steps one at a time (ReaderCalls).
//
// Whoever calls (a run's worker, or the host through the methods below), no
// caller waits for the framework without a bound: a call that has not
// returned within the grace (ServiceGate::kGrace) of its limit or its
// cancellation (or, for calls that cannot be cancelled, of its start) is
// given up. The reader is then stuck (IsStuck) and refuses every call at
// once until that one returns; the call's thread owns the shared wait state,
// which every component of the same reader shares, so the component may be
// destroyed meanwhile and a new listing still finds the reader stuck.
class WinFingerprintComponent : public FingerprintComponent {
 public:
  // `units` is the manager's array and must outlive the component;
  // `versions`, the listing's driver versions (null: the reader's own list).
  WinFingerprintComponent(uint64_t unitIndex, const WINBIO_UNIT_SCHEMA* units, std::string deviceId,
                          DriverVersions* versions = nullptr);
  // The last component of its reader closes a session left open, within the
  // grace period.
  ~WinFingerprintComponent() override;

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
  bool IsStuck() override;
  bool OtherReaderTouched() override;
  std::shared_ptr<SensorOperation> StartOperation(int timeoutSeconds) override;

  // The sub-factor used for a finger index (tests and diagnostics).
  WINBIO_BIOMETRIC_SUBTYPE SubFactorOf(int finger) const;
  // A reader the framework did not list because group policy turns
  // biometrics off (found in the device tree): it says so, and every run on
  // it ends as not supported, at once.
  void MarkTurnedOffByPolicy();

 private:
  const WINBIO_UNIT_SCHEMA& Unit() const { return units_[unitIndex_]; }
  WINBIO_IDENTITY CurrentUserIdentity();
  ReaderCalls::Unit OperationUnit();

  std::shared_ptr<SensorWaitState> state_;
  bool turnedOffByPolicy_ = false;
  uint64_t unitIndex_;
  const WINBIO_UNIT_SCHEMA* units_;
  std::map<int, WINBIO_BIOMETRIC_SUBTYPE> fingers_;
};
