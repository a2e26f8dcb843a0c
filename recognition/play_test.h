#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

#include <QString>
#include <QTimer>

#include "device/fingerprint_error.h"
#include "recognition/input_dialog.h"
#include "recognition/run_cells.h"
#include "recognition/sensor_run.h"

namespace kivra::utils {
class ModuleTranslator;
}

class BoundedCall;
class FingerprintComponent;
class SensorOperation;
class FingerprintWidgetWrapper;
class TestContext;
struct PlayTestUi;

// The recognition dialog: the user touches the sensor while a worker thread
// waits for the biometric service, bounded by the reader's watchdog.
class PlayTest : public InputDialog {
  Q_OBJECT

 public:
  // `parent` is not used: the dialog is a top-level window, placed over the
  // host's widget by its wrapper. The host passes it all the same.
  PlayTest(QWidget* parent, QObject* eventFilter, TestContext* context, RunCellsPtr cells,
           int32_t timeoutSeconds);
  ~PlayTest() override;

  const PlayTestUi& ui() const { return *ui_; }

 signals:  // fixed by the host contract: meta-object method order
  void nextWidget();
  void cancelTest();
  void ChangeInfoLabelMessage(QString s);
  void LoopFinished();
  void UpdateProgress(int value);

 protected:
  void showEvent(QShowEvent* event) override;

 private slots:  // fixed by the host contract: meta-object method order
  void OnCancelClicked();
  void OnStartTest();
  void OnChangeLabelInfo(QString s);
  void OnLoopFinished();
  void OnUpdateProgress(int value);
  void OnFinished();
  void OnTimerTick();

 private:
  friend class FingerprintWidgetWrapper;  // connects its CloseDialog to OnFinished

  // Starts the worker on the operation taken from the reader; false when
  // there is no operation (a stuck reader) or no thread for it.
  bool StartWorker(FingerprintComponent* reader);
  // Reports the worker's outcome to the host, once, when it has one.
  void ReportWorkerOutcome();
  void ReportError();
  // Cancels the reader's wait and closes its session, within the grace
  // period, on a thread of its own: a reader that does not answer must not
  // freeze the user interface meanwhile. False when the reader is stuck.
  bool CancelReader();
  // The instruction for where the wait stands: the window must have the
  // focus (the framework hands touches to the foreground window only), and
  // a touch on another reader names the reader under test. Each change is
  // shown once.
  void UpdateInstruction();
  // Waits for the worker until `deadline`; false when it has not returned,
  // and then the run is orphaned.
  bool AwaitWorker(std::chrono::steady_clock::time_point deadline);

  // The module's language, installed application-wide while the dialog is
  // open, so that every text of the dialog and the host's translations of
  // the module's ids meanwhile come out in one language.
  std::unique_ptr<kivra::utils::ModuleTranslator> language_;
  std::unique_ptr<PlayTestUi> ui_;
  TestContext* context_;
  FingerprintError lastError_ = FingerprintError::Success;
  RunCellsPtr cells_;
  std::atomic<bool> started_{false};
  std::shared_ptr<SensorOperation> operation_;  // set once the worker starts
  std::shared_ptr<SensorRun> run_;              // likewise
  std::shared_ptr<BoundedCall> worker_;         // likewise
  bool reported_ = false;                       // the worker's outcome went to the host
  int32_t timeoutSeconds_;
  QTimer tickTimer_;
  // Set once the dialog has cancelled the reader and waited for the worker:
  // from then on nothing here calls the host, which may have ended the run.
  bool closed_ = false;
  bool cancelling_ = false;               // CancelReader runs the event loop
  const char* instructionKey_ = nullptr;  // null: the first instruction
  bool otherReaderTouched_ = false;
};
