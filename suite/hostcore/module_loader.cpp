#include "suite/hostcore/module_loader.h"

#include <string>

#include <QString>

#include "platform/platform.h"
#include "platform/system.h"

namespace kivra::hostcore {

ModuleLoader::~ModuleLoader() = default;

void* ModuleLoader::loadLibrary(const char* name, uint32_t flags) {
  if (!name || !*name) return nullptr;
  const std::u16string wide = QString::fromUtf8(name).toStdU16String();
  const uint32_t nativeFlags = (flags & kSystemFolderOnly) ? platform::kLoadLibrarySearchSystem32 : 0;
  void* handle = platform::system().LoadLibraryExW(wide.c_str(), nativeFlags);
  if (handle) ++loaded_;
  return handle;
}

uint64_t ModuleLoader::loadedCount() const {
  return loaded_.load();
}

bool ModuleLoader::releaseLibrary(void* handle) {
  if (!handle || !platform::system().FreeLibrary(handle)) return false;
  // Never below zero, even if a caller releases a handle it got elsewhere.
  uint64_t current = loaded_.load();
  while (current > 0 && !loaded_.compare_exchange_weak(current, current - 1)) {
  }
  return true;
}

}  // namespace kivra::hostcore
