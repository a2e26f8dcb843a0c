#pragma once

#include <cstddef>
#include <functional>
#include <memory>

#include "platform/biometric_service.h"
#include "platform/winbio_types.h"

namespace platform::sim {

// winbio.dll of the simulated machine: readers, sessions and sensor waits as
// the machine description says. `ownsForeground` tells whether this process
// owns the foreground window (for "sensor.needsForeground").
std::unique_ptr<BiometricService> CreateSimBiometricService(std::function<bool()> ownsForeground);

// What the simulated biometric service holds right now, so that tests can
// check that every session and every array handed out was given back.
size_t OpenSimSessionCount();
size_t OutstandingSimAllocations();
// The identity of the last DeleteTemplate call that reached the service.
WINBIO_IDENTITY LastDeletedIdentity();

}  // namespace platform::sim
