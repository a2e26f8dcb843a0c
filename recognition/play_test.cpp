#include "recognition/play_test.h"

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>

#include "contract/test_context.h"
#include "device/fingerprint_component.h"
#include "device/sensor_operation.h"
#include "recognition/play_test_ui.h"
#include "recognition/result_report.h"
#include "threads/bounded_call.h"
#include "threads/service_gate.h"
#include "utils/dpi.h"
#include "utils/module_translator.h"

namespace {

constexpr int kStartDelayMs = 50;
constexpr int kTickMs = 1000;
// A reader that answers its cancellation within this time (the watchdog
// passes it on within one poll) is waited for plainly, as ever; a slower one
// with the user interface's events flowing.
constexpr int kQuickCancelMs = 250;
constexpr int kCancelPollMs = 10;
constexpr const char* kContext = "FINGERPRINT";
constexpr const char* kFirstInstruction = "TOUCH_SLIDE_FINGER_ON_SENSOR_UNTIL_TEST_FINISHES";
constexpr const char* kClickFirst = "CLICK_THIS_WINDOW_FIRST";
constexpr const char* kOtherReader = "THAT_WAS_ANOTHER_READER_TOUCH_READER";

FingerprintComponent* ReaderOf(TestContext* context) {
  return dynamic_cast<FingerprintComponent*>(context->GetComponent());
}

}  // namespace

PlayTest::PlayTest(QWidget* /*parent*/, QObject* eventFilter, TestContext* context, RunCellsPtr cells,
                   int32_t timeoutSeconds)
    : InputDialog(eventFilter),
      language_(std::make_unique<kivra::utils::ModuleTranslator>(kContext)),
      ui_(std::make_unique<PlayTestUi>()),
      context_(context),
      cells_(std::move(cells)),
      timeoutSeconds_(timeoutSeconds) {
  // The dialog is a top-level window of its own; the wrapper places it over
  // the host's widget.
  language_->InstallApplicationWide();
  ui_->setupUi(this);

  setWindowModality(Qt::ApplicationModal);
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);

  const auto text = [this](const char* key) { return QString::fromStdString(language_->Translate(key)); };
  setWindowTitle(text("APPLICATION_NAME"));
  ui_->headerTitle->setText(text("RECOGNITION_TEST"));

  connect(ui_->headerClose, &QPushButton::clicked, this, &PlayTest::OnCancelClicked);
  connect(this, &PlayTest::ChangeInfoLabelMessage, this, &PlayTest::OnChangeLabelInfo, Qt::QueuedConnection);
  connect(this, &PlayTest::LoopFinished, this, &PlayTest::OnLoopFinished, Qt::QueuedConnection);
  connect(this, &PlayTest::UpdateProgress, this, &PlayTest::OnUpdateProgress, Qt::QueuedConnection);
  connect(this, &QDialog::finished, this, &PlayTest::OnFinished, Qt::UniqueConnection);
  connect(&tickTimer_, &QTimer::timeout, this, &PlayTest::OnTimerTick, Qt::QueuedConnection);

  ui_->progressBar->setValue(0);
  ui_->instructionLabel->setText(text(kFirstInstruction));
  ui_->nameForAssistiveTechnology(this, *language_);
  ui_->instructionLabel->repaint();
}

PlayTest::~PlayTest() {
  disconnect(this, &PlayTest::ChangeInfoLabelMessage, this, &PlayTest::OnChangeLabelInfo);
  disconnect(this, &PlayTest::LoopFinished, this, &PlayTest::OnLoopFinished);
  disconnect(this, &PlayTest::UpdateProgress, this, &PlayTest::OnUpdateProgress);
  disconnect(this, &QDialog::finished, this, &PlayTest::OnFinished);
  tickTimer_.stop();
  // A worker still running is waited for here, within the grace period: past
  // it, the run is orphaned and the worker no longer touches the dialog.
  AwaitWorker(std::chrono::steady_clock::now() + ServiceGate::kGrace);
}

void PlayTest::showEvent(QShowEvent* event) {
  InputDialog::showEvent(event);
  if (!started_.load()) {
    QTimer::singleShot(kStartDelayMs, this, &PlayTest::OnStartTest);
    started_.exchange(true);
  }
}

