#include "platform/backend.h"
#include "platform/desktop/desktop_security.h"
#include "platform/desktop/desktop_system.h"
#include "platform/libfprint/libfprint_biometric_service.h"
#include "platform/none/none_device_registry.h"

namespace platform::libfprint {

// Real readers through libfprint, on the real desktop. libfprint has no
// driver key or WinBio configuration, so the device registry knows none.
Backend CreateBackend() {
  return Backend{"libfprint",
                 CreateLibfprintBiometricService(),
                 none::CreateNoneDeviceRegistry(),
                 desktop::CreateDesktopSystem(),
                 desktop::CreateDesktopSecurity(),
                 {}};
}

}  // namespace platform::libfprint
