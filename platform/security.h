#pragma once

#include <cstdint>
#include <memory>

namespace platform {

using Handle = void*;

constexpr uint32_t TOKEN_READ = 0x00020008;
constexpr int TokenUserClass = 1;  // TOKEN_INFORMATION_CLASS::TokenUser

// TOKEN_USER as GetTokenInformation writes it.
struct TOKEN_USER_DATA {
  void* Sid;
  uint32_t Attributes;
};

// Process token and SID services (advapi32/kernel32).
class Security {
 public:
  virtual ~Security() = default;

  virtual Handle GetCurrentProcess() = 0;
  virtual bool OpenProcessToken(Handle process, uint32_t desiredAccess, Handle* token) = 0;
  virtual bool GetTokenInformation(Handle token, int infoClass, void* buffer, uint32_t length,
                                   uint32_t* returnLength) = 0;
  virtual bool CopySid(uint32_t destinationLength, void* destination, void* source) = 0;
  virtual uint32_t GetLengthSid(void* sid) = 0;
  virtual uint32_t GetLastError() = 0;
  virtual bool CloseHandle(Handle handle) = 0;
};

std::unique_ptr<Security> CreateNativeSecurity();

}  // namespace platform
