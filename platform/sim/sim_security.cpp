// Placeholder until the simulated security service lands: no token.
#include "platform/security.h"

namespace platform {
namespace {
class SimSecurity : public Security {
 public:
  Handle GetCurrentProcess() override { return reinterpret_cast<Handle>(-1); }
  bool OpenProcessToken(Handle, uint32_t, Handle*) override { return false; }
  bool GetTokenInformation(Handle, int, void*, uint32_t, uint32_t*) override { return false; }
  bool CopySid(uint32_t, void*, void*) override { return false; }
  uint32_t GetLengthSid(void*) override { return 0; }
  uint32_t GetLastError() override { return 5; }
  bool CloseHandle(Handle) override { return true; }
};
}  // namespace
std::unique_ptr<Security> CreateNativeSecurity() { return std::make_unique<SimSecurity>(); }
}  // namespace platform
