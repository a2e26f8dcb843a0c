#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/winbio_types.h"

// The fingerprint units the framework lists, fetched with a bound: a service
// that is still starting, or a driver that hangs, must not freeze the host's
// listing, which runs on its user-interface thread.
struct FrameworkUnits {
  HRESULT_T result = S_OK_T;
  std::shared_ptr<WINBIO_UNIT_SCHEMA> units;  // released through WinBioFree by its last owner
  size_t count = 0;
  bool timedOut = false;  // the framework had not answered within the bound
};

// Asks the framework, waiting at most the grace (ServiceGate::kGrace). Past
// that the answer is empty, a message goes to standard error, and a late
// answer is released by the call itself.
FrameworkUnits EnumerateFrameworkUnits();

// When group policy turns the framework off it lists nothing, yet the
// readers are still in the device tree: one record per present device of the
// biometric class, with its description and manufacturer from SetupAPI.
FrameworkUnits UnitsInDeviceTree();
