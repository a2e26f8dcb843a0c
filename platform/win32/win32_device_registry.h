#pragma once

#include <memory>

#include "platform/device_registry.h"

namespace platform::win32 {

std::unique_ptr<DeviceRegistry> CreateWin32DeviceRegistry();

}  // namespace platform::win32
