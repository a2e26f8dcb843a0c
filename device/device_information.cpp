#include "device/device_information.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "contract/system_component.h"
#include "device/driver_versions.h"
#include "platform/biometric_service.h"
#include "platform/device_registry.h"
#include "platform/platform.h"

namespace {

constexpr char16_t kEnumKeyPrefix[] = u"System\\CurrentControlSet\\Enum\\";
constexpr char16_t kConfigurationsSuffix[] = u"\\Device Parameters\\WinBio\\Configurations";
constexpr uint32_t kMaxKeyNameLength = 260;

// Owns an open registry key. A key that the sensor-mode search gives up on is
// handed back to reflection and flushed before it is closed.
class RegKeyOwner {
 public:
  RegKeyOwner() = default;
  ~RegKeyOwner() {
    if (!key_) return;
    if (givenUp_) {
      platform::registry().RegEnableReflectionKey(key_);
      platform::registry().RegFlushKey(key_);
    }
    platform::registry().RegCloseKey(key_);
  }
  RegKeyOwner(const RegKeyOwner&) = delete;
  RegKeyOwner& operator=(const RegKeyOwner&) = delete;

  platform::RegKey* out() { return &key_; }
  platform::RegKey get() const { return key_; }
  void GiveUp() { givenUp_ = true; }

 private:
  platform::RegKey key_ = nullptr;
  bool givenUp_ = false;
};

bool IsSurrogateLead(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsSurrogateTrail(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool AllDigits(std::u16string_view name) {
  if (name.empty()) return false;
  for (const char16_t unit : name) {
    if (unit < u'0' || unit > u'9') return false;
  }
  return true;
}

// Reads "SensorMode" from one numbered configuration; true when it was found.
bool ReadSensorMode(const std::u16string& configurationPath, uint32_t* mode) {
  RegKeyOwner key;
  if (platform::registry().RegOpenKeyEx(platform::kHkeyLocalMachine, configurationPath.c_str(), 0,
                                        platform::kKeyReadWow64, key.out()) != platform::ERROR_SUCCESS_T)
    return false;
  uint32_t value = 0;
  uint32_t size = sizeof(value);
  if (platform::registry().RegGetValue(key.get(), nullptr, u"SensorMode", platform::kRrfRtRegDword, nullptr,
                                       &value, &size) != platform::ERROR_SUCCESS_T) {
    key.GiveUp();
    return false;
  }
  *mode = value;
  return true;
}

}  // namespace

std::u16string_view DeviceInformation::FromWinbioString(const WINBIO_STRING& text) {
  size_t length = 0;
  while (length < static_cast<size_t>(WINBIO_STRING_LENGTH) && text[length] != u'\0') ++length;
  return std::u16string_view(text, length);
}

// "bad conversion" is fixed by the host contract: the host catches and shows it.
std::string DeviceInformation::ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t codePoint = text[i];
    if (IsSurrogateLead(text[i])) {
      if (i + 1 >= text.size() || !IsSurrogateTrail(text[i + 1])) throw std::range_error("bad conversion");
      codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (IsSurrogateTrail(text[i])) {
      throw std::range_error("bad conversion");
    }
    if (codePoint < 0x80) {
      out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
      out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
      out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
      out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
  }
  return out;
}

std::string DeviceInformation::NarrowUnits(std::u16string_view text) {
  std::string out(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i)
    out[i] = static_cast<char>(static_cast<unsigned char>(text[i] & 0xFF));
  return out;
}

uint32_t DeviceInformation::SensorModeFlags(const WINBIO_UNIT_SCHEMA* firstUnit) {
  if (!firstUnit) return 0;
  const std::u16string configurations = std::u16string(kEnumKeyPrefix) +
                                        std::u16string(FromWinbioString(firstUnit->DeviceInstanceId)) +
                                        kConfigurationsSuffix;
  RegKeyOwner parent;
  if (platform::registry().RegOpenKeyEx(platform::kHkeyLocalMachine, configurations.c_str(), 0,
                                        platform::kKeyReadWow64, parent.out()) != platform::ERROR_SUCCESS_T)
    return 0;

  bool found = false;
  uint32_t mode = 0;
  for (uint32_t index = 0; !found; ++index) {
    char16_t name[kMaxKeyNameLength + 1] = {};
    uint32_t length = kMaxKeyNameLength + 1;
    if (platform::registry().RegEnumKeyEx(parent.get(), index, name, &length) != platform::ERROR_SUCCESS_T)
      break;
    const std::u16string_view subKey(name, std::min<uint32_t>(length, kMaxKeyNameLength));
    if (!AllDigits(subKey)) continue;
    found = ReadSensorMode(configurations + u"\\" + std::u16string(subKey), &mode);
  }
  if (!found) {
    parent.GiveUp();
    return 0;
  }
  if (mode == 1) return WINBIO_FLAG_BASIC;
  if (mode == 2) return WINBIO_FLAG_ADVANCED;
  return 0;
}

void DeviceInformation::Collect(SystemComponent& component, const WINBIO_UNIT_SCHEMA& unit,
                                DriverVersions* versions) {
  component.ClearProperties();
  const std::u16string_view model = FromWinbioString(unit.Model);
  const std::u16string_view manufacturer = FromWinbioString(unit.Manufacturer);
  const std::u16string_view description = FromWinbioString(unit.Description);
  const std::u16string udi = std::u16string(manufacturer) + u" " + std::u16string(model);
  // The listing's shared device list, or one of its own for a reader
  // described alone.
  std::optional<DriverVersions> own;
  if (!versions) versions = &own.emplace();
  const std::u16string driverVersion = versions->Of(FromWinbioString(unit.DeviceInstanceId));

  component.AppendProperty("UDI", NarrowUnits(udi));
  // Type name and property keys are fixed by the host contract.
  component.SetTypeName("FINGERPRINT");
  component.AppendProperty("FINGERPRINT_MANUFACTURER", ToUtf8(manufacturer));
  component.AppendProperty("FINGERPRINT_MODEL", ToUtf8(model));
  component.AppendProperty("FINGERPRINT_DESCRIPTION", ToUtf8(description));
  if (!driverVersion.empty()) component.AppendProperty("DRIVER_VERSION", ToUtf8(driverVersion));
  // A reader listed without a working driver says which and why.
  std::string why;
  if (platform::biometric().UnitState(FromWinbioString(unit.DeviceInstanceId), &why) < 0)
    component.AppendProperty("DRIVER_STATUS", why);
}
