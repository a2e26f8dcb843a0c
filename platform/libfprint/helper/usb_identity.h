#pragma once

#include <fprint.h>
#include <optional>
#include <string>

namespace platform::libfprint::helper {

// What the system knows about the USB device behind a libfprint device: the
// names udev gives its vendor and product ids, the ids themselves and where
// it is plugged in.
struct UsbIdentity {
  std::string vendorName;   // udev's vendor name, else the device's own; may be empty
  std::string productName;  // likewise for the product
  unsigned vendorId = 0;
  unsigned productId = 0;
  std::string port;  // the kernel's bus-port path, e.g. "3-1.1.3": the same for the same port across runs
};

// Nothing for a device that is not on USB (libfprint's virtual devices, SPI
// readers) or that udev does not know.
std::optional<UsbIdentity> UsbIdentityOf(FpDevice* device);

}  // namespace platform::libfprint::helper
