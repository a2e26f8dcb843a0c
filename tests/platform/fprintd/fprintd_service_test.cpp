// The fprintd backend against Debian's real fprintd on a private system bus
// (tests/support/fprintd_testbed.h), through the module's exports as a host
// drives it, with nothing chosen: the machine has fprintd, so the module takes
// it. The test plays the finger on libfprint's virtual device.
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <QProcess>

#include "contract/diagnostic.h"
#include "contract/module_interface.h"
#include "contract/system_component.h"
#include "contract/system_component_manager.h"
#include "contract/test.h"
#include "host/module_library.h"
#include "tests/support/fprintd_testbed.h"
#include "tests/support/recording_host.h"

using testing::ElementsAre;

namespace {

constexpr char kName[] = "Virtual device for debugging";

class FprintdServiceTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    testbed_ = new FprintdTestbed();
    // The real machine's backend: nothing asks for one.
    unsetenv("FINGERPRINT_BACKEND");
    unsetenv("FINGERPRINT_SIM");
    module_ = new ModuleLibrary();
    QString error;
    ASSERT_TRUE(module_->Load(QStringLiteral(FP_MODULE_PATH), &error)) << error.toStdString();
  }
  static void TearDownTestSuite() {
    delete module_;  // releases the module first: its connections go before the bus
    delete testbed_;
  }
  void SetUp() override { ASSERT_TRUE(testbed_->Problem().isEmpty()) << testbed_->Problem().toStdString(); }
  void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  SystemComponentManager* Manager() { return module_->Interface()->GetComponentManager(); }

  TestStatus Run(const char* timeoutSeconds, RecordingHost& host) {
    Manager()->EnumerateComponents();
    EXPECT_EQ(Manager()->GetComponentCount(), 1u);
    host.component = Manager()->GetComponent(0);
    ::Test* test = module_->Interface()->GetDiagnostic(0)->GetTest(0);
    test->Configure(Settings{{"CSAT", {{"CSAT_TEST_TIMEOUT", timeoutSeconds}}}}, nullptr);
    return test->Run(&host);
  }

  static FprintdTestbed* testbed_;
  static ModuleLibrary* module_;
};
FprintdTestbed* FprintdServiceTest::testbed_ = nullptr;
ModuleLibrary* FprintdServiceTest::module_ = nullptr;

TEST_F(FprintdServiceTest, ListsFprintdsReaderWithItsNameAndScanType) {
  Manager()->EnumerateComponents();
  ASSERT_EQ(Manager()->GetComponentCount(), 1u);
  EXPECT_THAT(
      Manager()->GetComponent(0)->GetInfo().properties,
      ElementsAre(Property{"UDI", std::string("fprintd ") + kName},
                  Property{"FINGERPRINT_MANUFACTURER", "fprintd"}, Property{"FINGERPRINT_MODEL", kName},
                  Property{"FINGERPRINT_DESCRIPTION", std::string(kName) + " (swipe sensor)"}));
}

// With nothing set, diag-host lists fprintd's reader and says why.
TEST_F(FprintdServiceTest, DiagHostWithNothingSetListsFprintdsReader) {
  QProcess host;
  host.start(QStringLiteral(FP_DIAG_HOST), {QStringLiteral("list")});
  ASSERT_TRUE(host.waitForFinished(60000));
  const QString out = QString::fromUtf8(host.readAllStandardOutput());
  EXPECT_TRUE(out.startsWith(QStringLiteral("Backend: fprintd (fprintd is running on the system bus)\n")))
      << out.toStdString();
  EXPECT_TRUE(out.contains(QStringLiteral("FINGERPRINT_MODEL: ") + kName)) << out.toStdString();
}

// Each run ends as fprintd and the user's finger say. The first has no print
// enrolled; the rest have one. The test plays its part once the device waits
// for the finger.
TEST_F(FprintdServiceTest, RunsEndAsFprintdAndTheFingerSay) {
  using Clock = std::chrono::steady_clock;
  std::atomic<Clock::rep> killedAt{0};
  const auto send = [](const char* command) { return [command] { testbed_->Send(command); }; };
  const struct {
    const char* what;
    std::function<void()> before;
    std::function<void()> whileWaiting;  // once the device waits for a finger
    std::function<void()> after;
    const char* timeoutSeconds;
    TestStatus status;
    std::vector<std::string> messages;
  } rows[] = {
      {"no print enrolled",
       nullptr,
       nullptr,
       [] { ASSERT_TRUE(testbed_->Enroll()); },
       "30",
       TestStatus::NotSupported,
       {"ENROLL_A_FINGERPRINT_IN_SYSTEM_SETTINGS_FIRST"}},
      {"the enrolled finger",
       nullptr,
       send("SCAN the-enrolled-finger"),
       nullptr,
       "30",
       TestStatus::Passed,
       {}},
      {"another finger: read, not matched",
       nullptr,
       send("SCAN another-finger"),
       nullptr,
       "30",
       TestStatus::Passed,
       {}},
      {"a finger on the sensor", nullptr, send("FINGER 1"), nullptr, "30", TestStatus::Passed, {}},
      {"never touched", nullptr, nullptr, nullptr, "1", TestStatus::Aborted, {"TIMEOUT_REACHED"}},
      {"another client holds the claim",
       [] { ASSERT_TRUE(testbed_->ClaimElsewhere()); },
       nullptr,
       [] { testbed_->ReleaseElsewhere(); },
       "30",
       TestStatus::Aborted,
       {"READER_BUSY_IN_ANOTHER_PROGRAM"}},
      {"polkit says no",
       [] { ASSERT_TRUE(testbed_->Allow({})); },
       nullptr,
       [] { testbed_->Allow(FprintdTestbed::VerifyAndEnroll()); },
       "30",
       TestStatus::NotSupported,
       {"SYSTEM_POLICY_DENIES_READER"}},
      {"fprintd killed during the wait",
       nullptr,
       [&killedAt] {
         killedAt = Clock::now().time_since_epoch().count();
         testbed_->KillFprintd();
       },
       [] { ASSERT_TRUE(testbed_->StartFprintd()); },
       "60",
       TestStatus::Error,
       {"CANNOT_ACCESS_DEVICE"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.before) row.before();
    RecordingHost host;
    host.yesNoAnswer = InputRequest::No;
    std::thread player;
    if (row.whileWaiting)
      host.whileExec = [&] {
        player = std::thread([&row] {
          if (testbed_->WaitForFingerNeeded(std::chrono::seconds(30))) row.whileWaiting();
        });
      };
    EXPECT_EQ(Run(row.timeoutSeconds, host), row.status) << testing::PrintToString(host.Lines());
    const Clock::time_point ended = Clock::now();
    if (player.joinable()) player.join();
    EXPECT_EQ(host.Messages(), row.messages);
    // The question follows the timeout only.
    EXPECT_EQ(host.RequestCount(InputRequest::YesNo), std::string(row.timeoutSeconds) == "1" ? 1 : 0);
    if (killedAt.load() != 0) {
      // fprintd's leaving ends the wait at once, long before its limit (60 s):
      // generous for a loaded machine.
      EXPECT_LT(ended - Clock::time_point(Clock::duration(killedAt.load())), std::chrono::seconds(15));
      killedAt = 0;
    }
    if (row.after) row.after();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

}  // namespace
