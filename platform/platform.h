#pragma once

#include <string>

// The one door from the rest of the module to the operating system. The
// backend behind it is chosen once per process (platform.cpp); tests replace
// single services with ScopedServices.

namespace platform {

class BiometricService;
class DeviceRegistry;
class Security;
class System;

struct Services {
  BiometricService* biometric = nullptr;
  DeviceRegistry* registry = nullptr;
  System* system = nullptr;
  Security* security = nullptr;
};

// The services in force. The backend's are created on first use.
const Services& services();

// The name of the backend in force ("sim", "fprintd", "win32", ...).
const std::string& backendName();
// Lets go of what the backend hooked into the host's application; the module
// calls it as it is released.
void ReleaseApplicationHooks();
// Destroys the backend's services; the next use creates them anew. Only when
// no thread can still be using one: the module calls it as it is released
// with none of its threads left.
void ReleaseBackend();
// Keeps the module's code loaded until the process ends, whoever unloads it:
// a thread of the module left in a call that never returned (or a helper's
// receiver thread) runs that code when it goes on. Once per process; every part
// of the module that leaves such a thread behind pins through here.
void PinModule();

inline BiometricService& biometric() {
  return *services().biometric;
}
inline DeviceRegistry& registry() {
  return *services().registry;
}
inline System& system() {
  return *services().system;
}
inline Security& security() {
  return *services().security;
}

// Replaces the non-null members of `replacement` for its lifetime. Install
// before starting threads that use the services; not itself thread-safe.
class ScopedServices {
 public:
  explicit ScopedServices(const Services& replacement);
  ~ScopedServices();
  ScopedServices(const ScopedServices&) = delete;
  ScopedServices& operator=(const ScopedServices&) = delete;

 private:
  Services saved_;
};

}  // namespace platform
