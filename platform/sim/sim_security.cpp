// The simulated process token: the process user is a fixed local account,
// S-1-5-21-1004336348-1177238915-682003330-1001. With "tokenFails" the token
// cannot be opened (access denied).
#include "platform/sim/sim_security.h"

#include "platform/posix/posix_security.h"
#include "platform/sim/sim_machine.h"

namespace platform::sim {
namespace {

class SimSecurity : public posix::PosixSecurity {
 protected:
  std::vector<unsigned char> UserSid() override {
    return {
        1,    5,    0,    0,    0, 0, 0, 5,  // revision, sub-authority count, identifier authority
        21,   0,    0,    0,                 // SECURITY_NT_NON_UNIQUE
        0xDC, 0xF4, 0xDC, 0x3B,              // 1004336348
        0x83, 0x3D, 0x2B, 0x46,              // 1177238915
        0x82, 0x8B, 0xA6, 0x28,              // 682003330
        0xE9, 0x03, 0x00, 0x00,              // 1001, the first local user
    };
  }
  bool TokenOpens() override { return !sim::CurrentMachine()->system.tokenFails; }
};

}  // namespace

std::unique_ptr<Security> CreateSimSecurity() {
  return std::make_unique<SimSecurity>();
}

}  // namespace platform::sim
