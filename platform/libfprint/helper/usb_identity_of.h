#pragma once

#include <fprint.h>
#include <optional>

#include "platform/udev/usb_identity.h"

namespace platform::libfprint::helper {

// The USB device behind a libfprint device, as udev knows it. Nothing for a
// device that is not on USB (libfprint's virtual devices, SPI readers).
std::optional<udev::UsbIdentity> UsbIdentityOf(FpDevice* device);

}  // namespace platform::libfprint::helper
