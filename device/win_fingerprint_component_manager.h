#pragma once

#include <memory>

#include "contract/system_component_manager.h"
#include "platform/winbio_types.h"

// Lists the machine's fingerprint readers through the biometric service: one
// WinFingerprintComponent per unit of the fingerprint factor.
class WinFingerprintComponentManager : public SystemComponentManager {
 public:
  explicit WinFingerprintComponentManager(ComponentId managerId) : SystemComponentManager(managerId) {}
  // Destroys the components before the unit array they point into.
  ~WinFingerprintComponentManager() override;

  // Asks the framework afresh; the list and the stored array are untouched.
  bool IsDevicePresent() override;
  // Null for an index not below the count, like GetComponent.
  SystemComponent* ComponentAt(uint32_t index) override;
  // Replaces every component and the unit array. A failing enumeration leaves
  // the list empty; a text that cannot be converted propagates, keeping the
  // components made before it.
  void EnumerateComponents() override;

 private:
  // The framework's array, released with WinBioFree by its last owner.
  std::shared_ptr<WINBIO_UNIT_SCHEMA> units_;
};
