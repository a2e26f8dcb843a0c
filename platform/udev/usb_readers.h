#pragma once

#include <string>
#include <vector>

#include "platform/udev/usb_identity.h"

namespace platform::udev {

inline constexpr char kNoDriverForReader[] =
    "no Linux driver supports this reader (libfprint lists it as unsupported)";

// A USB fingerprint reader present that libfprint's hardware database knows.
struct UsbReader {
  UsbIdentity usb;
  std::string driver;       // its libfprint driver; "" when libfprint knows it as unsupported
  bool userMayOpen = true;  // this process may open its device node for reading and writing

  // As the reader is listed: the product's name, else "USB fingerprint reader";
  std::string Description() const;
  // and its model, with the USB ids and its driver (or the lack of one) and `via`:
  // "VFS 5011 fingerprint sensor (USB 138a:0017, libfprint driver vfs5011)".
  std::string Model(const std::string& via = "") const;
};

// The USB readers present, found through udev and libfprint's database
// without asking libfprint: a driver that fails cannot hide its reader.
std::vector<UsbReader> SurveyUsbReaders();

// Why a reader is listed but cannot be used by this user, and what to do.
std::string NodeNotOpenable(const UsbIdentity& usb);

}  // namespace platform::udev
