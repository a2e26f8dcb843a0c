// The recognition test end to end on the simulated machine, the reader's
// errors through the dialog, and the widget wrapper on its own.
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <tuple>

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QResource>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include "contract/component_id.h"
#include "device/fingerprint_component.h"
#include "device/win_fingerprint_component_manager.h"
#include "module/test_with_device_hint.h"
#include "platform/sim/sim_biometric_service.h"
#include "platform/sim/sim_machine.h"
#include "recognition/fingerprint_widget_wrapper.h"
#include "recognition/play_test.h"
#include "recognition/play_test_ui.h"
#include "recognition/recognition_test.h"
#include "recognition/result_report.h"
#include "tests/support/other_component.h"
#include "tests/support/recording_host.h"
#include "tests/support/test_support.h"
#include "threads/module_threads.h"

using platform::sim::ScopedMachine;
using platform::sim::SimMachine;

namespace {

const std::string kHint = "POSSIBLE_DEFECTIVE_COMPONENTS: FINGERPRINT_READER";

PlayTest* OpenDialog() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* dialog = qobject_cast<PlayTest*>(widget); dialog && dialog->isVisible()) return dialog;
  return nullptr;
}

// Runs `action` on the user-interface thread once the dialog is on screen
// (and has been for `afterMs`), however long that takes on a busy machine.
void WhenDialogShown(std::function<void(PlayTest*)> action, int afterMs = 150) {
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, [poll, action, afterMs] {
    if (!OpenDialog()) return;
    poll->stop();
    poll->deleteLater();
    QTimer::singleShot(afterMs, qApp, [action] {
      if (PlayTest* dialog = OpenDialog()) action(dialog);
    });
  });
  poll->start(10);
}

// Once the dialog is shown, ends the wait `how`: by its close button, the
// host's abort request or a pending event ("limit": not at all).
void EndWaitBy(RecordingHost& host, const std::string& how) {
  auto ended = std::make_shared<std::atomic<bool>>(false);
  host.abortRequested = [ended, how] { return how == "abort" && ended->load(); };
  host.pendingEvent = [ended, how] { return how == "event" && ended->load() ? 1 : 0; };
  host.whileExec = [ended, how] {
    WhenDialogShown([ended, how](PlayTest* dialog) {
      if (how == "close")
        dialog->findChild<QPushButton*>(QStringLiteral("recognition_test_header_close"))->click();
      *ended = true;
    });
  };
}

SimMachine Machine(std::optional<uint32_t> touchAfterMs) {
  SimMachine machine = platform::sim::DefaultMachine();
  machine.sensor.touchAfterMs = touchAfterMs;
  return machine;
}

class RecognitionRunTest : public testing::Test {
 protected:
  void Use(SimMachine machine) {
    machine_.emplace(std::move(machine));
    manager_.EnumerateComponents();
    ASSERT_GE(manager_.GetComponentCount(), 1u);
    host_.component = manager_.GetComponent(0);
  }
  void SetTimeout(const char* seconds) {
    test_.Configure(Settings{{"CSAT", {{"CSAT_TEST_TIMEOUT", seconds}}}}, nullptr);
  }
  TestStatus Run(RecordingHost* host = nullptr) {
    if (host && !host->component) host->component = host_.component;
    return test_.Run(host ? host : &host_);
  }
  // Let self-deleting dialogs go before the next test.
  void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  std::optional<ScopedMachine> machine_;
  WinFingerprintComponentManager manager_{ids::kModule};
  TestWithDeviceHint<RecognitionTest> test_{kHint, ids::kRecognitionTest};
  RecordingHost host_;
};

