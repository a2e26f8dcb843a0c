#pragma once

// Fixed by the host contract: names, field order, virtual order and types; see docs/ARCHITECTURE.md.

#include <cstdint>
#include <string>
#include <vector>

#include "contract/component_id.h"
#include "contract/settings.h"
#include "contract/test_status.h"

class SystemComponent;
class TestContext;

// A record the host may hand to a test; no test of this module reads it.
struct TestRecord {
  std::string text1;
  std::string text2;
  std::string text3;
  std::string text4;
  std::string text5;
  uint32_t number1 = 0;
  std::string text6;
  uint32_t number2 = 0;
  uint32_t number3 = 0;
};

// One test as the host drives it. The order of the virtual operations is part
// of the binary contract with the host.
class Test {
 public:
  Test() = default;
  explicit Test(ComponentId testId) : id(testId) {}
  virtual ~Test() = default;

  virtual bool IsSupported(SystemComponent* component) = 0;
  virtual TestStatus Run(TestContext* context) = 0;
  virtual bool QueryTraitA() = 0;
  virtual bool QueryTraitB() { return false; }
  virtual std::vector<uint64_t> GetListA() { return {}; }
  virtual void AcceptRecord(TestRecord /*record*/) {}
  virtual std::vector<uint64_t> GetListB() { return {}; }
  virtual bool QueryTraitC() { return true; }
  virtual bool QueryTraitD() { return true; }
  virtual bool Configure(Settings /*settings*/, void* /*extra*/) { return true; }
  virtual void Notify() {}

  ComponentId id;              // read directly by Diagnostic::FindTest
  std::vector<uint64_t> list;  // left empty by every test of this module
};
