#pragma once

#include "device/system_component_manager.h"

// Lists the machine's fingerprint readers through the biometric service.
class WinFingerprintComponentManager : public SystemComponentManager {
 public:
  explicit WinFingerprintComponentManager(ComponentId managerId) : SystemComponentManager(managerId) {}
  ~WinFingerprintComponentManager() override;

  bool IsDevicePresent() override;
  SystemComponent* ComponentAt(uint32_t index) override;
  void EnumerateComponents() override;
};
