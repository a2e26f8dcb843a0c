#include "platform/udev/reader_database.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace platform::udev {
namespace {

constexpr char kFileName[] = "60-autosuspend-libfprint-2.hwdb";
constexpr char kSupportedBy[] = "# Supported by libfprint driver ";
constexpr char kUnsupported[] = "# Known unsupported devices";

bool StartsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

}  // namespace

ReaderDatabase ReaderDatabase::Load() {
  // udev's own search order for hwdb.d files: a file in /etc replaces the
  // one of the same name that the package installed.
  for (const char* folder : {"/etc/udev/hwdb.d/", FP_UDEV_DIR "/hwdb.d/"}) {
    std::ifstream file(std::string(folder) + kFileName);
    if (!file) continue;
    std::stringstream text;
    text << file.rdbuf();
    return Parse(text.str());
  }
  std::fprintf(stderr,
               "libfprint: no %s in udev's hwdb.d folders: readers without a working driver are not listed\n",
               kFileName);
  return {};
}

ReaderDatabase ReaderDatabase::Parse(const std::string& text) {
  ReaderDatabase database;
  std::optional<std::string> section;  // the driver of the lines that follow; "" unsupported
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (StartsWith(line, kSupportedBy)) {
      section = line.substr(std::char_traits<char>::length(kSupportedBy));
    } else if (StartsWith(line, kUnsupported)) {
      section = "";
    } else if (section && StartsWith(line, "usb:v") && line.size() >= 14 && line[9] == 'p') {
      // usb:vVVVVpPPPP*
      const unsigned vendor = static_cast<unsigned>(std::strtoul(line.substr(5, 4).c_str(), nullptr, 16));
      const unsigned product = static_cast<unsigned>(std::strtoul(line.substr(10, 4).c_str(), nullptr, 16));
      database.drivers_.emplace(std::make_pair(vendor, product), *section);
    }
  }
  return database;
}

std::optional<std::string> ReaderDatabase::DriverFor(unsigned vendorId, unsigned productId) const {
  const auto it = drivers_.find({vendorId, productId});
  if (it == drivers_.end()) return std::nullopt;
  return it->second;
}

}  // namespace platform::udev
