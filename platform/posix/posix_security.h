#pragma once

#include <vector>

#include "platform/security.h"

namespace platform::posix {

// The process token and its user's SID, answered with the Windows calls'
// conventions (a thread's last error, buffers sized by the caller). Who the
// user is, and whether the token opens, is the subclass's.
class PosixSecurity : public Security {
 public:
  Handle GetCurrentProcess() override;
  bool OpenProcessToken(Handle process, uint32_t desiredAccess, Handle* token) override;
  bool GetTokenInformation(Handle token, int infoClass, void* buffer, uint32_t length,
                           uint32_t* returnLength) override;
  bool CopySid(uint32_t destinationLength, void* destination, void* source) override;
  uint32_t GetLengthSid(void* sid) override;
  uint32_t GetLastError() override;
  bool CloseHandle(Handle handle) override;

 protected:
  // The process user's SID in its binary form.
  virtual std::vector<unsigned char> UserSid() = 0;
  virtual bool TokenOpens() { return true; }
};

}  // namespace platform::posix
