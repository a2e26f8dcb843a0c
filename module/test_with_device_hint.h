#pragma once

#include <string>
#include <utility>

#include "contract/test.h"
#include "contract/test_context.h"

// Wraps a test and, when it fails, points the user at the component that is
// probably defective: the hint is added after everything the test reported.
template <class T>
class TestWithDeviceHint : public Test {
 public:
  template <class... Args>
  TestWithDeviceHint(std::string hintText, Args&&... args)
      : Test(), wrapped_(std::forward<Args>(args)...), hint_(std::move(hintText)) {
    id = wrapped_.id;
  }
  ~TestWithDeviceHint() override = default;

  bool IsSupported(SystemComponent* component) override { return wrapped_.IsSupported(component); }

  TestStatus Run(TestContext* context) override {
    const TestStatus status = wrapped_.Run(context);
    if (status == TestStatus::Failed) {
      context->GetResultReporter()->AddMessage(hint_, 0, 0);
      context->GetUserInterface()->SetProgress(100, hint_);
    }
    return status;
  }

  bool QueryTraitA() override { return wrapped_.QueryTraitA(); }
  bool QueryTraitB() override { return wrapped_.QueryTraitB(); }
  std::vector<uint64_t> GetListA() override { return wrapped_.GetListA(); }
  void AcceptRecord(TestRecord record) override { wrapped_.AcceptRecord(record); }
  std::vector<uint64_t> GetListB() override { return wrapped_.GetListB(); }
  bool QueryTraitC() override { return wrapped_.QueryTraitC(); }
  bool QueryTraitD() override { return wrapped_.QueryTraitD(); }
  bool Configure(Settings settings, void* extra) override { return wrapped_.Configure(settings, extra); }
  void Notify() override { wrapped_.Notify(); }

  T& wrapped() { return wrapped_; }
  const std::string& hint() const { return hint_; }

 private:
  T wrapped_;
  std::string hint_;
};
