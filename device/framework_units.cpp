#include "device/framework_units.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "device/detached_call.h"
#include "platform/biometric_service.h"
#include "platform/device_registry.h"
#include "platform/platform.h"

namespace {

std::shared_ptr<WINBIO_UNIT_SCHEMA> OwnUnitArray(WINBIO_UNIT_SCHEMA* array) {
  return std::shared_ptr<WINBIO_UNIT_SCHEMA>(array, [](WINBIO_UNIT_SCHEMA* units) {
    if (units) platform::biometric().Free(units);
  });
}

// Copies a device's text property into a framework text, cut to its size.
void ReadTextProperty(platform::DevInfoSet set, platform::DEVINFO_DATA* info, uint32_t property,
                      WINBIO_STRING& target) {
  std::vector<char16_t> text(WINBIO_STRING_LENGTH + 1, u'\0');
  uint32_t type = 0;
  uint32_t required = 0;
  const auto bytes = static_cast<uint32_t>(WINBIO_STRING_LENGTH * sizeof(char16_t));
  if (!platform::registry().SetupDiGetDeviceRegistryProperty(
          set, info, property, &type, reinterpret_cast<uint8_t*>(text.data()), bytes, &required))
    return;
  text[WINBIO_STRING_LENGTH - 1] = u'\0';
  std::memcpy(target, text.data(), WINBIO_STRING_LENGTH * sizeof(char16_t));
}

}  // namespace

FrameworkUnits EnumerateFrameworkUnits(uint32_t milliseconds) {
  // Shared with the call, which may return after this has given up on it.
  struct Answer {
    std::mutex mutex;
    FrameworkUnits units;
    bool abandoned = false;
  };
  auto answer = std::make_shared<Answer>();
  const bool inTime = CallWithin(milliseconds, [answer] {
    WINBIO_UNIT_SCHEMA* array = nullptr;
    size_t count = 0;
    const HRESULT_T hr = platform::biometric().EnumBiometricUnits(WINBIO_TYPE_FINGERPRINT, &array, &count);
    std::lock_guard<std::mutex> lock(answer->mutex);
    if (answer->abandoned) {
      if (array) platform::biometric().Free(array);
      return;
    }
    answer->units = FrameworkUnits{hr, OwnUnitArray(array), count, false};
  });
  std::lock_guard<std::mutex> lock(answer->mutex);
  if (!inTime) {
    answer->abandoned = true;
    std::fprintf(stderr,
                 "fingerprint: the biometric service did not list its readers within %u ms; "
                 "listing no readers\n",
                 static_cast<unsigned>(milliseconds));
    std::fflush(stderr);
    FrameworkUnits none;
    none.timedOut = true;
    return none;
  }
  return std::move(answer->units);
}

FrameworkUnits UnitsInDeviceTree() {
  platform::DeviceRegistry& registry = platform::registry();
  const platform::DevInfoSet set = registry.SetupDiGetClassDevs(&platform::kGuidDevClassBiometric, nullptr,
                                                                nullptr, platform::kDigcfPresent);
  if (!set || set == platform::kInvalidDevInfoSet) return {};
  std::vector<WINBIO_UNIT_SCHEMA> found;
  platform::DEVINFO_DATA info{};
  info.cbSize = sizeof(info);
  for (uint32_t index = 0; registry.SetupDiEnumDeviceInfo(set, index, &info); ++index) {
    WINBIO_UNIT_SCHEMA unit{};
    unit.PoolType = WINBIO_POOL_SYSTEM;
    unit.BiometricFactor = WINBIO_TYPE_FINGERPRINT;
    unit.Capabilities = WINBIO_CAPABILITY_SENSOR;
    ReadTextProperty(set, &info, platform::kSpdrpDeviceDesc, unit.Description);
    ReadTextProperty(set, &info, platform::kSpdrpMfg, unit.Manufacturer);
    // Its instance id, so that its driver version is its own.
    registry.SetupDiGetDeviceInstanceId(set, &info, unit.DeviceInstanceId, WINBIO_STRING_LENGTH, nullptr);
    found.push_back(unit);
  }
  registry.SetupDiDestroyDeviceInfoList(set);
  FrameworkUnits units;
  units.count = found.size();
  if (!found.empty()) {
    units.units = std::shared_ptr<WINBIO_UNIT_SCHEMA>(new WINBIO_UNIT_SCHEMA[found.size()],
                                                      std::default_delete<WINBIO_UNIT_SCHEMA[]>());
    std::memcpy(units.units.get(), found.data(), found.size() * sizeof(WINBIO_UNIT_SCHEMA));
  }
  return units;
}
