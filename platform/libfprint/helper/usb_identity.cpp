#include "platform/libfprint/helper/usb_identity.h"

#include <cstdio>
#include <gusb.h>
#include <libudev.h>
#include <memory>

namespace platform::libfprint::helper {
namespace {

struct UdevRelease {
  void operator()(udev* handle) const { udev_unref(handle); }
  void operator()(udev_enumerate* handle) const { udev_enumerate_unref(handle); }
  void operator()(udev_device* handle) const { udev_device_unref(handle); }
};
template <class T>
using UdevOwner = std::unique_ptr<T, UdevRelease>;

std::string Text(const char* text) {
  return text ? text : "";
}

// The database's name (from the USB id list), else the one the device reports.
std::string NameOf(udev_device* device, const char* databaseKey, const char* attribute) {
  std::string name = Text(udev_device_get_property_value(device, databaseKey));
  return name.empty() ? Text(udev_device_get_sysattr_value(device, attribute)) : name;
}

}  // namespace

std::optional<UsbIdentity> UsbIdentityOf(FpDevice* device) {
  // libfprint keeps the USB device of a USB reader in this property.
  if (!g_object_class_find_property(G_OBJECT_GET_CLASS(device), "fpi-usb-device")) return std::nullopt;
  GUsbDevice* usb = nullptr;
  g_object_get(device, "fpi-usb-device", &usb, nullptr);
  if (!usb) return std::nullopt;
  UsbIdentity identity;
  identity.vendorId = g_usb_device_get_vid(usb);
  identity.productId = g_usb_device_get_pid(usb);
  char node[64];
  std::snprintf(node, sizeof node, "/dev/bus/usb/%03u/%03u", g_usb_device_get_bus(usb),
                g_usb_device_get_address(usb));
  g_object_unref(usb);

  UdevOwner<udev> context(udev_new());
  if (!context) return identity;
  UdevOwner<udev_enumerate> matches(udev_enumerate_new(context.get()));
  udev_enumerate_add_match_subsystem(matches.get(), "usb");
  udev_enumerate_add_match_property(matches.get(), "DEVNAME", node);
  udev_enumerate_scan_devices(matches.get());
  udev_list_entry* first = udev_enumerate_get_list_entry(matches.get());
  if (!first) return identity;
  UdevOwner<udev_device> found(udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(first)));
  if (!found) return identity;
  identity.vendorName = NameOf(found.get(), "ID_VENDOR_FROM_DATABASE", "manufacturer");
  identity.productName = NameOf(found.get(), "ID_MODEL_FROM_DATABASE", "product");
  identity.port = Text(udev_device_get_sysname(found.get()));
  return identity;
}

}  // namespace platform::libfprint::helper
