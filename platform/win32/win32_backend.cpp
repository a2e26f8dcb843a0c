#include "platform/backend.h"
#include "platform/win32/win32_biometric_service.h"
#include "platform/win32/win32_device_registry.h"
#include "platform/win32/win32_security.h"
#include "platform/win32/win32_system.h"

namespace platform::win32 {

Backend CreateBackend() {
  return Backend{"win32",
                 CreateWin32BiometricService(),
                 CreateWin32DeviceRegistry(),
                 CreateWin32System(),
                 CreateWin32Security(),
                 {}};
}

}  // namespace platform::win32
