#pragma once

#include <atomic>
#include <cstdint>

namespace kivra::hostcore {

// Loads libraries by name at run time for the suite's components. The order
// of the virtual operations is fixed: callers built against other copies of
// this declaration reach them by slot.
class ModuleLoader {
 public:
  // Flag for loadLibrary: search only the system folder, so that a library of
  // the same name planted beside the application is never picked up.
  static constexpr uint32_t kSystemFolderOnly = 1;

  ModuleLoader() = default;
  ModuleLoader(const ModuleLoader&) = delete;
  ModuleLoader& operator=(const ModuleLoader&) = delete;
  virtual ~ModuleLoader();

  // A library handle, or null when the library cannot be loaded. `name` is UTF-8.
  virtual void* loadLibrary(const char* name, uint32_t flags);
  // How many loaded libraries have not been released yet.
  virtual uint64_t loadedCount() const;
  // Gives back a handle from loadLibrary; false for an unknown handle.
  virtual bool releaseLibrary(void* handle);

 private:
  std::atomic<uint64_t> loaded_{0};
};

}  // namespace kivra::hostcore
