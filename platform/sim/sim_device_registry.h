#pragma once

#include <cstddef>

// What the simulated SetupAPI and registry hold open right now, so that tests
// can check that every set and key handed out was released.
namespace platform::sim {

size_t OpenSimDeviceInfoSetCount();
size_t OpenSimRegistryKeyCount();

}  // namespace platform::sim
