#include "device/win_fingerprint_component_manager.h"

#include <string>

#include "device/driver_versions.h"
#include "device/win_fingerprint_component.h"
#include "platform/biometric_service.h"
#include "platform/platform.h"

namespace {

std::shared_ptr<WINBIO_UNIT_SCHEMA> OwnUnitArray(WINBIO_UNIT_SCHEMA* array) {
  return std::shared_ptr<WINBIO_UNIT_SCHEMA>(array, [](WINBIO_UNIT_SCHEMA* units) {
    if (units) platform::biometric().Free(units);
  });
}

}  // namespace

WinFingerprintComponentManager::~WinFingerprintComponentManager() {
  DestroyComponents();
  units_.reset();
}

bool WinFingerprintComponentManager::IsDevicePresent() {
  WINBIO_UNIT_SCHEMA* array = nullptr;
  size_t count = 0;
  const HRESULT_T hr = platform::biometric().EnumBiometricUnits(WINBIO_TYPE_FINGERPRINT, &array, &count);
  const auto owner = OwnUnitArray(array);
  return hr >= 0 && count > 0;
}

SystemComponent* WinFingerprintComponentManager::ComponentAt(uint32_t index) {
  return GetComponent(index);
}

void WinFingerprintComponentManager::EnumerateComponents() {
  DestroyComponents();
  units_.reset();

  WINBIO_UNIT_SCHEMA* array = nullptr;
  size_t count = 0;
  const HRESULT_T hr = platform::biometric().EnumBiometricUnits(WINBIO_TYPE_FINGERPRINT, &array, &count);
  units_ = OwnUnitArray(array);
  if (hr < 0 || !array) return;

  // One device list serves every reader's driver version.
  DriverVersions driverVersions;
  for (size_t i = 0; i < count; ++i) {
    components_.push_back(
        std::make_unique<WinFingerprintComponent>(i, units_.get(), std::to_string(i), &driverVersions));
  }
}
