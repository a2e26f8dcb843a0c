#include "device/framework_units.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/biometric_service.h"
#include "platform/device_registry.h"
#include "platform/platform.h"
#include "threads/service_gate.h"

namespace {

std::shared_ptr<WINBIO_UNIT_SCHEMA> OwnUnitArray(WINBIO_UNIT_SCHEMA* array) {
  return std::shared_ptr<WINBIO_UNIT_SCHEMA>(array, [](WINBIO_UNIT_SCHEMA* units) {
    if (units) platform::biometric().Free(units);
  });
}

// Copies a device's text property into a framework text, cut to its size;
// false when the device has none.
bool ReadTextProperty(platform::DevInfoSet set, platform::DEVINFO_DATA* info, uint32_t property,
                      WINBIO_STRING& target) {
  std::vector<char16_t> text(WINBIO_STRING_LENGTH + 1, u'\0');
  uint32_t type = 0;
  uint32_t required = 0;
  const auto bytes = static_cast<uint32_t>(WINBIO_STRING_LENGTH * sizeof(char16_t));
  if (!platform::registry().SetupDiGetDeviceRegistryProperty(
          set, info, property, &type, reinterpret_cast<uint8_t*>(text.data()), bytes, &required))
    return false;
  text[WINBIO_STRING_LENGTH - 1] = u'\0';
  std::memcpy(target, text.data(), WINBIO_STRING_LENGTH * sizeof(char16_t));
  return text[0] != u'\0';
}

}  // namespace

FrameworkUnits EnumerateFrameworkUnits() {
  // One listing in flight per process: a service that hangs holds one
  // thread, and a listing after a give-up answers at once.
  static const std::shared_ptr<ServiceGate> listing = ServiceGate::Create();
  auto answer = std::make_shared<FrameworkUnits>();
  ServiceGate::Call call;
  // A late answer is released by its last owner, the call itself.
  call.body = [answer] {
    WINBIO_UNIT_SCHEMA* array = nullptr;
    size_t count = 0;
    const HRESULT_T hr = platform::biometric().EnumBiometricUnits(WINBIO_TYPE_FINGERPRINT, &array, &count);
    *answer = FrameworkUnits{hr, OwnUnitArray(array), count, false};
  };
  call.limit = ServiceGate::Clock::now();
  const ServiceGate::Result result = listing->Make(std::move(call));
  if (result == ServiceGate::Result::kReturned) return std::move(*answer);
  if (result == ServiceGate::Result::kStuck)
    std::fprintf(stderr,
                 "fingerprint: the biometric service has not answered an earlier listing yet; "
                 "listing no readers\n");
  else if (result == ServiceGate::Result::kNoThread)
    std::fprintf(stderr, "fingerprint: no thread to list the readers on; listing no readers\n");
  else
    std::fprintf(stderr,
                 "fingerprint: the biometric service did not list its readers within %u ms; "
                 "listing no readers\n",
                 static_cast<unsigned>(ServiceGate::kGrace.count()));
  std::fflush(stderr);
  FrameworkUnits none;
  none.timedOut = true;
  return none;
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
    // The device tree has no model: the device's name stands for it, as the
    // Device Manager shows it (its friendly name, else its description).
    if (!ReadTextProperty(set, &info, platform::kSpdrpFriendlyName, unit.Model))
      std::memcpy(unit.Model, unit.Description, sizeof(unit.Model));
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
