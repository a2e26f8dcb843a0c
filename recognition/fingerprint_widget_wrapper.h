#pragma once

#include <cstdint>

#include <QObject>
#include <QPointer>
#include <QSize>

#include "contract/abstract_widget_wrapper.h"
#include "recognition/run_cells.h"

class PlayTest;

// What the recognition test hands the host to run: Exec creates the
// recognition dialog, centres it over the host's widget and runs it modally.
class FingerprintWidgetWrapper : public QObject, public AbstractWidgetWrapper {
  Q_OBJECT
  Q_INTERFACES(AbstractWidgetWrapper)  // fixed by the host contract: qt_metacast answers both names

 public:
  FingerprintWidgetWrapper(QSize dialogSize, TestContext* context, RunCellsPtr cells, int32_t timeoutSeconds);
  ~FingerprintWidgetWrapper() override;

  int Exec(QWidget* parent, QObject* eventFilter) override;

  // Closes the dialog if it still exists and has no result yet.
  void CloseIfOpen();

  PlayTest* dialog() const { return dialog_; }

 signals:  // fixed by the host contract: meta-object method order
  void CloseDialog();

 private:
  QSize dialogSize_;
  PlayTest* dialog_ = nullptr;  // cleared when the dialog is destroyed
  TestContext* dialogContext_;
  RunCellsPtr cells_;
  int32_t timeoutSeconds_;
};
