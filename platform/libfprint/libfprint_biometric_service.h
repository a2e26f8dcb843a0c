#pragma once

#include <memory>

#include "platform/biometric_service.h"

namespace platform::libfprint {

// The helper executable the backend runs, found beside the module.
inline constexpr char kHelperName[] = "fingerprint-libfprint-helper";

// The biometric service over libfprint, which runs in the helper process:
// one unit per libfprint device, a session opens the devices that can
// capture, and the sensor wait is a capture that ends as soon as a device
// reports the finger present.
std::unique_ptr<BiometricService> CreateLibfprintBiometricService();

}  // namespace platform::libfprint
