#pragma once

#include <cstdint>
#include <memory>

namespace platform {

// Kernel and desktop services: time, and (added by the user-interface
// utilities) user, folders, languages, colours, high contrast and DPI.
class System {
 public:
  virtual ~System() = default;

  virtual uint32_t GetTickCount() = 0;  // milliseconds since start, wraps after 2^32
  virtual void Sleep(uint32_t milliseconds) = 0;
};

std::unique_ptr<System> CreateNativeSystem();

}  // namespace platform
