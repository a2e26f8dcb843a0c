#pragma once

#include <memory>

#include "platform/security.h"

namespace platform::win32 {

std::unique_ptr<Security> CreateWin32Security();

}  // namespace platform::win32
