#include "platform/platform.h"

#include "platform/backend.h"

namespace platform {
namespace {

// The one place that decides which backend a process runs on: the real
// Windows services on Windows, the simulated machine everywhere else.
Backend CreateChosenBackend() {
#if defined(FP_BACKEND_WIN32)
  return win32::CreateBackend();
#else
  return sim::CreateBackend();
#endif
}

struct Current {
  Backend backend = CreateChosenBackend();
  Services services{backend.biometric.get(), backend.registry.get(), backend.system.get(),
                    backend.security.get()};
};

Current& current() {
  // Never destroyed: worker threads may still use a service while the
  // process exits.
  static Current* current = new Current();
  return *current;
}

}  // namespace

const Services& services() {
  return current().services;
}

const std::string& backendName() {
  return current().backend.name;
}

char16_t PathSeparator() {
#if defined(FP_BACKEND_WIN32)
  return u'\\';
#else
  return u'/';
#endif
}

ScopedServices::ScopedServices(const Services& replacement) : saved_(current().services) {
  Services& live = current().services;
  if (replacement.biometric) live.biometric = replacement.biometric;
  if (replacement.registry) live.registry = replacement.registry;
  if (replacement.system) live.system = replacement.system;
  if (replacement.security) live.security = replacement.security;
}

ScopedServices::~ScopedServices() {
  current().services = saved_;
}

}  // namespace platform
