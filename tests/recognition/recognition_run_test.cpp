#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

#include <QApplication>
#include <QLabel>
#include <QMetaMethod>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "contract/component_id.h"
#include "device/win_fingerprint_component_manager.h"
#include "module/test_with_device_hint.h"
#include "platform/sim/sim_machine.h"
#include "recognition/fingerprint_widget_wrapper.h"
#include "recognition/play_test.h"
#include "recognition/recognition_test.h"
#include "tests/support/mock_fingerprint_component.h"
#include "tests/support/recording_host.h"

using platform::sim::ScopedMachine;
using platform::sim::SimMachine;
using testing::ElementsAre;
using testing::IsEmpty;

namespace {

const std::string kHint = "POSSIBLE_DEFECTIVE_COMPONENTS: FINGERPRINT_READER";

PlayTest* OpenDialog() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* dialog = qobject_cast<PlayTest*>(widget); dialog && dialog->isVisible()) return dialog;
  return nullptr;
}

// Runs `action` on the user-interface thread once the dialog is on screen.
void WhenDialogShown(std::function<void(PlayTest*)> action, int afterMs = 150) {
  QTimer::singleShot(afterMs, qApp, [action] {
    PlayTest* dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr) << "the dialog is not on screen";
    action(dialog);
  });
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
  TestStatus Run() { return test_.Run(&host_); }

  void TearDown() override {
    // Let self-deleting dialogs go before the next test.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  std::optional<ScopedMachine> machine_;
  WinFingerprintComponentManager manager_{ids::kModule};
  TestWithDeviceHint<RecognitionTest> test_{kHint, ids::kRecognitionTest};
  RecordingHost host_;
};

TEST_F(RecognitionRunTest, TouchInTimePassesWithTheDialogShown) {
  Use(Machine(300));
  QStringList names;
  int progressWhileWaiting = -1;
  bool frameless = false;
  host_.whileExec = [&] {
    WhenDialogShown([&](PlayTest* dialog) {
      for (QObject* child : dialog->findChildren<QObject*>()) names << child->objectName();
      names << dialog->objectName();
      progressWhileWaiting =
          dialog->findChild<QProgressBar*>(QStringLiteral("recognition_test_progress_bar"))->value();
      frameless = dialog->windowFlags().testFlag(Qt::FramelessWindowHint);
    });
  };

  EXPECT_EQ(Run(), TestStatus::Passed);

  EXPECT_EQ(host_.execResult, 0);
  EXPECT_TRUE(frameless);
  EXPECT_EQ(progressWhileWaiting, 0);
  for (const char* name :
       {"recognition_test_dialog_base", "recognition_test_widget_header_vertical_layout",
        "recognition_test_widget_header", "recognition_test_horizontal_layout",
        "recognition_test_header_icon", "recognition_test_header_label", "recognition_test_header_close",
        "recognition_test_widget_bottom", "recognition_test_vertical_layout",
        "recognition_test_instruction_label", "recognition_test_progress_bar"})
    EXPECT_TRUE(names.contains(QLatin1String(name))) << name;
  EXPECT_THAT(host_.Messages(), IsEmpty());
  EXPECT_THAT(host_.Progress(), IsEmpty());
  EXPECT_EQ(host_.RequestCount(InputRequest::Information), 1);
  EXPECT_EQ(host_.RequestCount(InputRequest::Widget), 1);
  EXPECT_EQ(host_.RequestCount(InputRequest::YesNo), 0);
  EXPECT_EQ(host_.Calls().front().text, "RECOGNITION_TEST|FINGERPRINT_INSTRUCTIONS");
}

TEST_F(RecognitionRunTest, TimeoutThenYesFailsWithTheHintLast) {
  Use(Machine(std::nullopt));
  SetTimeout("0");
  host_.yesNoAnswer = InputRequest::Yes;

  EXPECT_EQ(Run(), TestStatus::Failed);

  std::vector<std::string> sequence;
  for (const auto& call : host_.Calls())
    if (call.what != "Request:0" && call.what != "Request:3") sequence.push_back(call.what + " " + call.text);
  EXPECT_THAT(
      sequence,
      ElementsAre("SetProgress ", "Request:2 RECOGNITION_TEST|DID_YOU_PERFORM_THE_TEST_CORRECTLY",
                  "SetProgress FAILED_TO_ENROLL_FINGERPRINT", "AddMessage FAILED_TO_ENROLL_FINGERPRINT",
                  "AddMessage " + kHint, "SetProgress " + kHint));
}

