#pragma once

#include <memory>

#include "platform/biometric_service.h"

namespace platform::none {

// A biometric framework that lists no reader and opens no session, as
// winbio.dll on a machine without readers.
std::unique_ptr<BiometricService> CreateNoneBiometricService();

}  // namespace platform::none
