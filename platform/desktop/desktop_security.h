#pragma once

#include <memory>

#include "platform/security.h"

namespace platform::desktop {

// The process user's token: its SID is the Unix user's, S-1-22-1-<uid>, as
// Samba and Windows' NFS client map Unix users.
std::unique_ptr<Security> CreateDesktopSecurity();

}  // namespace platform::desktop
