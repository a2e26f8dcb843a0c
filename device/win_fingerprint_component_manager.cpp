#include "device/win_fingerprint_component_manager.h"

#include <string>

#include "device/driver_versions.h"
#include "device/framework_units.h"
#include "device/win_fingerprint_component.h"
#include "platform/biometric_service.h"
#include "platform/platform.h"

WinFingerprintComponentManager::~WinFingerprintComponentManager() {
  DestroyComponents();
  units_.reset();
}

bool WinFingerprintComponentManager::IsDevicePresent() {
  const FrameworkUnits found = EnumerateFrameworkUnits();
  return found.result >= 0 && found.count > 0;
}

SystemComponent* WinFingerprintComponentManager::ComponentAt(uint32_t index) {
  return GetComponent(index);
}

void WinFingerprintComponentManager::EnumerateComponents() {
  DestroyComponents();
  units_.reset();

  FrameworkUnits found = EnumerateFrameworkUnits();
  // Turned off by policy, the framework lists nothing: the device tree still
  // shows the readers, and each says why it cannot be tested.
  const bool turnedOff = found.result == WINBIO_E_DISABLED;
  if (turnedOff) found = UnitsInDeviceTree();
  units_ = found.units;
  if (found.result < 0 || !units_) return;

  // One device list serves every reader's driver version.
  DriverVersions driverVersions;
  for (size_t i = 0; i < found.count; ++i) {
    auto component =
        std::make_unique<WinFingerprintComponent>(i, units_.get(), std::to_string(i), &driverVersions);
    if (turnedOff) component->MarkTurnedOffByPolicy();
    components_.push_back(std::move(component));
  }
}