TEST_F(RecognitionRunTest, TimeoutThenNoOrAnotherAnswerAborts) {
  Use(Machine(std::nullopt));
  SetTimeout("0");

  host_.yesNoAnswer = InputRequest::No;
  EXPECT_EQ(Run(), TestStatus::Aborted);
  EXPECT_THAT(host_.Messages(), ElementsAre("TIMEOUT_REACHED"));
  EXPECT_THAT(host_.Progress(), ElementsAre("", "TIMEOUT_REACHED"));

  RecordingHost other;
  other.component = host_.component;
  other.yesNoAnswer = 7;
  EXPECT_EQ(test_.Run(&other), TestStatus::Aborted);
  EXPECT_EQ(other.RequestCount(InputRequest::YesNo), 1);
  EXPECT_THAT(other.Messages(), IsEmpty());
}

TEST_F(RecognitionRunTest, SessionThatDoesNotOpenReportsOnlyToTheReporter) {
  SimMachine machine = Machine(100);
  machine.openSessionHresult = static_cast<int32_t>(0x80098003u);
  Use(machine);
  int progressAtEnd = -1;
  host_.whileExec = [&] {
    QTimer::singleShot(0, qApp, [&] {
      if (PlayTest* dialog = OpenDialog()) {
        QObject::connect(dialog, &QDialog::finished,
                         [&, dialog] { progressAtEnd = dialog->findChild<QProgressBar*>()->value(); });
      }
    });
  };

  EXPECT_EQ(Run(), TestStatus::Aborted);
  EXPECT_THAT(host_.Messages(), ElementsAre("CANNOT_ACCESS_DEVICE"));
  EXPECT_THAT(host_.Progress(), IsEmpty());
  EXPECT_EQ(progressAtEnd, 0);
}

TEST_F(RecognitionRunTest, FailingWaitFailsFromTheWorkerThenHints) {
  SimMachine machine = Machine(100);
  machine.sensor.locateHresult = static_cast<int32_t>(0x80004005u);
  Use(machine);

  EXPECT_EQ(Run(), TestStatus::Failed);

  const auto calls = host_.Calls();
  std::vector<std::string> sequence;
  for (const auto& call : calls)
    if (call.what == "AddMessage" || call.what == "SetProgress")
      sequence.push_back(call.what + " " + call.text + (call.fromWorker ? " [worker]" : " [ui]"));
  EXPECT_THAT(sequence, ElementsAre("SetProgress FAILED_TO_ENROLL_FINGERPRINT [worker]",
                                    "AddMessage FAILED_TO_ENROLL_FINGERPRINT [worker]",
                                    "AddMessage " + kHint + " [ui]", "SetProgress " + kHint + " [ui]"));
}

TEST_F(RecognitionRunTest, CloseButtonDuringTheWaitAborts) {
  Use(Machine(std::nullopt));
  SetTimeout("60");
  host_.whileExec = [&] {
    WhenDialogShown([](PlayTest* dialog) {
      dialog->findChild<QPushButton*>(QStringLiteral("recognition_test_header_close"))->click();
    });
  };

  EXPECT_EQ(Run(), TestStatus::Aborted);
  EXPECT_THAT(host_.Messages(), IsEmpty());
  EXPECT_EQ(host_.RequestCount(InputRequest::YesNo), 0);
  EXPECT_TRUE(static_cast<FingerprintComponent*>(host_.component)->IsCancelRequested());
}

TEST_F(RecognitionRunTest, HostAbortRequests) {
  Use(Machine(std::nullopt));
  SetTimeout("60");

  // Before the start: nothing is shown.
  host_.abortRequested = [] { return true; };
  EXPECT_EQ(Run(), TestStatus::Aborted);
  EXPECT_TRUE(host_.Calls().empty());

  // After the instructions: the dialog is skipped.
  RecordingHost afterInstructions;
  afterInstructions.component = host_.component;
  bool instructed = false;
  afterInstructions.onRequest = [&](const InputRequest& request) { instructed |= request.kind == 0; };
  afterInstructions.abortRequested = [&] { return instructed; };
  EXPECT_EQ(test_.Run(&afterInstructions), TestStatus::Aborted);
  EXPECT_EQ(afterInstructions.RequestCount(InputRequest::Information), 1);
  EXPECT_EQ(afterInstructions.RequestCount(InputRequest::Widget), 0);
  EXPECT_THAT(afterInstructions.Messages(), IsEmpty());

  // During the wait: the loop's poll ends the dialog and the reader is cancelled.
  RecordingHost duringWait;
  duringWait.component = host_.component;
  std::atomic<bool> abort{false};
  duringWait.abortRequested = [&] { return abort.load(); };
  duringWait.whileExec = [&] { WhenDialogShown([&](PlayTest*) { abort = true; }); };
  EXPECT_EQ(test_.Run(&duringWait), TestStatus::Aborted);
  EXPECT_EQ(duringWait.RequestCount(InputRequest::Widget), 1);
  EXPECT_THAT(duringWait.Messages(), IsEmpty());
}

