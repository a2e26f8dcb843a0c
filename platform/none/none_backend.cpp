#include "platform/backend.h"
#include "platform/desktop/desktop_security.h"
#include "platform/desktop/desktop_system.h"
#include "platform/none/none_biometric_service.h"
#include "platform/none/none_device_registry.h"

namespace platform::none {

// No readers, on the real desktop.
Backend CreateBackend() {
  return Backend{"none",
                 CreateNoneBiometricService(),
                 CreateNoneDeviceRegistry(),
                 desktop::CreateDesktopSystem(),
                 desktop::CreateDesktopSecurity(),
                 {}};
}

}  // namespace platform::none
