#include "device/device_information.h"

#include <optional>
#include <stdexcept>
#include <string>

#include "contract/system_component.h"
#include "device/driver_versions.h"
#include "platform/biometric_service.h"
#include "platform/platform.h"

namespace {

bool IsSurrogateLead(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsSurrogateTrail(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
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
