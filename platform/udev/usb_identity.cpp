#include "platform/udev/usb_identity.h"

#include <cstdio>
#include <cstdlib>
#include <libudev.h>
#include <memory>

namespace platform::udev {
namespace {

struct UdevRelease {
  void operator()(::udev* handle) const { udev_unref(handle); }
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

// The USB devices udev knows, limited to the node `node` when it is given.
std::vector<UsbIdentity> Enumerate(const char* node) {
  std::vector<UsbIdentity> devices;
  UdevOwner<::udev> context(udev_new());
  if (!context) return devices;
  UdevOwner<udev_enumerate> matches(udev_enumerate_new(context.get()));
  udev_enumerate_add_match_subsystem(matches.get(), "usb");
  // Matches on properties are alternatives: one of them.
  if (node)
    udev_enumerate_add_match_property(matches.get(), "DEVNAME", node);
  else
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
    UsbIdentity identity;
    identity.vendorName = NameOf(device.get(), "ID_VENDOR_FROM_DATABASE", "manufacturer");
    identity.productName = NameOf(device.get(), "ID_MODEL_FROM_DATABASE", "product");
    identity.port = Text(udev_device_get_sysname(device.get()));
    identity.node = Text(udev_device_get_devnode(device.get()));
    identity.vendorId = static_cast<unsigned>(std::strtoul(vendor, nullptr, 16));
    identity.productId = static_cast<unsigned>(std::strtoul(product, nullptr, 16));
    devices.push_back(std::move(identity));
  }
  return devices;
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
  return Enumerate(nullptr);
}

std::optional<UsbIdentity> UsbDeviceAt(const std::string& node) {
  std::vector<UsbIdentity> found = Enumerate(node.c_str());
  if (found.empty()) return std::nullopt;
  return std::move(found.front());
}

}  // namespace platform::udev
