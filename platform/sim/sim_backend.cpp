#include "platform/backend.h"
#include "platform/sim/sim_biometric_service.h"
#include "platform/sim/sim_device_registry.h"
#include "platform/sim/sim_foreground.h"
#include "platform/sim/sim_security.h"
#include "platform/sim/sim_system.h"

namespace platform::sim {

Backend CreateBackend() {
  return Backend{"sim", CreateSimBiometricService(SimForegroundProbe()), CreateSimDeviceRegistry(),
                 CreateSimSystem(), CreateSimSecurity()};
}

}  // namespace platform::sim
