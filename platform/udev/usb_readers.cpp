#include "platform/udev/usb_readers.h"

#include <optional>
#include <unistd.h>

#include "platform/udev/reader_database.h"

namespace platform::udev {

std::vector<UsbReader> SurveyUsbReaders() {
  const ReaderDatabase database = ReaderDatabase::Load();
  std::vector<UsbReader> readers;
  for (UsbIdentity& usb : UsbDevices()) {
    const std::optional<std::string> driver = database.DriverFor(usb.vendorId, usb.productId);
    if (!driver) continue;
    // libfprint opens the node itself, for reading and writing; a node
    // without one is not for this check to judge.
    const bool mayOpen = usb.node.empty() || access(usb.node.c_str(), R_OK | W_OK) == 0;
    readers.push_back(UsbReader{std::move(usb), *driver, mayOpen});
  }
  return readers;
}

std::string UsbReader::Description() const {
  return usb.productName.empty() ? "USB fingerprint reader" : usb.productName;
}

std::string UsbReader::Model(const std::string& via) const {
  return usb.Model((driver.empty() ? std::string("no libfprint driver") : "libfprint driver " + driver) +
                   via);
}

std::string NodeNotOpenable(const UsbIdentity& usb) {
  return "this user may not open the reader's device node " + usb.node +
         ": run the test as administrator (root), or give the user access with the udev rule in the README";
}

}  // namespace platform::udev
