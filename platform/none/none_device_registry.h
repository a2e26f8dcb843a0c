#pragma once

#include <memory>

#include "platform/device_registry.h"

namespace platform::none {

// SetupAPI and a registry that know no device: the biometric class lists
// none, and no key exists. The device information then reads neither a
// driver version nor a configured sensor mode, as on a Windows machine whose
// reader driver records neither.
std::unique_ptr<DeviceRegistry> CreateNoneDeviceRegistry();

}  // namespace platform::none