TEST_F(RecognitionRunTest, PendingEvents) {
  Use(Machine(std::nullopt));
  SetTimeout("60");

  host_.pendingEvent = [] { return 1; };
  EXPECT_EQ(Run(), TestStatus::Aborted);
  EXPECT_THAT(host_.Messages(), ElementsAre("TEST_ABORTED_BY_EVENT"));
  EXPECT_THAT(host_.Progress(), ElementsAre("TEST_ABORTED_BY_EVENT"));
  EXPECT_EQ(host_.RequestCount(InputRequest::Information), 0);

  RecordingHost duringWait;
  duringWait.component = host_.component;
  std::atomic<bool> event{false};
  duringWait.pendingEvent = [&] { return event.load() ? 1 : 0; };
  duringWait.whileExec = [&] { WhenDialogShown([&](PlayTest*) { event = true; }); };
  EXPECT_EQ(test_.Run(&duringWait), TestStatus::Aborted);
  EXPECT_EQ(duringWait.RequestCount(InputRequest::Widget), 1);
  EXPECT_THAT(duringWait.Messages(), IsEmpty());
}

TEST_F(RecognitionRunTest, RefusalsBeforeTheStart) {
  Use(Machine(100));

  host_.interactive = false;
  EXPECT_EQ(Run(), TestStatus::NotSupported);
  EXPECT_THAT(host_.Messages(), ElementsAre("TEST_NOT_SUPPORTED"));
  EXPECT_THAT(host_.Progress(), ElementsAre("TEST_NOT_SUPPORTED"));

  OtherComponent other;
  RecordingHost wrongKind;
  wrongKind.component = &other;
  EXPECT_EQ(test_.Run(&wrongKind), TestStatus::Error);
  EXPECT_TRUE(wrongKind.Calls().empty());

  EXPECT_EQ(test_.Run(nullptr), TestStatus::Error);

  RecordingHost neverExec;
  neverExec.component = host_.component;
  neverExec.runExec = false;
  EXPECT_EQ(test_.Run(&neverExec), TestStatus::Aborted);
  EXPECT_THAT(neverExec.Messages(), IsEmpty());
}

TEST_F(RecognitionRunTest, ReaderWithoutTheSensorCapabilityIsNotRun) {
  SimMachine machine = Machine(100);
  machine.readers.front().capabilities = 0;
  Use(machine);

  EXPECT_EQ(Run(), TestStatus::Aborted);
  EXPECT_THAT(host_.Messages(), ElementsAre("TEST_NOT_SUPPORTED"));
  EXPECT_EQ(host_.RequestCount(InputRequest::Information), 0);
}

TEST_F(RecognitionRunTest, DialogOutlivingTheRunTouchesNothingItReleased) {
  Use(Machine(100));
  auto host = std::make_unique<RecordingHost>();
  host->component = host_.component;
  QPointer<PlayTest> dialog;
  host->whileExec = [&] { QTimer::singleShot(0, qApp, [&] { dialog = OpenDialog(); }); };

  EXPECT_EQ(test_.Run(host.get()), TestStatus::Passed);
  host.reset();
  ASSERT_FALSE(dialog.isNull()) << "the dialog should still await its deferred deletion";

  QTest::qWait(1500);  // a tick would now reach the released host
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(dialog.isNull());
}

