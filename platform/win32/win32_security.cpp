// The process token and SID services, called directly (advapi32, kernel32).
#include "platform/win32/win32_security.h"

#include <windows.h>

namespace platform::win32 {
namespace {

static_assert(sizeof(TOKEN_USER_DATA) == sizeof(TOKEN_USER), "TOKEN_USER layout");
static_assert(TokenUserClass == TokenUser, "TOKEN_INFORMATION_CLASS");
static_assert(kTokenRead == (STANDARD_RIGHTS_READ | TOKEN_QUERY), "kTokenRead");

class Win32Security : public Security {
 public:
  Handle GetCurrentProcess() override { return ::GetCurrentProcess(); }

  bool OpenProcessToken(Handle process, uint32_t desiredAccess, Handle* token) override {
    HANDLE opened = nullptr;
    const BOOL ok = ::OpenProcessToken(process, desiredAccess, &opened);
    if (token) *token = ok ? opened : nullptr;
    return ok != FALSE;
  }

  bool GetTokenInformation(Handle token, int infoClass, void* buffer, uint32_t length,
                           uint32_t* returnLength) override {
    DWORD written = 0;
    const BOOL ok = ::GetTokenInformation(token, static_cast<TOKEN_INFORMATION_CLASS>(infoClass), buffer,
                                          length, &written);
    if (returnLength) *returnLength = written;
    return ok != FALSE;
  }

  bool CopySid(uint32_t destinationLength, void* destination, void* source) override {
    return ::CopySid(destinationLength, destination, source) != FALSE;
  }

  uint32_t GetLengthSid(void* sid) override { return ::GetLengthSid(sid); }
  uint32_t GetLastError() override { return ::GetLastError(); }
  bool CloseHandle(Handle handle) override { return ::CloseHandle(handle) != FALSE; }
};

}  // namespace

std::unique_ptr<Security> CreateWin32Security() {
  return std::make_unique<Win32Security>();
}

}  // namespace platform::win32
