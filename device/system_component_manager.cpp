#include "contract/system_component_manager.h"

#include "contract/system_component.h"

SystemComponentManager::~SystemComponentManager() {
  DestroyComponents();
}

void SystemComponentManager::DestroyComponents() {
  for (auto& component : components_) component.reset();
  components_.clear();
}
