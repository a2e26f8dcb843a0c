#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/biometric_service.h"
#include "platform/device_registry.h"
#include "platform/security.h"
#include "platform/system.h"

namespace platform {

// One backend's services. Each backend folder builds its own; platform.cpp
// is the one place that chooses which backend a process runs on.
struct Backend {
  std::string name;
  std::unique_ptr<BiometricService> biometric;
  std::unique_ptr<DeviceRegistry> registry;
  std::unique_ptr<System> system;
  std::unique_ptr<Security> security;
  // Lets go of what the backend hooked into the host's application (a
  // connection to its focus, say); may be empty.
  std::function<void()> releaseApplicationHooks;
};

namespace sim {
// The simulated machine (platform/sim/): the default on every non-Windows build.
Backend CreateBackend();
}  // namespace sim

namespace libfprint {
// Real readers on Linux through libfprint (platform/libfprint/), with the
// simulated machine's other services. Built where libfprint-2 is found.
Backend CreateBackend();
}  // namespace libfprint

namespace none {
// A machine without readers (platform/none/), named `name`: what a process
// runs on when the backend asked for cannot be had.
Backend CreateBackend(std::string name);
}  // namespace none

namespace win32 {
// The real Windows services (platform/win32/).
Backend CreateBackend();
}  // namespace win32

}  // namespace platform
