#include "platform/platform.h"

#include <memory>

#include "platform/biometric_service.h"
#include "platform/device_registry.h"
#include "platform/security.h"
#include "platform/system.h"

namespace platform {
namespace {

struct NativeServices {
  std::unique_ptr<BiometricService> biometric = CreateNativeBiometricService();
  std::unique_ptr<DeviceRegistry> registry = CreateNativeDeviceRegistry();
  std::unique_ptr<System> system = CreateNativeSystem();
  std::unique_ptr<Security> security = CreateNativeSecurity();
};

Services& current() {
  // Never destroyed: worker threads may still use a service while the
  // process exits.
  static Services* services = [] {
    static NativeServices* natives = new NativeServices();
    return new Services{natives->biometric.get(), natives->registry.get(), natives->system.get(),
                        natives->security.get()};
  }();
  return *services;
}

}  // namespace

const Services& services() {
  return current();
}

ScopedServices::ScopedServices(const Services& replacement) : saved_(current()) {
  Services& live = current();
  if (replacement.biometric) live.biometric = replacement.biometric;
  if (replacement.registry) live.registry = replacement.registry;
  if (replacement.system) live.system = replacement.system;
  if (replacement.security) live.security = replacement.security;
}

ScopedServices::~ScopedServices() {
  current() = saved_;
}

}  // namespace platform
