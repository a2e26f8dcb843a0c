#include "recognition/play_test.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>

#include "contract/test_context.h"
#include "device/fingerprint_component.h"
#include "recognition/play_test_ui.h"
#include "recognition/result_report.h"
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

FingerprintComponent* ReaderOf(TestContext* context) {
  return dynamic_cast<FingerprintComponent*>(context->GetComponent());
}

}  // namespace

PlayTest::PlayTest(QWidget* /*parent*/, QObject* eventFilter, TestContext* context, RunCellsPtr cells,
                   uint32_t timeoutSeconds)
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
  ui_->headerClose->setCursor(QCursor(Qt::PointingHandCursor));
  ui_->headerTitle->setText(text("RECOGNITION_TEST"));

  connect(ui_->headerClose, &QPushButton::clicked, this, &PlayTest::OnCancelClicked);
  connect(this, &PlayTest::ChangeInfoLabelMessage, this, &PlayTest::OnChangeLabelInfo, Qt::QueuedConnection);
  connect(this, &PlayTest::LoopFinished, this, &PlayTest::OnLoopFinished, Qt::QueuedConnection);
  connect(this, &PlayTest::UpdateProgress, this, &PlayTest::OnUpdateProgress, Qt::QueuedConnection);
  connect(this, &QDialog::finished, this, &PlayTest::OnFinished, Qt::UniqueConnection);
  connect(&tickTimer_, &QTimer::timeout, this, &PlayTest::OnTimerTick, Qt::QueuedConnection);

  ui_->progressBar->setValue(0);
  ui_->instructionLabel->setText(text("TOUCH_SLIDE_FINGER_ON_SENSOR_UNTIL_TEST_FINISHES"));
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
  // it, the run is abandoned and the worker no longer touches the dialog.
  AwaitWorker(std::chrono::steady_clock::now() + std::chrono::milliseconds(kReaderGraceMilliseconds));
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
  tickTimer_.start(kTickMs);
  ui_->progressBar->setValue(0);
  // Detached, with shared ownership of what it needs after a call that may
  // never return: the dialog waits for it only within the grace period.
  run_ = std::make_shared<SensorRun>();
  const int timeout = static_cast<int>(timeoutSeconds_);
  std::thread([this, run = run_, reader = ReaderOf(context_), timeout] {
    RunSensorCheck(*run, reader, timeout);
  }).detach();

  // The watchdog cancels the wait once the limit has passed; a reader that
  // has not answered a grace period later is given up on.
  const qint64 giveUpMs =
      qint64(std::max(timeout, 0)) * 1000 + 2 * qint64(kWatchdogPollMilliseconds) + kReaderGraceMilliseconds;
  QTimer::singleShot(static_cast<int>(std::min<qint64>(giveUpMs, INT_MAX)), this, [this] {
    if (!closed_ && !WorkerDone()) close();
  });
}

FingerprintError PlayTest::RunSensorCheck(SensorRun& run, FingerprintComponent* reader, int timeoutSeconds) {
  const auto abandoned = [&run] {
    std::lock_guard<std::mutex> lock(run.mutex);
    return run.abandoned;
  };
  FingerprintError error = reader->OpenSession();
  const bool opened = error == FingerprintError::Success;
  if (opened && !abandoned()) error = reader->LocateSensor(timeoutSeconds);

  // The dialog, the reader and the host exist only while the run is not
  // abandoned, which the dialog cannot do while this holds the lock.
  std::lock_guard<std::mutex> lock(run.mutex);
  if (!run.abandoned) {
    lastError_ = error;
    if (!opened) {
      if (error == FingerprintError::OpenSessionFailed)
        context_->GetResultReporter()->AddMessage("CANNOT_ACCESS_DEVICE", 0, 0);
      ReportError();
      reader->Cleanup();
    } else {
      emit UpdateProgress(100);
      started_.exchange(false);
      if (error != FingerprintError::Success) {
        ReportError();
        reader->Cleanup();
      } else {
        cells_->status.store(TestStatus::Passed);
      }
    }
    emit LoopFinished();
  }
  run.done = true;
  run.finished.notify_all();
  return error;
}

