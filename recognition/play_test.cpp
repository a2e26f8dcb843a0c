#include "recognition/play_test.h"

#include <chrono>

#include <QCoreApplication>
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
constexpr const char* kContext = "FINGERPRINT";

FingerprintComponent* ReaderOf(TestContext* context) {
  return dynamic_cast<FingerprintComponent*>(context->GetComponent());
}

}  // namespace

PlayTest::PlayTest(QWidget* /*parent*/, QObject* eventFilter, TestContext* context, RunCellsPtr cells,
                   uint32_t timeoutSeconds)
    : InputDialog(eventFilter),
      ui_(std::make_unique<PlayTestUi>()),
      context_(context),
      cells_(std::move(cells)),
      timeoutSeconds_(timeoutSeconds) {
  // The dialog is a top-level window of its own; the wrapper places it over
  // the host's widget.
  ui_->setupUi(this);

  setWindowModality(Qt::ApplicationModal);
  setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);

  setWindowTitle(QCoreApplication::translate(kContext, "APPLICATION_NAME"));
  ui_->headerClose->setCursor(QCursor(Qt::PointingHandCursor));
  ui_->headerTitle->setText(QCoreApplication::translate(kContext, "RECOGNITION_TEST"));

  connect(ui_->headerClose, &QPushButton::clicked, this, &PlayTest::OnCancelClicked);
  connect(this, &PlayTest::ChangeInfoLabelMessage, this, &PlayTest::OnChangeLabelInfo, Qt::QueuedConnection);
  connect(this, &PlayTest::LoopFinished, this, &PlayTest::OnLoopFinished, Qt::QueuedConnection);
  connect(this, &PlayTest::UpdateProgress, this, &PlayTest::OnUpdateProgress, Qt::QueuedConnection);
  connect(this, &QDialog::finished, this, &PlayTest::OnFinished, Qt::UniqueConnection);
  connect(&tickTimer_, &QTimer::timeout, this, &PlayTest::OnTimerTick, Qt::QueuedConnection);

  ui_->progressBar->setValue(0);
  {
    const kivra::utils::ModuleTranslator translator(kContext);
    ui_->instructionLabel->setText(
        QString::fromStdString(translator.Translate("TOUCH_SLIDE_FINGER_ON_SENSOR_UNTIL_TEST_FINISHES")));
    ui_->nameForAssistiveTechnology(this, translator);
  }
  ui_->instructionLabel->repaint();
}

PlayTest::~PlayTest() {
  disconnect(this, &PlayTest::ChangeInfoLabelMessage, this, &PlayTest::OnChangeLabelInfo);
  disconnect(this, &PlayTest::LoopFinished, this, &PlayTest::OnLoopFinished);
  disconnect(this, &PlayTest::UpdateProgress, this, &PlayTest::OnUpdateProgress);
  disconnect(this, &QDialog::finished, this, &PlayTest::OnFinished);
  tickTimer_.stop();
  // A worker still running is waited for here: it must not outlive the dialog
  // whose signals it emits.
  if (worker_.valid()) worker_.wait();
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
  worker_ = std::async(std::launch::async, [this] { return RunSensorCheck(); });
}

FingerprintError PlayTest::RunSensorCheck() {
  FingerprintComponent* reader = ReaderOf(context_);
  lastError_ = reader->OpenSession();
  if (lastError_ != FingerprintError::Success) {
    context_->GetResultReporter()->AddMessage("CANNOT_ACCESS_DEVICE", 0, 0);
    ReportError();
    reader->Cleanup();
    emit LoopFinished();
    return lastError_;
  }

  lastError_ = reader->LocateSensor(static_cast<int>(timeoutSeconds_));
  emit UpdateProgress(100);
  started_.exchange(false);

  if (lastError_ != FingerprintError::Success) {
    ReportError();
    reader->Cleanup();
  } else {
    cells_->status.store(TestStatus::Passed);
  }
  emit LoopFinished();
  return lastError_;
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

void PlayTest::OnFinished() {
  if (!closed_) {
    tickTimer_.stop();
    if (context_) ReaderOf(context_)->CancelAndClose();
    // Wait for the worker: once this returns, no thread writes the run's
    // cells or calls the host any more.
    if (worker_.valid() && worker_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
      worker_.get();
    closed_ = true;
  }
  close();
}
