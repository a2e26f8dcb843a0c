#pragma once

// Fixed by the host contract: names, field order, virtual order and types; see docs/ARCHITECTURE.md.

#include <cstdint>
#include <vector>

#include "contract/component_id.h"

class Test;

// A named group of tests. It does not own them: the module's release walk
// deletes the tests before the diagnostic.
class Diagnostic {
 public:
  Diagnostic(ComponentId diagnosticId, std::vector<Test*> tests)
      : id_(diagnosticId), tests_(std::move(tests)) {}
  virtual ~Diagnostic() = default;

  virtual ComponentId GetId() { return id_; }
  virtual uint64_t GetTestCount() { return tests_.size(); }
  virtual Test* GetTest(uint32_t index);
  virtual Test* FindTest(const ComponentId& testId);

 private:
  ComponentId id_;
  std::vector<Test*> tests_;
};
