#include "platform/desktop/desktop_security.h"

#include <unistd.h>

#include "platform/posix/posix_security.h"

namespace platform::desktop {
namespace {

class DesktopSecurity : public posix::PosixSecurity {
 protected:
  std::vector<unsigned char> UserSid() override {
    const uint32_t uid = static_cast<uint32_t>(geteuid());
    return {1,
            2,
            0,
            0,
            0,
            0,
            0,
            22,  // revision, two sub-authorities, authority 22 (Unix)
            1,
            0,
            0,
            0,  // Unix users
            static_cast<unsigned char>(uid),
            static_cast<unsigned char>(uid >> 8),
            static_cast<unsigned char>(uid >> 16),
            static_cast<unsigned char>(uid >> 24)};
  }
};

}  // namespace

std::unique_ptr<Security> CreateDesktopSecurity() {
  return std::make_unique<DesktopSecurity>();
}

}  // namespace platform::desktop
