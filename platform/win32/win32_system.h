#pragma once

#include <memory>

#include "platform/system.h"

namespace platform::win32 {

std::unique_ptr<System> CreateWin32System();

}  // namespace platform::win32
