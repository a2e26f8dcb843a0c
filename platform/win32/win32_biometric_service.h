#pragma once

#include <memory>

#include "platform/biometric_service.h"

namespace platform::win32 {

std::unique_ptr<BiometricService> CreateWin32BiometricService();

}  // namespace platform::win32
