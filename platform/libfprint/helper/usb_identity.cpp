#include "platform/libfprint/helper/usb_identity.h"

#include <cstdio>
#include <cstdlib>
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

UsbIdentity IdentityOf(udev_device* device) {
  UsbIdentity identity;
  identity.vendorName = NameOf(device, "ID_VENDOR_FROM_DATABASE", "manufacturer");
  identity.productName = NameOf(device, "ID_MODEL_FROM_DATABASE", "product");
  identity.port = Text(udev_device_get_sysname(device));
  return identity;
}

}  // namespace

std::string UsbIdentity::Ids() const {
  char ids[16];
  std::snprintf(ids, sizeof ids, "%04x:%04x", vendorId & 0xFFFF, productId & 0xFFFF);
  return ids;
}

std::string UsbIdentity::InstanceId(const std::string& otherwise) const {
  char instance[64];
  std::snprintf(instance, sizeof instance, "USB\\VID_%04X&PID_%04X\\", vendorId & 0xFFFF, productId & 0xFFFF);
  return instance + (port.empty() ? otherwise : port);
}

std::string UsbIdentity::Manufacturer() const {
  return vendorName.empty() ? "USB vendor " + Ids().substr(0, 4) : vendorName;
}

std::string UsbIdentity::Model(const std::string& note) const {
  return (productName.empty() ? "" : productName + " ") + "(USB " + Ids() + ", " + note + ")";
}

std::vector<UsbIdentity> UsbDevices() {
  std::vector<UsbIdentity> devices;
  UdevOwner<udev> context(udev_new());
  if (!context) return devices;
  UdevOwner<udev_enumerate> matches(udev_enumerate_new(context.get()));
  udev_enumerate_add_match_subsystem(matches.get(), "usb");
  udev_enumerate_add_match_property(matches.get(), "DEVTYPE", "usb_device");
  udev_enumerate_scan_devices(matches.get());
  for (udev_list_entry* entry = udev_enumerate_get_list_entry(matches.get()); entry;
       entry = udev_list_entry_get_next(entry)) {
    UdevOwner<udev_device> device(
        udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
    if (!device) continue;
    const char* vendor = udev_device_get_sysattr_value(device.get(), "idVendor");
    const char* product = udev_device_get_sysattr_value(device.get(), "idProduct");
    if (!vendor || !product) continue;
    UsbIdentity identity = IdentityOf(device.get());
    identity.vendorId = static_cast<unsigned>(std::strtoul(vendor, nullptr, 16));
    identity.productId = static_cast<unsigned>(std::strtoul(product, nullptr, 16));
    devices.push_back(std::move(identity));
  }
  return devices;
}

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
  UsbIdentity named = IdentityOf(found.get());
  named.vendorId = identity.vendorId;
  named.productId = identity.productId;
  return named;
}

}  // namespace platform::libfprint::helper
