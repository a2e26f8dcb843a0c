#include "device/driver_versions.h"

#include <vector>

#include "platform/platform.h"

namespace {

// Closes a registry key.
class KeyOwner {
 public:
  explicit KeyOwner(platform::RegKey key) : key_(key) {}
  ~KeyOwner() {
    if (key_) platform::registry().RegCloseKey(key_);
  }
  KeyOwner(const KeyOwner&) = delete;
  KeyOwner& operator=(const KeyOwner&) = delete;
  platform::RegKey get() const { return key_; }

 private:
  platform::RegKey key_;
};

std::u16string Folded(std::u16string_view text) {
  std::u16string folded(text);
  for (char16_t& unit : folded) {
    if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - u'a' + u'A');
  }
  return folded;
}

}  // namespace

DriverVersions::DeviceList::~DeviceList() {
  Reset(nullptr);
}

void DriverVersions::DeviceList::Reset(platform::DevInfoSet set) {
  if (valid()) platform::registry().SetupDiDestroyDeviceInfoList(set_);
  set_ = set;
}

DriverVersions::DriverVersions() = default;

DriverVersions::~DriverVersions() = default;

std::u16string DriverVersions::Of(std::u16string_view deviceInstanceId) {
  const std::u16string id = Folded(deviceInstanceId);
  const auto known = byInstanceId_.find(id);
  if (known != byInstanceId_.end()) return known->second;

  platform::DeviceRegistry& registry = platform::registry();
  if (!readersOpened_) {
    readersOpened_ = true;
    readers_.Reset(registry.SetupDiCreateDeviceInfoList(&platform::kGuidDevClassBiometric));
  }
  platform::DEVINFO_DATA info{};
  info.cbSize = sizeof(platform::DEVINFO_DATA);
  const bool found =
      !id.empty() && readers_.valid() && registry.SetupDiOpenDeviceInfo(readers_.get(), id.c_str(), &info);
  std::u16string version = found ? VersionOf(readers_.get(), &info) : FirstDeviceVersion();
  byInstanceId_.emplace(id, version);
  return version;
}

std::u16string DriverVersions::FirstDeviceVersion() {
  if (wholeClassRead_) return firstDeviceVersion_;
  wholeClassRead_ = true;
  platform::DeviceRegistry& registry = platform::registry();
  // Present devices only: a removed reader keeps its driver key, and its
  // version must not stand in for a reader that is there.
  wholeClass_.Reset(registry.SetupDiGetClassDevs(&platform::kGuidDevClassBiometric, nullptr, nullptr,
                                                 platform::kDigcfPresent));
  if (!wholeClass_.valid()) return {};
  platform::DEVINFO_DATA info{};
  info.cbSize = sizeof(platform::DEVINFO_DATA);
  if (!registry.SetupDiEnumDeviceInfo(wholeClass_.get(), 0, &info)) return {};
  firstDeviceVersion_ = VersionOf(wholeClass_.get(), &info);
  return firstDeviceVersion_;
}

std::u16string DriverVersions::VersionOf(platform::DevInfoSet set, platform::DEVINFO_DATA* info) {
  platform::DeviceRegistry& registry = platform::registry();
  // The driver's key is the device's software key, opened the supported way
  // and only for reading: its path under the class key is not ours to build.
  const KeyOwner key(registry.SetupDiOpenDevRegKey(set, info, platform::kDicsFlagGlobal, 0,
                                                   platform::kDiregDrv, platform::kKeyRead));
  if (!key.get()) return {};
  uint32_t size = 0;
  if (registry.RegGetValue(key.get(), nullptr, u"DriverVersion", platform::kRrfRtRegSz, nullptr, nullptr,
                           &size) != platform::ERROR_SUCCESS_T)
    return {};
  // Twice `size` bytes plus one unit that the call never writes: the text
  // ends in a NUL even when the stored value lacks one.
  std::vector<char16_t> version(size + 1, u'\0');
  uint32_t capacity = size * 2;
  if (registry.RegGetValue(key.get(), nullptr, u"DriverVersion", platform::kRrfRtRegSz, nullptr,
                           version.data(), &capacity) != platform::ERROR_SUCCESS_T)
    return {};
  return version.data();
}
