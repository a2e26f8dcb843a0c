// The fprintd backend against Debian's real fprintd on a private system bus
// (tests/support/fprintd_testbed.h), through the module's exports as a host
// drives it, with nothing chosen: the machine has fprintd, so the module takes
// it. The test plays the finger on libfprint's virtual device.
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
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

namespace {

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

// With nothing set, diag-host lists fprintd's reader, by its name and scan
// type, and says why.
TEST_F(FprintdServiceTest, DiagHostWithNothingSetListsFprintdsReader) {
  QProcess host;
  host.start(QStringLiteral(FP_DIAG_HOST), {QStringLiteral("list")});
  ASSERT_TRUE(host.waitForFinished(60000));
  const QString out = QString::fromUtf8(host.readAllStandardOutput());
  EXPECT_TRUE(out.startsWith(QStringLiteral("Backend: fprintd (fprintd is running on the system bus)\n")))
      << out.toStdString();
  EXPECT_TRUE(out.contains(QStringLiteral("UDI: fprintd Virtual device for debugging\n")))
      << out.toStdString();
  EXPECT_TRUE(out.contains(QStringLiteral("DESCRIPTION: Virtual device for debugging (swipe sensor)\n")));
}

// Each run ends as fprintd and the user's finger say. The first has no print
// enrolled; the rest have one. The finger is played once the device waits for it.
TEST_F(FprintdServiceTest, RunsEndAsFprintdAndTheFingerSay) {
  using Clock = std::chrono::steady_clock;
  enum Condition { kNoPrint, kPrint, kClaimedElsewhere, kPolkitRefuses, kKilledDuringTheWait };
  const struct {
    Condition condition;
    const char* finger;  // the virtual device's command, once it waits
    const char* timeoutSeconds;
    TestStatus status;
    std::vector<std::string> messages;
  } rows[] = {
      {kNoPrint, nullptr, "30", TestStatus::NotSupported, {"ENROLL_A_FINGERPRINT_IN_SYSTEM_SETTINGS_FIRST"}},
      {kPrint, "SCAN the-enrolled-finger", "30", TestStatus::Passed, {}},
      {kPrint, "SCAN another-finger", "30", TestStatus::Passed, {}},  // read, not matched: a touch too
      {kPrint, "FINGER 1", "30", TestStatus::Passed, {}},             // a finger on the sensor
      {kPrint, nullptr, "1", TestStatus::Aborted, {"TIMEOUT_REACHED"}},
      {kClaimedElsewhere, nullptr, "30", TestStatus::Aborted, {"READER_BUSY_IN_ANOTHER_PROGRAM"}},
      {kPolkitRefuses, nullptr, "30", TestStatus::NotSupported, {"SYSTEM_POLICY_DENIES_READER"}},
      {kKilledDuringTheWait, nullptr, "60", TestStatus::Error, {"CANNOT_ACCESS_DEVICE"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE("row " + std::to_string(&row - rows));
    if (row.condition == kClaimedElsewhere) {
      ASSERT_TRUE(testbed_->Device("Claim", {QString()}));
    } else if (row.condition == kPolkitRefuses) {
      ASSERT_TRUE(testbed_->Allow({}));
    }
    RecordingHost host;
    host.yesNoAnswer = InputRequest::No;
    std::thread player;
    Clock::time_point killed;
    host.whileExec = [&] {
      player = std::thread([&] {
        const bool acts = row.finger || row.condition == kKilledDuringTheWait;
        if (!acts || !testbed_->WaitForFingerNeeded(std::chrono::seconds(30))) return;
        if (row.finger) testbed_->Send(row.finger);
        if (row.condition == kKilledDuringTheWait) {
          killed = Clock::now();
          testbed_->KillFprintd();
        }
      });
    };
    EXPECT_EQ(Run(row.timeoutSeconds, host), row.status) << testing::PrintToString(host.Lines());
    const Clock::time_point ended = Clock::now();
    if (player.joinable()) player.join();
    EXPECT_EQ(host.Messages(), row.messages);
    // The question follows the timeout only.
    EXPECT_EQ(host.RequestCount(InputRequest::YesNo), std::string(row.timeoutSeconds) == "1" ? 1 : 0);
    switch (row.condition) {
      case kNoPrint:
        ASSERT_TRUE(testbed_->Enroll());
        break;
      case kClaimedElsewhere:
        testbed_->Device("Release");
        break;
      case kPolkitRefuses:
        testbed_->Allow(FprintdTestbed::VerifyAndEnroll());
        break;
      case kKilledDuringTheWait:
        // fprintd's leaving ends the wait at once, long before its limit (60 s):
        // generous for a loaded machine.
        EXPECT_LT(ended - killed, std::chrono::seconds(15));
        ASSERT_TRUE(testbed_->StartFprintd());
        break;
      case kPrint:
        break;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

}  // namespace
