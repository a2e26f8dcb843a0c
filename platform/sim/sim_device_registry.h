#pragma once

#include <cstddef>
#include <memory>

#include "platform/device_registry.h"

namespace platform::sim {

// SetupAPI and the registry of the simulated machine.
std::unique_ptr<DeviceRegistry> CreateSimDeviceRegistry();

// What the simulated SetupAPI and registry hold open right now, so that tests
// can check that every set and key handed out was released.

size_t OpenSimDeviceInfoSetCount();
size_t OpenSimRegistryKeyCount();

}  // namespace platform::sim
