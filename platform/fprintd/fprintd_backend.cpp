#include "platform/backend.h"
#include "platform/desktop/desktop_security.h"
#include "platform/desktop/desktop_system.h"
#include "platform/fprintd/fprintd_biometric_service.h"
#include "platform/none/none_device_registry.h"

namespace platform::fprintd {

// Real readers through the system's fingerprint daemon, on the real desktop.
// fprintd has no driver key or WinBio configuration: the device registry
// knows none.
Backend CreateBackend() {
  return Backend{"fprintd",
                 CreateFprintdBiometricService(),
                 none::CreateNoneDeviceRegistry(),
                 desktop::CreateDesktopSystem(),
                 desktop::CreateDesktopSecurity(),
                 {}};
}

}  // namespace platform::fprintd
