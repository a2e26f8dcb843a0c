#include "contract/diagnostic.h"

#include "contract/test.h"

Test* Diagnostic::GetTest(uint32_t index) {
  return index < tests_.size() ? tests_[index] : nullptr;
}

Test* Diagnostic::FindTest(const ComponentId& testId) {
  for (Test* test : tests_) {
    if (test && test->id == testId) return test;
  }
  return nullptr;
}