bool PlayTest::WorkerDone() {
  std::lock_guard<std::mutex> lock(run_->mutex);
  return run_->done;
}

bool PlayTest::AwaitWorker(std::chrono::steady_clock::time_point deadline) {
  if (!run_) return true;
  std::unique_lock<std::mutex> lock(run_->mutex);
  if (run_->abandoned) return false;
  if (run_->finished.wait_until(lock, deadline, [this] { return run_->done; })) return true;
  run_->abandoned = true;
  return false;
}

void PlayTest::ReportError() {
  const SensorCheckOutcome outcome = OutcomeOfSensorError(lastError_);
  if (outcome.askConfirmation) cells_->askConfirmation.store(true);
  if (outcome.messageId) ReportResult(context_, outcome.messageId);
  cells_->status.store(outcome.status);
}

void PlayTest::OnTimerTick() {
  if (!context_ || closed_) return;  // a tick queued before the dialog closed
  if (context_->GetEventMonitor()->PendingEvent() != 0) {
    cells_->status.store(TestStatus::Aborted);
    emit LoopFinished();
    tickTimer_.stop();
  }
}

void PlayTest::OnCancelClicked() {
  cells_->status.store(TestStatus::Aborted);
  close();
}

void PlayTest::OnLoopFinished() {
  close();
}

void PlayTest::OnUpdateProgress(int value) {
  ui_->progressBar->setValue(value);
  ui_->progressBar->repaint();
}

void PlayTest::OnChangeLabelInfo(QString s) {
  ui_->instructionLabel->setText(s);
  setAccessibleDescription(s);  // the bar's name follows its label by itself
  ui_->instructionLabel->repaint();
}

void PlayTest::CancelReader(FingerprintComponent* reader) {
  struct Completion {
    std::mutex mutex;
    std::condition_variable returned;
    bool done = false;
  };
  auto completion = std::make_shared<Completion>();
  const auto done = [&completion] {
    std::lock_guard<std::mutex> lock(completion->mutex);
    return completion->done;
  };
  std::thread canceller;
  try {
    canceller = std::thread([reader, completion] {
      reader->CancelAndClose();
      std::lock_guard<std::mutex> lock(completion->mutex);
      completion->done = true;
      completion->returned.notify_all();
    });
  } catch (const std::system_error&) {
    reader->CancelAndClose();  // no thread to be had: cancelled here, bounded all the same
    return;
  }
  bool quick = false;
  {
    std::unique_lock<std::mutex> lock(completion->mutex);
    quick = completion->returned.wait_for(lock, std::chrono::milliseconds(kQuickCancelMs),
                                          [&] { return completion->done; });
  }
  if (!quick) {
    // Only this thread touches Qt: the loop looks for the end itself.
    QEventLoop loop;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &loop, [&] {
      if (done()) loop.quit();
    });
    poll.start(kCancelPollMs);
    // A close while the events flow must not delete the dialog under this
    // call: it is deleted on the close that follows.
    const bool deleteOnClose = testAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_DeleteOnClose, false);
    cancelling_ = true;
    if (!done()) loop.exec();
    cancelling_ = false;
    setAttribute(Qt::WA_DeleteOnClose, deleteOnClose);
  }
  canceller.join();  // CancelAndClose is bounded by the grace period
}

void PlayTest::OnFinished() {
  if (cancelling_) return;  // finished again while the reader is being cancelled
  if (!closed_) {
    tickTimer_.stop();
    // Both waits together take at most the grace period.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kReaderGraceMilliseconds);
    FingerprintComponent* reader = context_ ? ReaderOf(context_) : nullptr;
    if (reader) CancelReader(reader);
    // Once the worker has returned, or has been abandoned, no other thread
    // writes the run's cells or calls the host any more. A reader given up
    // on will not let it return soon.
    const bool stuck = reader && reader->IsStuck();
    if (!AwaitWorker(stuck ? std::chrono::steady_clock::now() : deadline)) {
      // The reader never answered its cancellation: it is not accessible.
      cells_->status.store(TestStatus::Error);
      ReportResult(context_, "CANNOT_ACCESS_DEVICE");
    }
    closed_ = true;
    language_.reset();  // the dialog's texts are set; nothing of it stays installed
  }
  close();
}
