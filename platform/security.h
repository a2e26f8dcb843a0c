#pragma once

#include <cstdint>
#include <memory>

namespace platform {

using Handle = void*;

constexpr uint32_t kTokenRead = 0x00020008;
constexpr int TokenUserClass = 1;  // TOKEN_INFORMATION_CLASS::TokenUser
constexpr uint32_t ERROR_ACCESS_DENIED_T = 5;

// TOKEN_USER (SID_AND_ATTRIBUTES) as GetTokenInformation writes it at the
// start of the caller's buffer; the SID itself follows inside the buffer.
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
  // The last error of the calling thread, as the calls above left it.
  virtual uint32_t GetLastError() = 0;
  virtual bool CloseHandle(Handle handle) = 0;
};

}  // namespace platform