void PlayTest::OnStartTest() {
  if (!context_ || closed_) return;
  // Windows' biometric service hands touches only to the application whose
  // window has the focus: the dialog takes it as its wait starts.
  // (Qt's offscreen platform has no stacking order and would warn on raise.)
  if (QGuiApplication::platformName() != QLatin1String("offscreen")) raise();
  activateWindow();
  UpdateInstruction();
  tickTimer_.start(kTickMs);
  ui_->progressBar->setValue(0);
  if (!StartWorker(ReaderOf(context_))) {
    // A reader stuck since the test began, or no thread to wait on.
    cells_->status.store(TestStatus::Error);
    ReportResult(context_, "CANNOT_ACCESS_DEVICE");
    close();
  }
}

bool PlayTest::StartWorker(FingerprintComponent* reader) {
  // Taken here, before the worker exists: a cancellation from now on reaches
  // the run however late the worker is scheduled, and never waits for it.
  operation_ = reader ? reader->StartOperation(timeoutSeconds_) : nullptr;
  if (!operation_) return false;
  auto run = std::make_shared<SensorRun>();
  // The worker owns what it needs; its calls into the reader are bounded, so
  // it returns by the grace period after the limit or the cancellation, and
  // tells the dialog, which stops waiting for a silent reader then.
  std::shared_ptr<BoundedCall> worker = BoundedCall::Start([this, run, operation = operation_] {
    const SensorOperation::Outcome outcome = operation->Run();
    std::lock_guard<std::mutex> lock(run->mutex);
    run->outcome = outcome;
    run->done = true;
    // The dialog exists while it has not orphaned the run, which it cannot
    // do while this holds the lock. Only an event is posted to it.
    if (!run->orphaned) emit LoopFinished();
  });
  if (!worker) {
    operation_.reset();
    return false;
  }
  run_ = std::move(run);
  worker_ = std::move(worker);
  return true;
}

void PlayTest::ReportWorkerOutcome() {
  if (reported_ || closed_ || !run_) return;
  SensorOperation::Outcome outcome;
  {
    std::lock_guard<std::mutex> lock(run_->mutex);
    if (!run_->done) return;
    outcome = run_->outcome;
  }
  reported_ = true;
  lastError_ = outcome.error;
  FingerprintComponent* reader = ReaderOf(context_);
  if (!outcome.opened) {
    if (outcome.error == FingerprintError::OpenSessionFailed)
      context_->GetResultReporter()->AddMessage("CANNOT_ACCESS_DEVICE", 0, 0);
    ReportError();
    if (reader) reader->Cleanup();
    return;
  }
  OnUpdateProgress(100);
  started_.exchange(false);
  if (outcome.error != FingerprintError::Success) {
    ReportError();
    if (reader) reader->Cleanup();
  } else {
    cells_->status.store(TestStatus::Passed);
  }
}

bool PlayTest::AwaitWorker(std::chrono::steady_clock::time_point deadline) {
  if (!run_) return true;
  {
    std::lock_guard<std::mutex> lock(run_->mutex);
    if (run_->orphaned) return false;
  }
  worker_->AwaitUntil(deadline);
  // Decided under the worker's lock: either its outcome is in, or it will
  // find the run orphaned and leave the dialog alone.
  std::lock_guard<std::mutex> lock(run_->mutex);
  if (run_->done) return true;
  run_->orphaned = true;
  return false;
}

void PlayTest::ReportError() {
  const SensorCheckOutcome outcome = OutcomeOfSensorError(lastError_);
  if (outcome.askConfirmation) cells_->askConfirmation.store(true);
  if (outcome.messageId) ReportResult(context_, outcome.messageId);
  cells_->status.store(outcome.status);
}

