#include "device/driver_versions.h"

#include "platform/platform.h"

namespace {

constexpr char16_t kClassKeyPrefix[] = u"SYSTEM\\CurrentControlSet\\Control\\Class\\";
// Device instance ids are at most 200 characters (MAX_DEVICE_ID_LEN).
constexpr uint32_t kMaxInstanceIdLength = 200;

thread_local DriverVersions* current = nullptr;

std::u16string Folded(std::u16string_view text) {
  std::u16string folded(text);
  for (char16_t& unit : folded) {
    if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - u'a' + u'A');
  }
  return folded;
}

}  // namespace

DriverVersions::DriverVersions() : outer_(current) {
  current = this;
}

DriverVersions::~DriverVersions() {
  current = outer_;
  if (set_ != nullptr && set_ != platform::kInvalidDevInfoSet)
    platform::registry().SetupDiDestroyDeviceInfoList(set_);
}

DriverVersions* DriverVersions::Current() {
  return current;
}

void DriverVersions::Open() {
  opened_ = true;
  platform::DeviceRegistry& registry = platform::registry();
  // Flags 0: devices of the class that are not present count too.
  set_ = registry.SetupDiGetClassDevs(&platform::kGuidDevClassBiometric, nullptr, nullptr, 0);
  if (set_ == nullptr || set_ == platform::kInvalidDevInfoSet) return;
  for (uint32_t index = 0;; ++index) {
    Member member{};
    member.info.cbSize = sizeof(platform::DEVINFO_DATA);
    if (!registry.SetupDiEnumDeviceInfo(set_, index, &member.info)) break;
    char16_t id[kMaxInstanceIdLength + 1] = {};
    if (registry.SetupDiGetDeviceInstanceId(set_, &member.info, id, kMaxInstanceIdLength + 1, nullptr))
      byInstanceId_.emplace(Folded(id), members_.size());
    members_.push_back(member);
  }
}

std::u16string DriverVersions::Of(std::u16string_view deviceInstanceId) {
  if (!opened_) Open();
  if (members_.empty()) return {};
  const auto found = byInstanceId_.find(Folded(deviceInstanceId));
  return VersionOf(members_[found == byInstanceId_.end() ? 0 : found->second]);
}

std::u16string DriverVersions::VersionOf(Member& member) {
  if (member.read) return member.version;
  member.read = true;
  platform::DeviceRegistry& registry = platform::registry();
  uint32_t type = 0;
  uint32_t required = 0;
  registry.SetupDiGetDeviceRegistryProperty(set_, &member.info, platform::kSpdrpDriver, &type, nullptr, 0,
                                            &required);
  if (required == 0) return {};
  // Twice the reported size in bytes, of which the call may fill the first
  // half: the rest stays zero, so the name always ends in a NUL.
  std::vector<char16_t> driverKey(required, u'\0');
  if (!registry.SetupDiGetDeviceRegistryProperty(set_, &member.info, platform::kSpdrpDriver, &type,
                                                 reinterpret_cast<uint8_t*>(driverKey.data()), required,
                                                 &required))
    return {};
  const std::u16string path = std::u16string(kClassKeyPrefix) + driverKey.data();

  uint32_t size = 0;
  if (registry.RegGetValue(platform::kHkeyLocalMachine, path.c_str(), u"DriverVersion", platform::kRrfRtRegSz,
                           nullptr, nullptr, &size) != platform::ERROR_SUCCESS_T)
    return {};
  // Twice `size` bytes plus one unit that the call never writes: the text
  // ends in a NUL even when the stored value lacks one.
  std::vector<char16_t> version(size + 1, u'\0');
  uint32_t capacity = size * 2;
  if (registry.RegGetValue(platform::kHkeyLocalMachine, path.c_str(), u"DriverVersion", platform::kRrfRtRegSz,
                           nullptr, version.data(), &capacity) != platform::ERROR_SUCCESS_T)
    return {};
  member.version = version.data();
  return member.version;
}
