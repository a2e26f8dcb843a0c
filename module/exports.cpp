#include "contract/exports.h"

#include "contract/module_interface.h"
#include "contract/product_version.h"
#include "module/module_graph.h"
#include "platform/platform.h"

namespace {
// Set only once the whole graph exists, so a failed build leaves it null and
// the next call starts again. The host calls build and release from one thread.
ModuleInterface* g_interface = nullptr;
}  // namespace

extern "C" {

ModuleInterface* GetModuleInterfaceInstance() {
  if (g_interface) return g_interface;
  g_interface = module_graph::Build();
  return g_interface;
}

ProductVersion* GetProductVersion() {
  // Constant values; the first call registers its destruction for unload,
  // guarded so that any thread may make it.
  static ProductVersion version{4, 42, 0, 92};
  return &version;
}

void ReleaseModuleInterfaceInstance() {
  if (!g_interface) return;
  // With no thread of the module left, its services go too: a host that
  // unloads the module then loses nothing to it. A stuck call keeps them.
  if (module_graph::Release(g_interface)) platform::ReleaseBackend();
  g_interface = nullptr;
}

}  // extern "C"