// A run that passes; its dialog, still awaiting its deferred deletion, then
// outlives the host and must touch nothing the run released.
TEST_F(RecognitionRunTest, TouchInTimePassesAndTheDialogOutlivesTheHostHarmlessly) {
  Use(Machine(500));
  auto host = std::make_unique<RecordingHost>();
  // The host translates the module's ids in German, the module speaks the
  // machine's English: the dialog is English throughout, and so are the
  // host's translations while it is open; afterwards the host's own again.
  const QString rcc = QCoreApplication::applicationDirPath() + QStringLiteral("/fingerprint.rcc");
  ASSERT_TRUE(QResource::registerResource(rcc));
  QTranslator hostGerman;
  ASSERT_TRUE(hostGerman.load(QStringLiteral("fingerprint_de_DE"),
                              QStringLiteral(":fingerprint/resources/translations")));
  QCoreApplication::installTranslator(&hostGerman);
  const auto hostTranslation = [] { return QCoreApplication::translate("FINGERPRINT", "RECOGNITION_TEST"); };
  QString duringDialog;
  QPointer<PlayTest> dialog;
  host->whileExec = [&] {
    // At once: the touch ends the run soon after.
    WhenDialogShown(
        [&](PlayTest* shown) {
          dialog = shown;
          duringDialog = hostTranslation();
        },
        0);
  };

  EXPECT_EQ(Run(host.get()), TestStatus::Passed);

  EXPECT_EQ(host->execResult, 0);
  ASSERT_FALSE(dialog.isNull());
  EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::FramelessWindowHint));
  // From the module's catalogue, which the build put beside the test.
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Fingerprint Diagnostics"));
  EXPECT_EQ(dialog->ui().headerTitle->text(), QStringLiteral("Fingerprint Recognition Test"));
  EXPECT_EQ(dialog->ui().instructionLabel->text(),
            QStringLiteral("Touch or slide your finger on the sensor until the test finishes."));
  EXPECT_EQ(duringDialog, QStringLiteral("Fingerprint Recognition Test"));
  EXPECT_EQ(hostTranslation(), QStringLiteral("Fingerabdruck-Erkennungstest"));
  QCoreApplication::removeTranslator(&hostGerman);
  QResource::unregisterResource(rcc);
  EXPECT_EQ(host->Lines(),
            (std::vector<std::string>{"Request:0 RECOGNITION_TEST|FINGERPRINT_INSTRUCTIONS", "Request:3 |"}));

  host.reset();
  QTest::qWait(1500);  // a tick would now reach the released host
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(dialog.isNull());
}

// After a timeout the user is asked; only a yes fails, with the hint last.
// The touch comes long after the configured limit: only a wait bounded by
// that limit ends in a timeout.
TEST_F(RecognitionRunTest, TimeoutAsksAndAYesFailsWithTheHintLast) {
  const std::string ask = "Request:2 RECOGNITION_TEST|DID_YOU_PERFORM_THE_TEST_CORRECTLY";
  const std::vector<std::string> failed = {"SetProgress ",
                                           ask,
                                           "SetProgress FAILED_TO_ENROLL_FINGERPRINT",
                                           "AddMessage FAILED_TO_ENROLL_FINGERPRINT",
                                           "AddMessage " + kHint,
                                           "SetProgress " + kHint};
  // The session's opening time, the limit, the answer, the status and the lines after the dialog.
  const std::tuple<uint32_t, const char*, uint32_t, TestStatus, std::vector<std::string>> rows[] = {
      {0, "0", InputRequest::Yes, TestStatus::Failed, failed},
      {0,
       "0",
       InputRequest::No,
       TestStatus::Aborted,
       {"SetProgress ", ask, "SetProgress TIMEOUT_REACHED", "AddMessage TIMEOUT_REACHED"}},
      {0, "0", 7, TestStatus::Aborted, {"SetProgress ", ask}},
      // Longer to open than the limit: the limit counts from the start of
      // the wait, so the wait still times out and asks.
      {3500, "1", InputRequest::Yes, TestStatus::Failed, failed},
  };
  for (const auto& [openSessionMs, limit, answer, status, expected] : rows) {
    SimMachine machine = Machine(3000);
    machine.sensor.openSessionMs = openSessionMs;
    Use(machine);
    SetTimeout(limit);
    RecordingHost host;
    host.yesNoAnswer = answer;
    EXPECT_EQ(Run(&host), status);
    const std::vector<std::string> lines = host.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1], "Request:3 |");  // the dialog came first
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()), expected) << answer;
  }
}

