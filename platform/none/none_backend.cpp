#include "platform/backend.h"
#include "platform/none/none_biometric_service.h"
#include "platform/none/none_device_registry.h"
#include "platform/sim/sim_security.h"
#include "platform/sim/sim_system.h"

namespace platform::none {

Backend CreateBackend(std::string name) {
  return Backend{std::move(name),        CreateNoneBiometricService(), CreateNoneDeviceRegistry(),
                 sim::CreateSimSystem(), sim::CreateSimSecurity(),     {}};
}

}  // namespace platform::none
