#include "platform/posix/module_pin.h"

#include <dlfcn.h>

namespace platform::posix {

bool PinModuleContaining(const void* address) {
  Dl_info info{};
  if (!dladdr(address, &info) || !info.dli_fname) return false;
  return dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE) != nullptr;
}

}  // namespace platform::posix
