#pragma once

#include <cstdint>

#include "contract/system_component.h"
#include "device/fingerprint_error.h"

// A fingerprint reader: the operations the recognition test and its dialog use.
// Slots follow those of SystemComponent in this order.
class FingerprintComponent : public SystemComponent {
 public:
  ~FingerprintComponent() override = default;

  virtual bool HasSensor() = 0;
  virtual void ResetState() = 0;
  virtual FingerprintError Prepare() = 0;
  virtual FingerprintError Cleanup() = 0;
  virtual FingerprintError OpenSession() = 0;
  virtual FingerprintError CloseSession() = 0;
  virtual void CancelAndClose() = 0;
  virtual FingerprintError LocateSensor(int timeoutSeconds) = 0;
  virtual FingerprintError DeleteTemplate(int finger) = 0;
  virtual uint32_t GetSampleHint() = 0;
  virtual bool IsCancelRequested() = 0;
};