// The wrapper on its own, with a scripted reader.
class WidgetWrapperTest : public testing::Test {
 protected:
  void SetUp() override {
    ON_CALL(reader_, OpenSession()).WillByDefault(testing::Return(FingerprintError::Success));
    ON_CALL(reader_, LocateSensor(testing::_)).WillByDefault([this](int) {
      // Waits until cancelled, as the real reader does without a touch.
      while (!cancelled_.load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      return FingerprintError::Cancelled;
    });
    ON_CALL(reader_, CancelAndClose()).WillByDefault([this] { cancelled_ = true; });
    host_.component = &reader_;
  }
  void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  std::atomic<bool> cancelled_{false};
  testing::NiceMock<MockFingerprintComponent> reader_;
  RecordingHost host_;
  RunCellsPtr cells_ = std::make_shared<RunCells>();
};

TEST_F(WidgetWrapperTest, CentresTheDialogOverItsParent) {
  QWidget parent;
  parent.setGeometry(100, 50, 800, 600);
  FingerprintWidgetWrapper wrapper(QSize(360, 144), &host_, cells_, 9);
  QRect placed;
  WhenDialogShown([&](PlayTest* dialog) {
    placed = dialog->geometry();
    dialog->close();
  });
  wrapper.Exec(&parent, nullptr);
  EXPECT_EQ(placed, QRect(320, 278, 360, 144));

  QWidget narrow;
  narrow.setGeometry(10, 10, 200, 100);
  cancelled_ = false;
  WhenDialogShown([&](PlayTest* dialog) {
    placed = dialog->geometry();
    dialog->close();
  });
  wrapper.Exec(&narrow, nullptr);
  EXPECT_EQ(placed.topLeft(), QPoint(10 + (200 - 360) / 2, 10 + (100 - 144) / 2));
}

TEST_F(WidgetWrapperTest, EmptySizeOrNoParentLeavesPlacementAlone) {
  QWidget parent;
  parent.setGeometry(100, 50, 800, 600);
  for (const auto& [size, withParent] : {std::pair{QSize(), true}, std::pair{QSize(360, 144), false}}) {
    FingerprintWidgetWrapper wrapper(size, &host_, cells_, 9);
    QRect placed;
    cancelled_ = false;
    WhenDialogShown([&](PlayTest* dialog) {
      placed = dialog->geometry();
      dialog->close();
    });
    wrapper.Exec(withParent ? &parent : nullptr, nullptr);
    EXPECT_NE(placed, QRect(320, 278, 360, 144));
  }
}

TEST_F(WidgetWrapperTest, CloseIfOpenBeforeAndAfterTheDialogsDeletion) {
  FingerprintWidgetWrapper wrapper(QSize(360, 144), &host_, cells_, 9);
  QSignalSpy closeRequests(&wrapper, &FingerprintWidgetWrapper::CloseDialog);
  EXPECT_CALL(reader_, CancelAndClose()).Times(testing::AtLeast(1));

  wrapper.CloseIfOpen();  // no dialog yet
  EXPECT_EQ(closeRequests.count(), 0);

  WhenDialogShown([](PlayTest* dialog) { dialog->close(); });
  EXPECT_EQ(wrapper.Exec(nullptr, nullptr), 0);
  ASSERT_NE(wrapper.dialog(), nullptr);  // closed, awaiting deletion, result 0
  wrapper.CloseIfOpen();
  EXPECT_EQ(closeRequests.count(), 1);

  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(wrapper.dialog(), nullptr);
  wrapper.CloseIfOpen();
  EXPECT_EQ(closeRequests.count(), 1);
}

TEST_F(WidgetWrapperTest, AnswersToBothOfItsNames) {
  FingerprintWidgetWrapper wrapper(QSize(), &host_, cells_, 9);
  EXPECT_EQ(wrapper.qt_metacast("FingerprintWidgetWrapper"), static_cast<void*>(&wrapper));
  EXPECT_EQ(wrapper.qt_metacast("AbstractWidgetWrapper"),
            static_cast<void*>(static_cast<AbstractWidgetWrapper*>(&wrapper)));
  EXPECT_EQ(wrapper.context, &host_);
}

TEST(PlayTestMetaObjectTest, SignalsAndSlotsInOrder) {
  const QMetaObject& meta = PlayTest::staticMetaObject;
  QStringList methods;
  for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
    methods << QString::fromLatin1(meta.method(i).methodSignature());
  EXPECT_EQ(methods, (QStringList{"nextWidget()", "cancelTest()", "ChangeInfoLabelMessage(QString)",
                                  "LoopFinished()", "UpdateProgress(int)", "OnCancelClicked()",
                                  "OnStartTest()", "OnChangeLabelInfo(QString)", "OnLoopFinished()",
                                  "OnUpdateProgress(int)", "OnFinished()", "OnTimerTick()"}));
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
