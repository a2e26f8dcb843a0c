#include "platform/libfprint/helper/usb_identity_of.h"

#include <cstdio>
#include <gusb.h>

namespace platform::libfprint::helper {

std::optional<udev::UsbIdentity> UsbIdentityOf(FpDevice* device) {
  // libfprint keeps the USB device of a USB reader in this property.
  if (!g_object_class_find_property(G_OBJECT_GET_CLASS(device), "fpi-usb-device")) return std::nullopt;
  GUsbDevice* usb = nullptr;
  g_object_get(device, "fpi-usb-device", &usb, nullptr);
  if (!usb) return std::nullopt;
  udev::UsbIdentity identity;
  identity.vendorId = g_usb_device_get_vid(usb);
  identity.productId = g_usb_device_get_pid(usb);
  char node[64];
  std::snprintf(node, sizeof node, "/dev/bus/usb/%03u/%03u", g_usb_device_get_bus(usb),
                g_usb_device_get_address(usb));
  g_object_unref(usb);
  // udev's names and port where it knows the device; the ids alone otherwise.
  std::optional<udev::UsbIdentity> named = udev::UsbDeviceAt(node);
  if (!named) return identity;
  named->vendorId = identity.vendorId;
  named->productId = identity.productId;
  return named;
}

}  // namespace platform::libfprint::helper
