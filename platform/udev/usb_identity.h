#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform::udev {

// What the system knows about a USB device: the names udev gives its vendor
// and product ids, the ids themselves, where it is plugged in and its node.
struct UsbIdentity {
  std::string vendorName;   // udev's vendor name, else the device's own; may be empty
  std::string productName;  // likewise for the product
  unsigned vendorId = 0;
  unsigned productId = 0;
  std::string port;  // the kernel's bus-port path, e.g. "3-1.1.3": the same for the same port across runs
  std::string node;  // the device node, e.g. "/dev/bus/usb/003/004"; may be empty

  // As the reader is listed: USB\VID_xxxx&PID_xxxx\<port>, falling back to
  // `otherwise` for the last part when the port is unknown.
  std::string InstanceId(const std::string& otherwise) const;
  std::string Manufacturer() const;
  // The product's name with the ids and `note` in brackets:
  // "VFS301 Fingerprint Reader (USB 138a:0005, libfprint driver vfs301)".
  std::string Model(const std::string& note) const;
  std::string Ids() const;  // "138a:0005"
};

// Every USB device (not interface) udev knows, with its identity.
std::vector<UsbIdentity> UsbDevices();
// The USB device whose node is `node`; nothing when udev does not know it.
std::optional<UsbIdentity> UsbDeviceAt(const std::string& node);

}  // namespace platform::udev
