#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

namespace platform::udev {

// libfprint's own list of the USB fingerprint readers it knows, from the udev
// hardware database file that libfprint installs: every id one of its drivers
// supports, under that driver's name, and the ids it knows no driver for.
class ReaderDatabase {
 public:
  // The file as udev finds it: the first of udev's hwdb.d folders that holds
  // it (/etc/udev/hwdb.d overrides the system's). Empty when there is none.
  static ReaderDatabase Load();
  // Parses the file's text.
  static ReaderDatabase Parse(const std::string& text);

  // The driver for a USB id: its name, "" for a known unsupported reader,
  // nothing for an id that is not a fingerprint reader libfprint knows.
  std::optional<std::string> DriverFor(unsigned vendorId, unsigned productId) const;
  bool Empty() const { return drivers_.empty(); }

 private:
  std::map<std::pair<unsigned, unsigned>, std::string> drivers_;
};

}  // namespace platform::udev