// The reader's failures reach the host in order, and only from the
// user-interface thread: a host may forward its calls to that thread and wait.
TEST_F(RecognitionRunTest, ReaderFailuresReportFromTheUserInterfaceThenHint) {
  const std::string start[] = {"Request:0 RECOGNITION_TEST|FINGERPRINT_INSTRUCTIONS [ui]",
                               "Request:3 | [ui]"};
  const std::tuple<void (*)(SimMachine&), TestStatus, std::vector<std::string>> rows[] = {
      {[](SimMachine& m) { m.openSessionHresult = static_cast<int32_t>(0x80098003u); },
       TestStatus::Aborted,
       {start[0], start[1], "AddMessage CANNOT_ACCESS_DEVICE [ui]"}},
      {[](SimMachine& m) { m.sensor.locateHresult = static_cast<int32_t>(0x80004005u); },
       TestStatus::Failed,
       {start[0], start[1], "SetProgress FAILED_TO_ENROLL_FINGERPRINT [ui]",
        "AddMessage FAILED_TO_ENROLL_FINGERPRINT [ui]", "AddMessage " + kHint + " [ui]",
        "SetProgress " + kHint + " [ui]"}},
      // A unit that failed (a driver's helper that died): not accessible, said once.
      {[](SimMachine& m) { m.openSessionHresult = static_cast<int32_t>(WINBIO_E_DEVICE_FAILURE); },
       TestStatus::Error,
       {start[0], start[1], "SetProgress CANNOT_ACCESS_DEVICE [ui]", "AddMessage CANNOT_ACCESS_DEVICE [ui]"}},
      {[](SimMachine& m) { m.sensor.locateHresult = static_cast<int32_t>(WINBIO_E_DEVICE_FAILURE); },
       TestStatus::Error,
       {start[0], start[1], "SetProgress CANNOT_ACCESS_DEVICE [ui]", "AddMessage CANNOT_ACCESS_DEVICE [ui]"}},
  };
  for (const auto& [change, status, expected] : rows) {
    SimMachine machine = Machine(100);
    change(machine);
    Use(machine);
    RecordingHost host;
    EXPECT_EQ(Run(&host), status);
    EXPECT_EQ(host.Lines(true), expected);
  }
}

