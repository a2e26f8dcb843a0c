#include <windows.h>

#include "platform/system.h"

namespace platform {
namespace {

class Win32System : public System {
 public:
  uint32_t GetTickCount() override { return ::GetTickCount(); }
  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

}  // namespace

std::unique_ptr<System> CreateNativeSystem() { return std::make_unique<Win32System>(); }

}  // namespace platform