void PlayTest::UpdateInstruction() {
  FingerprintComponent* reader = ReaderOf(context_);
  if (reader && reader->OtherReaderTouched()) otherReaderTouched_ = true;
  const char* key = !isActiveWindow() ? kClickFirst : otherReaderTouched_ ? kOtherReader : nullptr;
  if (key == instructionKey_) return;
  instructionKey_ = key;
  const kivra::utils::ModuleTranslator translator(kContext);
  QString text = QString::fromStdString(translator.Translate(key ? key : kFirstInstruction));
  if (key == kOtherReader) {
    // The reader's name as its listing shows it: its description, or failing
    // that its model or its manufacturer (the sentence quotes whichever).
    std::map<std::string, std::string> named;
    for (const Property& property : reader->GetInfo().properties) named[property.first] = property.second;
    std::string name;
    for (const char* property : {"FINGERPRINT_DESCRIPTION", "FINGERPRINT_MODEL", "FINGERPRINT_MANUFACTURER"})
      if (name.empty()) name = named[property];
    text = text.arg(QString::fromStdString(name).trimmed());
  }
  emit ChangeInfoLabelMessage(text);
}

void PlayTest::OnTimerTick() {
  if (!context_ || closed_) return;  // a tick queued before the dialog closed
  UpdateInstruction();
  if (context_->GetEventMonitor()->PendingEvent() != 0) {
    ReportWorkerOutcome();  // an outcome that came first stays reported
    cells_->status.store(TestStatus::Aborted);
    emit LoopFinished();
    tickTimer_.stop();
  }
}

void PlayTest::OnCancelClicked() {
  ReportWorkerOutcome();
  cells_->status.store(TestStatus::Aborted);
  close();
}

void PlayTest::OnLoopFinished() {
  ReportWorkerOutcome();
  close();
}

void PlayTest::OnUpdateProgress(int value) {
  ui_->progressBar->setValue(value);
  ui_->progressBar->repaint();
}

void PlayTest::OnChangeLabelInfo(QString s) {
  ui_->instructionLabel->setText(s);
  // A longer text may need more lines than the dialog has room for.
  setGeometry(kivra::utils::Dpi::fitDialog(*this, geometry()));
  setAccessibleDescription(s);  // the bar's name follows its label by itself
  ui_->instructionLabel->repaint();
}

bool PlayTest::CancelReader() {
  const auto start = std::chrono::steady_clock::now();
  auto inTime = std::make_shared<std::atomic<bool>>(false);
  const std::shared_ptr<BoundedCall> cancel = BoundedCall::Start(
      [operation = operation_, inTime] { inTime->store(operation->CancelAndClose(true)); });
  // No thread to be had: cancelled here, bounded all the same.
  if (!cancel) return operation_->CancelAndClose(true);
  if (!cancel->AwaitUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(kQuickCancelMs))) {
    // Only this thread touches Qt: the loop looks for the end itself.
    QEventLoop loop;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &loop, [&] {
      if (cancel->Ended()) loop.quit();
    });
    poll.start(kCancelPollMs);
    // A close while the events flow must not delete the dialog under this
    // call: it is deleted on the close that follows.
    const bool deleteOnClose = testAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_DeleteOnClose, false);
    cancelling_ = true;
    if (!cancel->Ended()) loop.exec();
    cancelling_ = false;
    setAttribute(Qt::WA_DeleteOnClose, deleteOnClose);
  }
  // The loop also ends when the application quits meanwhile (its last
  // window closed): the rest is waited for here. CancelAndClose ends within
  // the grace period of its cancellation; twice that is never reached.
  return cancel->AwaitUntil(start + 2 * ServiceGate::kGrace) && inTime->load();
}

void PlayTest::OnFinished() {
  if (cancelling_) return;  // finished again while the reader is being cancelled
  if (!closed_) {
    tickTimer_.stop();
    const bool inTime = !operation_ || CancelReader();
    // Once the worker has returned, or has been orphaned, no other thread
    // writes the run's state. Its operation has ended unless the reader is
    // stuck, which will not let it return soon.
    const auto deadline =
        std::chrono::steady_clock::now() + (inTime ? ServiceGate::kGrace : std::chrono::milliseconds(0));
    if (AwaitWorker(deadline)) {
      ReportWorkerOutcome();
    } else {
      // The reader never answered: it is not accessible.
      cells_->status.store(TestStatus::Error);
      ReportResult(context_, "CANNOT_ACCESS_DEVICE");
    }
    closed_ = true;
    language_.reset();  // the dialog's texts are set; nothing of it stays installed
  }
  close();
}
