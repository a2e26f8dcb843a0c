#include "platform/backend.h"
#include "platform/sim/sim_biometric_service.h"
#include "platform/sim/sim_device_registry.h"
#include "platform/sim/sim_foreground.h"
#include "platform/sim/sim_security.h"
#include "platform/sim/sim_system.h"

namespace platform::sim {

Backend CreateBackend() {
  auto foreground = std::make_shared<SimForeground>();
  Backend backend{"sim",
                  CreateSimBiometricService([foreground] { return foreground->Owned(); }),
                  CreateSimDeviceRegistry(),
                  CreateSimSystem(),
                  CreateSimSecurity(),
                  {}};
  backend.releaseApplicationHooks = [foreground] { foreground->Release(); };
  return backend;
}

}  // namespace platform::sim
