#pragma once

#include <memory>

#include "platform/security.h"

namespace platform::sim {

// The process token of the simulated machine.
std::unique_ptr<Security> CreateSimSecurity();

}  // namespace platform::sim
