#pragma once

// Fixed by the host contract: names, field order, virtual order and types; see docs/ARCHITECTURE.md.

#include <cstdint>
#include <memory>
#include <vector>

#include "contract/component_id.h"
#include "contract/system_component.h"

// Lists the components of one kind. The manager owns its components; pointers
// handed out are valid until the next enumeration or the manager's end.
class SystemComponentManager {
 public:
  explicit SystemComponentManager(ComponentId managerId) : id_(managerId) {}
  SystemComponentManager(const SystemComponentManager&) = delete;
  SystemComponentManager& operator=(const SystemComponentManager&) = delete;
  virtual ~SystemComponentManager();

  virtual ComponentId GetId() { return id_; }
  virtual uint64_t GetComponentCount() { return components_.size(); }
  virtual SystemComponent* GetComponent(uint32_t index) {
    return index < components_.size() ? components_[index].get() : nullptr;
  }
  virtual bool IsDevicePresent() = 0;
  virtual SystemComponent* ComponentAt(uint32_t index) = 0;
  virtual void EnumerateComponents() = 0;

 protected:
  // Destroys every component in list order and empties the list. A derived
  // manager whose components point into its own data calls this first.
  void DestroyComponents();

  std::vector<std::unique_ptr<SystemComponent>> components_;

 private:
  ComponentId id_;
};
