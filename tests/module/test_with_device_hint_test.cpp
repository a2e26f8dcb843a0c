#include "module/test_with_device_hint.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/host_context_mocks.h"

using testing::_;
using testing::InSequence;
using testing::Return;

namespace {

// The wrapped test records what reached it; its answers are chosen to differ
// from the Test defaults so that forwarding is visible.
class RecordingTest : public Test {
 public:
  explicit RecordingTest(ComponentId testId) : Test(testId) {}

  bool IsSupported(SystemComponent* component) override {
    lastComponent = component;
    return true;
  }
  TestStatus Run(TestContext* context) override {
    if (context) context->GetResultReporter()->AddMessage("OWN_MESSAGE", 0, 0);
    return status;
  }
  bool QueryTraitA() override { return false; }
  bool QueryTraitB() override { return true; }
  std::vector<uint64_t> GetListA() override { return {1, 2}; }
  void AcceptRecord(TestRecord record) override { lastRecord = record; }
  std::vector<uint64_t> GetListB() override { return {3}; }
  bool QueryTraitC() override { return false; }
  bool QueryTraitD() override { return false; }
  bool Configure(Settings settings, void* extra) override {
    lastSettings = settings;
    lastExtra = extra;
    return false;
  }
  void Notify() override { ++notified; }

  TestStatus status = TestStatus::Passed;
  SystemComponent* lastComponent = nullptr;
  TestRecord lastRecord;
  Settings lastSettings;
  void* lastExtra = nullptr;
  int notified = 0;
};

const char kHint[] = "POSSIBLE_DEFECTIVE_COMPONENTS: FINGERPRINT_READER";

TEST(TestWithDeviceHintTest, TakesTheWrappedTestsIdentifier) {
  TestWithDeviceHint<RecordingTest> wrapper(kHint, ComponentId{22, 1, 1});
  EXPECT_EQ(wrapper.id, (ComponentId{22, 1, 1}));
  EXPECT_EQ(wrapper.hint(), kHint);
}

TEST(TestWithDeviceHintTest, ForwardsEveryOperationWithItsArguments) {
  TestWithDeviceHint<RecordingTest> wrapper(kHint, ComponentId{22, 1, 1});
  RecordingTest& inner = wrapper.wrapped();
  auto* component = reinterpret_cast<SystemComponent*>(0x1234);

  EXPECT_TRUE(wrapper.IsSupported(component));
  EXPECT_EQ(inner.lastComponent, component);
  EXPECT_FALSE(wrapper.QueryTraitA());
  EXPECT_TRUE(wrapper.QueryTraitB());
  EXPECT_EQ(wrapper.GetListA(), (std::vector<uint64_t>{1, 2}));
  EXPECT_EQ(wrapper.GetListB(), (std::vector<uint64_t>{3}));
  EXPECT_FALSE(wrapper.QueryTraitC());
  EXPECT_FALSE(wrapper.QueryTraitD());

  TestRecord record;
  record.text3 = "three";
  record.number2 = 7;
  wrapper.AcceptRecord(record);
  EXPECT_EQ(inner.lastRecord.text3, "three");
  EXPECT_EQ(inner.lastRecord.number2, 7u);

  int extra = 0;
  const Settings settings{{"CSAT", {{"CSAT_TEST_TIMEOUT", "5"}}}};
  EXPECT_FALSE(wrapper.Configure(settings, &extra));
  EXPECT_EQ(inner.lastSettings, settings);
  EXPECT_EQ(inner.lastExtra, &extra);

  wrapper.Notify();
  EXPECT_EQ(inner.notified, 1);
}

TEST(TestWithDeviceHintTest, AddsTheHintLastAfterAFailure) {
  TestWithDeviceHint<RecordingTest> wrapper(kHint, ComponentId{22, 1, 1});
  wrapper.wrapped().status = TestStatus::Failed;
  MockHost host;
  {
    InSequence order;
    EXPECT_CALL(host.reporter, AddMessage("OWN_MESSAGE", 0, 0));
    EXPECT_CALL(host.reporter, AddMessage(kHint, 0, 0));
    EXPECT_CALL(host.ui, SetProgress(100, kHint));
  }
  EXPECT_EQ(wrapper.Run(&host.context), TestStatus::Failed);
}

TEST(TestWithDeviceHintTest, AddsNothingForAnyOtherStatus) {
  for (TestStatus status : {TestStatus::Passed, TestStatus::NotSupported, TestStatus::Aborted,
                            TestStatus::NotRecognized, TestStatus::Error}) {
    TestWithDeviceHint<RecordingTest> wrapper(kHint, ComponentId{22, 1, 1});
    wrapper.wrapped().status = status;
    MockHost host;
    EXPECT_CALL(host.reporter, AddMessage("OWN_MESSAGE", 0, 0));
    EXPECT_CALL(host.reporter, AddMessage(kHint, _, _)).Times(0);
    EXPECT_CALL(host.ui, SetProgress(_, _)).Times(0);
    EXPECT_EQ(wrapper.Run(&host.context), status) << TestStatusName(status);
  }
}

}  // namespace
