#pragma once

#include <cstdint>
#include <memory>

#include "contract/system_component.h"
#include "device/fingerprint_error.h"

class SensorOperation;

// How often a sensor wait's watchdog looks at the time and the cancel flag.
inline constexpr uint32_t kWatchdogPollMilliseconds = 100;

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
  // Stuck: a call of an earlier run was given up and has not returned; the
  // reader cannot be used until it does.
  virtual bool IsStuck() = 0;
  // The running wait saw a touch on another of the machine's readers (a
  // system-pool session covers them all) and goes on for this one.
  virtual bool OtherReaderTouched() { return false; }
  // Registers a run's open-and-wait as under way and hands it over; the
  // thread that runs it needs nothing else of the reader. Null when the
  // reader is stuck or a cancellation has been requested.
  virtual std::shared_ptr<SensorOperation> StartOperation(int timeoutSeconds) = 0;
};