// The biometric service as it answers on real machines: a touch on another
// reader of the system pool, a reader in use elsewhere, policy, a remote
// session, Enhanced Sign-in Security, a dialog without the focus. None of
// them blames the reader, and each instruction change is shown once.
TEST_F(RecognitionRunTest, TheServicesDocumentedAnswersReachTheRun) {
  const std::string other = "That was another reader. Touch the reader “Touch sensor”.";
  const std::string clickFirst = "Click this window first, then touch or slide your finger on the sensor.";
  const std::string touch = "Touch or slide your finger on the sensor until the test finishes.";
  struct Row {
    const char* file;
    TestStatus status;
    std::vector<std::string> messages;
    std::vector<std::string> instructions;  // the changes, in order
    bool stealFocus = false;
  };
  const Row rows[] = {
      {"two-readers-other-touched.json", TestStatus::Aborted, {}, {other}},
      {"two-readers-other-then-right.json", TestStatus::Passed, {}, {other}},
      {"enrollment-in-progress.json", TestStatus::Aborted, {"READER_BUSY_IN_ANOTHER_PROGRAM"}, {}},
      {"device-busy.json", TestStatus::Aborted, {"READER_BUSY_IN_ANOTHER_PROGRAM"}, {}},
      {"session-busy.json", TestStatus::Aborted, {"READER_BUSY_IN_ANOTHER_PROGRAM"}, {}},
      {"biometrics-disabled.json", TestStatus::NotSupported, {"BIOMETRICS_TURNED_OFF_BY_POLICY"}, {}},
      {"remote-session.json", TestStatus::NotSupported, {"NOT_AVAILABLE_IN_REMOTE_SESSION"}, {}},
      {"ess-capable.json", TestStatus::NotSupported, {"ENHANCED_SIGN_IN_SECURITY_NOT_SUPPORTED"}, {}},
      // Told at the next tick; the dialog's focus, given back, brings back the instruction.
      {"focus-withheld.json", TestStatus::Passed, {}, {clickFirst, touch}, true},
  };
  SetTimeout("4");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    Use(fp_test::MachineFile(row.file));
    RecordingHost host;
    host.yesNoAnswer = 7;  // neither yes nor no: no verdict after a timeout
    std::vector<std::string> instructions;
    std::unique_ptr<QWidget> elsewhere;
    host.whileExec = [&] {
      WhenDialogShown(
          [&](PlayTest* dialog) {
            QObject::connect(dialog, &PlayTest::ChangeInfoLabelMessage,
                             [&](const QString& text) { instructions.push_back(text.toStdString()); });
            if (!row.stealFocus) return;
            // Another window of the process takes the focus from the dialog.
            elsewhere = std::make_unique<QWidget>();
            elsewhere->show();
            elsewhere->activateWindow();
          },
          0);
    };
    EXPECT_EQ(Run(&host), row.status);
    EXPECT_EQ(host.Messages(), row.messages);
    EXPECT_EQ(instructions, row.instructions);
  }
}

// A touch on another reader is told in the run that saw it, and not again
// at the start of the next run on the same reader (touched right at once);
// screen readers are told each instruction the dialog shows.
TEST_F(RecognitionRunTest, AnotherReadersTouchIsToldInItsOwnRunOnly) {
  Use(fp_test::MachineFile("two-readers-other-then-right.json"));
  SetTimeout("4");
  for (const char* instruction : {"That was another reader. Touch the reader “Touch sensor”.",
                                  "Touch or slide your finger on the sensor until the test finishes."}) {
    RecordingHost host;
    QPointer<PlayTest> dialog;
    host.whileExec = [&] { WhenDialogShown([&](PlayTest* shown) { dialog = shown; }, 0); };
    EXPECT_EQ(Run(&host), TestStatus::Passed);
    ASSERT_FALSE(dialog.isNull());  // closed, not deleted yet: it shows the last instruction
    EXPECT_EQ(dialog->ui().instructionLabel->text().toStdString(), instruction);
    // Screen readers read it too: the dialog's description and the progress bar's name.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(dialog)->text(QAccessible::Description).toStdString(),
              instruction);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(dialog->ui().progressBar)
                  ->text(QAccessible::Name)
                  .toStdString(),
              instruction);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

// The close button, the host's abort request and a pending event each end
// the wait: the run is aborted without a message and the reader is cancelled.
TEST_F(RecognitionRunTest, CloseAbortOrEventDuringTheWaitReachTheReader) {
  Use(Machine(std::nullopt));
  SetTimeout("60");
  for (const char* how : {"close", "abort", "event"}) {
    SCOPED_TRACE(how);
    RecordingHost host;
    EndWaitBy(host, how);
    EXPECT_EQ(Run(&host), TestStatus::Aborted);
    EXPECT_EQ(host.RequestCount(InputRequest::YesNo), 0);
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_TRUE(static_cast<FingerprintComponent*>(host_.component)->IsCancelRequested());
  }
}

