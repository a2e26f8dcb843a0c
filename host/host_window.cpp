#include "host/host_window.h"

#include <QMessageBox>
#include <QMetaObject>
#include <QVBoxLayout>

#include "contract/input_request.h"
#include "host/call_log.h"

HostWindow::HostWindow(bool headless, uint32_t scriptedAnswer)
    : headless_(headless), scriptedAnswer_(scriptedAnswer) {
  setObjectName(QStringLiteral("diag_host_window"));
  setWindowTitle(
      QStringLiteral("diag-host — %1").arg(CallLog::Translate(QStringLiteral("RECOGNITION_TEST"))));
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  status_ = new QLabel(QStringLiteral("Running…"), central);
  log_ = new QPlainTextEdit(central);
  log_->setReadOnly(true);
  layout->addWidget(status_);
  layout->addWidget(log_);
  setCentralWidget(central);
  resize(800, 600);
}

uint32_t HostWindow::Ask(const InputRequest& request) {
  if (request.kind == InputRequest::YesNo) {
    if (headless_) return scriptedAnswer_;
    const auto button = QMessageBox::question(this, CallLog::Translate(QString::fromStdString(request.title)),
                                              CallLog::Translate(QString::fromStdString(request.message)),
                                              QMessageBox::Yes | QMessageBox::No);
    return button == QMessageBox::Yes ? InputRequest::Yes : InputRequest::No;
  }
  if (!headless_) {
    QMessageBox::information(this, CallLog::Translate(QString::fromStdString(request.title)),
                             CallLog::Translate(QString::fromStdString(request.message)));
  }
  return 0;
}

void HostWindow::AppendLine(const QString& line) {
  QMetaObject::invokeMethod(
      log_, [this, line] { log_->appendPlainText(line); }, Qt::QueuedConnection);
}

void HostWindow::ShowStatus(const QString& text) {
  status_->setText(text);
}
