#include "recognition/input_dialog.h"

#include <QDebug>
#include <QEventLoop>
#include <QTimer>

#include "contract/test_context.h"

namespace {
constexpr int kAbortPollMs = 1000;
}

InputDialog::InputDialog(QObject* eventFilter) : AccessibleDialogBase(nullptr) {
  if (eventFilter) installEventFilter(eventFilter);
  setAttribute(Qt::WA_DeleteOnClose, false);
  setWindowFlags(Qt::WindowStaysOnTopHint);
  setWindowModality(Qt::WindowModal);
  setModal(true);
}

InputDialog::~InputDialog() = default;

int InputDialog::exec() {
  QEventLoop loop;
  connect(this, &QDialog::finished, &loop, &QEventLoop::quit);

  // The host's abort request ends the loop without touching the result; the
  // dialog's own finished handlers take it from there.
  QTimer abortPoll;
  connect(
      &abortPoll, &QTimer::timeout, &abortPoll,
      [this] {
        if (abortContext && abortContext->IsAbortRequested()) emit finished(0);
      },
      Qt::DirectConnection);

  // Debug lines fixed by the host contract: the suite's logs are read for them.
  qDebug().nospace() << "Before show: " << result();
  show();
  qDebug().nospace() << "Before loop: " << result();
  abortPoll.start(kAbortPollMs);
  loop.exec();
  qDebug().nospace() << "After the event loop: " << result();
  return result();
}

void InputDialog::accept() {
  done(result());
}

void InputDialog::reject() {
  done(result());
}
