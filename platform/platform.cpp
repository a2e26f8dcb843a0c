#include "platform/platform.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/backend.h"
#include "platform/system.h"

namespace platform {
namespace {

// The one place that decides which backend a process runs on: the real
// Windows services on Windows; elsewhere the simulated machine, or the one
// named by FINGERPRINT_BACKEND. A choice that cannot be had gives a machine
// without readers, never the simulated ones: a diagnostic tool must not
// report a simulated reader as the machine's.
Backend CreateChosenBackend() {
#if defined(FP_BACKEND_WIN32)
  return win32::CreateBackend();
#else
  const char* variable = std::getenv(kBackendVariable);
  std::string choice = variable ? variable : "";
  for (char& c : choice)  // names in any case
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (choice.empty() || choice == "sim") return sim::CreateBackend();
  if (choice == "libfprint") {
#if defined(FP_HAVE_LIBFPRINT)
    return libfprint::CreateBackend();
#else
    std::fprintf(stderr,
                 "%s=libfprint: this build has no libfprint backend (libfprint-2 was not found when it was "
                 "built); no readers are listed\n",
                 kBackendVariable);
    return none::CreateBackend("none (libfprint not built)");
#endif
  }
  std::fprintf(stderr, "%s=%s: unknown backend (known: sim, libfprint); no readers are listed\n",
               kBackendVariable, choice.c_str());
  return none::CreateBackend("none (unknown " + choice + ")");
#endif
}

struct Current {
  Backend backend = CreateChosenBackend();
  Services services{backend.biometric.get(), backend.registry.get(), backend.system.get(),
                    backend.security.get()};
};

// Never destroyed at exit: worker threads may still use a service while the
// process exits. Destroyed only by ReleaseBackend, when none can.
std::atomic<Current*> g_current{nullptr};
std::mutex g_currentMutex;

Current& current() {
  if (Current* existing = g_current.load(std::memory_order_acquire)) return *existing;
  std::lock_guard<std::mutex> lock(g_currentMutex);
  if (!g_current.load(std::memory_order_relaxed)) g_current.store(new Current(), std::memory_order_release);
  return *g_current.load(std::memory_order_relaxed);
}

}  // namespace

const Services& services() {
  return current().services;
}

void ReleaseBackend() {
  std::lock_guard<std::mutex> lock(g_currentMutex);
  delete g_current.exchange(nullptr);
}

void PinModule() {
  static std::once_flag pinned;
  static const char anchor = 0;
  std::call_once(pinned, [] { system().PinModule(&anchor); });
}

void ReleaseApplicationHooks() {
  if (const auto& release = current().backend.releaseApplicationHooks) release();
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