// A reader whose driver ignores cancellation and answers only long after:
// whatever cancels the wait, the run gives the wait up a grace period later
// as not accessible while the user-interface thread keeps running; a second
// run on it is refused at once; and the stuck call, returning after its
// component is gone, closes its session and touches nothing freed.
TEST_F(RecognitionRunTest, AReaderThatNeverAnswersIsGivenUpAndItsLateCallIsHarmless) {
  const size_t sessionsBefore = platform::sim::OpenSimSessionCount();
  // How the wait ends, and how long the session takes to open.
  const std::pair<const char*, uint32_t> rows[] = {{"limit", 0}, {"close", 0}, {"abort", 0}, {"abort", 8000}};
  int row = 0;
  for (const auto& [how, openSessionMs] : rows) {
    SimMachine machine = Machine(8000);
    machine.sensor.ignoresCancel = true;
    machine.sensor.openSessionMs = openSessionMs;
    // A reader of its own each time: the one before is still stuck.
    machine.readers[0].deviceInstanceId += "\\" + std::to_string(++row);
    machine_.emplace(machine);
    auto manager = std::make_unique<WinFingerprintComponentManager>(ids::kModule);
    manager->EnumerateComponents();
    RecordingHost host;
    host.component = manager->GetComponent(0);
    SetTimeout(std::string(how) == "limit" ? "0" : "60");
    EndWaitBy(host, how);
    // A blocked user-interface thread would show as a gap of the grace period.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });
    sinceTick.start();
    tick.start(20);

    EXPECT_EQ(Run(&host), TestStatus::Error) << how;
    longestGap = std::max(longestGap, sinceTick.elapsed());  // a stall at the very end counts too
    tick.stop();
    EXPECT_EQ(host.Messages(), std::vector<std::string>{"CANNOT_ACCESS_DEVICE"}) << how;
    EXPECT_LT(longestGap, 1500) << how;

    // A new listing still knows the reader is stuck.
    manager->EnumerateComponents();
    RecordingHost again;
    again.component = manager->GetComponent(0);
    QElapsedTimer refusal;
    refusal.start();
    EXPECT_EQ(Run(&again), TestStatus::Error) << how;
    EXPECT_LT(refusal.elapsed(), 1500) << how;  // refused, not waited for again
    EXPECT_EQ(again.Lines(), (std::vector<std::string>{"SetProgress CANNOT_ACCESS_DEVICE",
                                                       "AddMessage CANNOT_ACCESS_DEVICE"}))
        << how;
    manager.reset();  // the module lets go of the reader while its call is stuck
  }
  EXPECT_TRUE(QTest::qWaitFor([&] { return platform::sim::OpenSimSessionCount() == sessionsBefore; }, 30000));
  // And every thread of theirs ends.
  EXPECT_TRUE(ModuleThreads::JoinAll(std::chrono::steady_clock::now() + std::chrono::seconds(30)));
}

TEST_F(RecognitionRunTest, RefusalsBeforeTheDialog) {
  Use(Machine(100));
  OtherComponent other;
  const std::tuple<std::function<void(RecordingHost&)>, TestStatus, std::vector<std::string>> rows[] = {
      {[](RecordingHost& host) { host.interactive = false; },
       TestStatus::NotSupported,
       {"SetProgress TEST_NOT_SUPPORTED", "AddMessage TEST_NOT_SUPPORTED"}},
      {[](RecordingHost& host) { host.pendingEvent = [] { return 1; }; },
       TestStatus::Aborted,
       {"SetProgress TEST_ABORTED_BY_EVENT", "AddMessage TEST_ABORTED_BY_EVENT"}},
      {[](RecordingHost& host) { host.abortRequested = [] { return true; }; }, TestStatus::Aborted, {}},
      // An abort after the instructions skips the dialog.
      {[](RecordingHost& host) {
         host.onRequest = [&host](const InputRequest&) { host.abortRequested = [] { return true; }; };
       },
       TestStatus::Aborted,
       {"Request:0 RECOGNITION_TEST|FINGERPRINT_INSTRUCTIONS"}},
      {[&](RecordingHost& host) { host.component = &other; }, TestStatus::Error, {}},
  };
  for (const auto& [script, status, expected] : rows) {
    RecordingHost host;
    script(host);
    EXPECT_EQ(Run(&host), status);
    EXPECT_EQ(host.Lines(), expected);
  }
  EXPECT_EQ(test_.Run(nullptr), TestStatus::Error);
}

