#include "platform/backend.h"
#include "platform/libfprint/libfprint_biometric_service.h"
#include "platform/none/none_device_registry.h"
#include "platform/sim/sim_security.h"
#include "platform/sim/sim_system.h"

namespace platform::libfprint {

// Real readers through libfprint; the rest of the Linux machine stays the
// simulated one, except the user's languages, which are the desktop's: real
// readers are tested on a real desktop. libfprint has no driver key or WinBio
// configuration, so the device registry knows none.
Backend CreateBackend() {
  return Backend{"libfprint",
                 CreateLibfprintBiometricService(),
                 none::CreateNoneDeviceRegistry(),
                 sim::CreateSimSystem(sim::UiLanguageSource::Desktop),
                 sim::CreateSimSecurity(),
                 {}};
}

}  // namespace platform::libfprint
