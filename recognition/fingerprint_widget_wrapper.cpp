#include "recognition/fingerprint_widget_wrapper.h"

#include <QDebug>
#include <QWidget>

#include "recognition/play_test.h"
#include "utils/dpi.h"

FingerprintWidgetWrapper::FingerprintWidgetWrapper(QSize dialogSize, TestContext* testContext,
                                                   RunCellsPtr cells, int32_t timeoutSeconds)
    : QObject(nullptr),
      dialogSize_(dialogSize),
      dialogContext_(testContext),
      cells_(std::move(cells)),
      timeoutSeconds_(timeoutSeconds) {
  AbstractWidgetWrapper::context = testContext;
}

// The dialog may outlive the wrapper until its deferred deletion; the
// connection that clears dialog_ has the wrapper as context and ends here.
FingerprintWidgetWrapper::~FingerprintWidgetWrapper() = default;

int FingerprintWidgetWrapper::Exec(QWidget* parent, QObject* eventFilter) {
  // Deletes itself on close (below).
  dialog_ = new PlayTest(parent, eventFilter, dialogContext_, cells_, timeoutSeconds_);
  dialog_->abortContext = AbstractWidgetWrapper::context;
  qDebug() << "exec filter installed";  // fixed by the host contract

  if (parent && dialogSize_.width() != 0 && dialogSize_.height() != 0) {
    const int left = parent->x() + (parent->width() - dialogSize_.width()) / 2;
    const int top = parent->y() + (parent->height() - dialogSize_.height()) / 2;
    dialog_->setGeometry(
        kivra::utils::Dpi::fitDialog(*dialog_, QRect(left, top, dialogSize_.width(), dialogSize_.height())));
  }

  dialog_->setResult(0);
  dialog_->setAttribute(Qt::WA_DeleteOnClose, true);
  connect(
      dialog_, &QObject::destroyed, this, [this] { dialog_ = nullptr; }, Qt::DirectConnection);
  connect(this, &FingerprintWidgetWrapper::CloseDialog, dialog_, &PlayTest::OnFinished);

  // Raise it once above everything, then let it behave as a normal modal window.
  dialog_->setWindowFlags(dialog_->windowFlags() | Qt::WindowStaysOnTopHint);
  dialog_->open();
  dialog_->hide();
  dialog_->setWindowFlags(dialog_->windowFlags() & ~Qt::WindowStaysOnTopHint);
  return dialog_->exec();
}

void FingerprintWidgetWrapper::CloseIfOpen() {
  if (dialog_ && dialog_->result() == 0) emit CloseDialog();
}
