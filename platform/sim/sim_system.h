#pragma once

#include <memory>

#include "platform/system.h"

namespace platform::sim {

// Tick count, desktop, languages, folders, colours and DPI of the simulated machine.
std::unique_ptr<System> CreateSimSystem();

}  // namespace platform::sim
