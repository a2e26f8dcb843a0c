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
// is the one place that chooses which backend a process runs on, by the rule
// in common/backend_choice.h.
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
// The simulated machine (platform/sim/), when asked for.
Backend CreateBackend();
}  // namespace sim

namespace fprintd {
// Real readers on Linux through the system's fingerprint daemon
// (platform/fprintd/), on the desktop's own settings. Built where Qt D-Bus is found.
Backend CreateBackend();
}  // namespace fprintd

namespace libfprint {
// Real readers on Linux through libfprint directly (platform/libfprint/), on
// the desktop's own settings. Built where libfprint-2 is found.
Backend CreateBackend();
}  // namespace libfprint

namespace none {
// A machine without readers (platform/none/): what a process runs on when
// no backend can serve it.
Backend CreateBackend();
}  // namespace none

namespace win32 {
// The real Windows services (platform/win32/).
Backend CreateBackend();
}  // namespace win32

}  // namespace platform
