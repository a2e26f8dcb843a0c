#pragma once

#include <cstddef>

// What the simulated biometric service holds right now, so that tests can
// check that every session and every array handed out was given back.
namespace platform::sim {

size_t OpenSimSessionCount();
size_t OutstandingSimAllocations();

}  // namespace platform::sim