// What the sensor checks the runs above do not show in full mean for a run:
// the status, the message (nullptr: none) and whether the user is asked if
// the touch was made.
TEST(SensorCheckOutcomeTest, EachReaderErrorGivesItsStatusAndMessage) {
  using E = FingerprintError;
  using S = TestStatus;
  const std::tuple<E, S, const char*> rows[] = {
      {E::EnrollFailed, S::Aborted, "FAILED_TO_ENROLL_FINGERPRINT"},
      {E::ReadLimitError, S::Aborted, "FAILED_TO_ENROLL_FINGERPRINT_DUE_TO_FINGERPRINT_READ_LIMIT_ERROR"},
      {E::CommitFailed, S::Aborted, "FAILED_TO_COMMIT_FINGERPRINT_DATA"},
      {E::FingerprintNotRecognized, S::NotRecognized, "FINGERPRINT_NOT_RECOGNIZED"},
      {E::OpenSessionFailed, S::Aborted, nullptr},
      {E::Timeout, S::Aborted, nullptr},  // the answer to the question that follows decides
  };
  for (const auto& [error, status, message] : rows) {
    const SensorCheckOutcome outcome = OutcomeOfSensorError(error);
    EXPECT_EQ(outcome.status, status) << static_cast<int>(error);
    EXPECT_STREQ(outcome.messageId, message) << static_cast<int>(error);
    EXPECT_EQ(outcome.askConfirmation, error == E::Timeout) << static_cast<int>(error);
  }
}

// The wrapper on its own, over a reader that is never touched.
TEST_F(RecognitionRunTest, WrapperCentresTheDialogOverItsParent) {
  Use(Machine(std::nullopt));
  const auto placed = [this](QWidget* parent, QSize size, const QString& instruction = {}) {
    static_cast<FingerprintComponent*>(host_.component)->ResetState();
    FingerprintWidgetWrapper wrapper(size, &host_, std::make_shared<RunCells>(), 9);
    QRect geometry;
    WhenDialogShown([&](PlayTest* dialog) {
      if (!instruction.isEmpty()) emit dialog->ChangeInfoLabelMessage(instruction);
      QCoreApplication::processEvents();
      geometry = dialog->geometry();
      dialog->close();
    });
    wrapper.Exec(parent, nullptr);
    return geometry;
  };
  const std::tuple<QRect, QSize, QPoint> rows[] = {
      {QRect(100, 50, 800, 600), QSize(360, 144), QPoint(320, 278)},
      {QRect(0, 0, 801, 601), QSize(400, 144), QPoint(200, 228)},  // odd widths round down
      // Centred over a small parent it would stick out of the screen: moved onto it.
      {QRect(10, 10, 200, 100), QSize(360, 144), QPoint(0, 0)},
  };
  for (const auto& [geometry, size, topLeft] : rows) {
    QWidget parent;
    parent.setGeometry(geometry);
    EXPECT_EQ(placed(&parent, size), QRect(topLeft, size));
  }
  // A longer instruction makes it taller around the same centre, up to its screen's height (800).
  QWidget parent;
  parent.setGeometry(0, 0, 800, 600);
  const QRect longer = placed(&parent, QSize(360, 144), QStringLiteral("Touch the reader. ").repeated(8));
  EXPECT_GT(longer.height(), 144);
  EXPECT_EQ(longer.center(), QRect(220, 228, 360, 144).center());
  EXPECT_EQ(placed(&parent, QSize(360, 144), QStringLiteral("Touch it. ").repeated(800)),
            QRect(220, 0, 360, 800));
  // An empty size or no parent leaves the placement to the window system.
  parent.setGeometry(100, 50, 800, 600);
  EXPECT_NE(placed(&parent, QSize()).topLeft(), QPoint(320, 278));
  EXPECT_NE(placed(nullptr, QSize(360, 144)).topLeft(), QPoint(320, 278));
}

}  // namespace
