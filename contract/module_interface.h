#pragma once

// Fixed by the host contract: names, field order, virtual order and types; see docs/ARCHITECTURE.md.

#include <cstdint>
#include <vector>

class Diagnostic;
class Resource;
class SystemComponentManager;

// Root of the object graph the host walks. It holds the lists but owns none
// of the objects: ReleaseModuleInterfaceInstance deletes them one by one.
class ModuleInterface {
 public:
  ModuleInterface(std::vector<Diagnostic*> diagnostics, Resource* resource, SystemComponentManager* manager,
                  void* auxiliaryObject)
      : diagnostics_(std::move(diagnostics)),
        resource_(resource),
        manager_(manager),
        auxiliaryObject_(auxiliaryObject) {}
  virtual ~ModuleInterface() = default;

  virtual Diagnostic* GetDiagnostic(uint32_t index) {
    return index < diagnostics_.size() ? diagnostics_[index] : nullptr;
  }
  virtual uint64_t GetDiagnosticCount() { return diagnostics_.size(); }
  virtual Resource* GetResource() { return resource_; }
  virtual SystemComponentManager* GetComponentManager() { return manager_; }
  virtual void* GetAuxiliary(uint32_t index) {
    return index < auxiliary_.size() ? auxiliary_[index] : nullptr;
  }
  virtual uint64_t GetAuxiliaryCount() { return auxiliary_.size(); }
  virtual void* GetAuxiliaryObject() { return auxiliaryObject_; }
  virtual bool GetModuleFlag() { return false; }

 private:
  std::vector<Diagnostic*> diagnostics_;
  Resource* resource_;
  SystemComponentManager* manager_;
  void* auxiliaryObject_;
  std::vector<void*> auxiliary_;
};
