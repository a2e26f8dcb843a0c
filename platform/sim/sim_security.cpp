// The simulated process token: the process user is a fixed local account,
// S-1-5-21-1004336348-1177238915-682003330-1001. With "tokenFails" the token
// cannot be opened (access denied).
#include "platform/sim/sim_security.h"

#include <cstring>

#include "platform/sim/sim_machine.h"

namespace platform::sim {
namespace {

constexpr uint32_t kErrorInsufficientBuffer = 122;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorInvalidParameter = 87;

// A SID in its binary form: revision 1, five sub-authorities, NT authority (5).
constexpr unsigned char kUserSid[] = {
    1,    5,    0,    0,    0, 0, 0, 5,  // revision, sub-authority count, identifier authority
    21,   0,    0,    0,                 // SECURITY_NT_NON_UNIQUE
    0xDC, 0xF4, 0xDC, 0x3B,              // 1004336348
    0x83, 0x3D, 0x2B, 0x46,              // 1177238915
    0x82, 0x8B, 0xA6, 0x28,              // 682003330
    0xE9, 0x03, 0x00, 0x00,              // 1001, the first local user
};

Handle const kProcessPseudoHandle = reinterpret_cast<Handle>(static_cast<intptr_t>(-1));
Handle const kTokenHandle = reinterpret_cast<Handle>(static_cast<intptr_t>(0x7A4));

thread_local uint32_t t_lastError = 0;

uint32_t SidLength(const void* sid) {
  const auto* bytes = static_cast<const unsigned char*>(sid);
  return 8 + 4 * static_cast<uint32_t>(bytes[1]);
}

class SimSecurity : public Security {
 public:
  Handle GetCurrentProcess() override { return kProcessPseudoHandle; }

  bool OpenProcessToken(Handle process, uint32_t, Handle* token) override {
    if (!token || process != kProcessPseudoHandle) return Fail(kErrorInvalidHandle);
    *token = nullptr;
    if (sim::CurrentMachine()->system.tokenFails) return Fail(ERROR_ACCESS_DENIED_T);
    *token = kTokenHandle;
    return true;
  }

  bool GetTokenInformation(Handle token, int infoClass, void* buffer, uint32_t length,
                           uint32_t* returnLength) override {
    if (token != kTokenHandle || !returnLength) return Fail(kErrorInvalidHandle);
    if (infoClass != TokenUserClass) return Fail(kErrorInvalidParameter);
    const auto needed = static_cast<uint32_t>(sizeof(TOKEN_USER_DATA) + sizeof(kUserSid));
    *returnLength = needed;
    if (!buffer || length < needed) return Fail(kErrorInsufficientBuffer);
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::memcpy(bytes + sizeof(TOKEN_USER_DATA), kUserSid, sizeof(kUserSid));
    const TOKEN_USER_DATA user{bytes + sizeof(TOKEN_USER_DATA), 0};
    std::memcpy(bytes, &user, sizeof(user));
    return true;
  }

  bool CopySid(uint32_t destinationLength, void* destination, void* source) override {
    if (!destination || !source) return Fail(kErrorInvalidParameter);
    const uint32_t length = SidLength(source);
    if (destinationLength < length) return Fail(kErrorInsufficientBuffer);
    std::memcpy(destination, source, length);
    return true;
  }

  uint32_t GetLengthSid(void* sid) override { return sid ? SidLength(sid) : 0; }

  uint32_t GetLastError() override { return t_lastError; }

  bool CloseHandle(Handle handle) override {
    return handle == kTokenHandle ? true : Fail(kErrorInvalidHandle);
  }

 private:
  static bool Fail(uint32_t error) {
    t_lastError = error;
    return false;
  }
};

}  // namespace

std::unique_ptr<Security> CreateSimSecurity() {
  return std::make_unique<SimSecurity>();
}

}  // namespace platform::sim
