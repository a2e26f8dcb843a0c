#pragma once

#include <memory>

#include "platform/system.h"

namespace platform::desktop {

// The Linux desktop the process runs on: its user, languages, XDG folders,
// palette, high-contrast setting and screen scale, for the backends that
// talk to the machine's real readers.
std::unique_ptr<System> CreateDesktopSystem();

}  // namespace platform::desktop
