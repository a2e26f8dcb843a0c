#include "platform/platform.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include "common/backend_choice.h"
#include "platform/backend.h"
#include "platform/system.h"
#if defined(FP_HAVE_FPRINTD)
#include "platform/fprintd/fprintd_presence.h"
#endif

namespace platform {
namespace {

// The one place that decides which backend a process runs on, by the rule
// every layer shares. A choice that cannot be had gives a machine without
// readers, never the simulated ones: a diagnostic tool must not report a
// simulated reader as the machine's.
Backend CreateChosenBackend() {
#if defined(FP_HAVE_FPRINTD)
  const common::BackendChoice choice = common::ChooseBackendForThisProcess(&fprintd::Presence);
#else
  const common::BackendChoice choice = common::ChooseBackendForThisProcess({});
#endif
#if defined(FP_BACKEND_WIN32)
  static_cast<void>(choice);  // always the Windows framework
  return win32::CreateBackend();
#else
  if (choice.name == "sim") return sim::CreateBackend();
#if defined(FP_HAVE_FPRINTD)
  if (choice.name == "fprintd") return fprintd::CreateBackend();
#endif
#if defined(FP_HAVE_LIBFPRINT)
  if (choice.name == "libfprint") return libfprint::CreateBackend();
#endif
  std::fprintf(stderr, "No fingerprint readers are listed: %s\n", choice.reason.c_str());
  return none::CreateBackend();
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
// The backend this thread is destroying, if any: a service that leaves a
// thread behind as it goes pins the module through it, as services() must
// not be asked for then.
thread_local Current* t_releasing = nullptr;

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
  const std::unique_ptr<Current> released(g_current.exchange(nullptr));
  if (!released) return;
  t_releasing = released.get();
  // The biometric service first: the system it may pin through outlives it.
  released->backend.biometric.reset();
  t_releasing = nullptr;
}

void PinModule() {
  static std::once_flag pinned;
  static const char anchor = 0;
  std::call_once(pinned, [] {
    System& pinning = t_releasing ? *t_releasing->backend.system : system();
    pinning.PinModule(&anchor);
  });
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
