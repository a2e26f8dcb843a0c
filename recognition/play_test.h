#pragma once

#include <atomic>
#include <cstdint>
#include <future>
#include <memory>

#include <QString>
#include <QTimer>

#include "device/fingerprint_error.h"
#include "recognition/input_dialog.h"
#include "recognition/run_cells.h"

class FingerprintWidgetWrapper;
class TestContext;
struct PlayTestUi;

// The recognition dialog: the user touches the sensor while a worker thread
// waits for the biometric service, bounded by the reader's watchdog.
class PlayTest : public InputDialog {
  Q_OBJECT

 public:
  PlayTest(QWidget* parent, QObject* eventFilter, TestContext* context, RunCellsPtr cells,
           uint32_t timeoutSeconds);
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

  FingerprintError RunSensorCheck();
  void ReportError();

  std::unique_ptr<PlayTestUi> ui_;
  TestContext* context_;
  FingerprintError lastError_ = FingerprintError::Success;  // written by the worker only
  RunCellsPtr cells_;
  std::atomic<bool> started_{false};
  std::future<FingerprintError> worker_;
  uint32_t timeoutSeconds_;
  QTimer tickTimer_;
  // Set once the dialog has cancelled the reader and waited for the worker:
  // from then on nothing here calls the host, which may have ended the run.
  bool closed_ = false;
};
