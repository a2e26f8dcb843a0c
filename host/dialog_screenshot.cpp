#include "host/dialog_screenshot.h"

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int kPollMs = 50;
constexpr int kSettleMs = 700;  // let styling, the first tick and the compositor settle

QWidget* VisibleDialog() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == QLatin1String("recognition_test_dialog_base") && widget->isVisible())
      return widget;
  return nullptr;
}

}  // namespace

void CaptureRecognitionDialog(const QString& file) {
  auto* poll = new QTimer(qApp);
  poll->start(kPollMs);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, file] {
    if (!VisibleDialog()) return;
    poll->stop();
    poll->deleteLater();
    QTimer::singleShot(kSettleMs, qApp, [file] {
      QWidget* dialog = VisibleDialog();
      if (!dialog) {
        std::fprintf(stderr, "diag-host: the dialog closed before the screenshot\n");
        return;
      }
      QPixmap picture;
      if (QApplication::platformName() != QLatin1String("offscreen") && dialog->screen()) {
        const QRect area = dialog->frameGeometry().adjusted(-24, -24, 24, 24);
        picture = dialog->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
      }
      if (picture.isNull()) picture = dialog->grab();
      QDir().mkpath(QFileInfo(file).absolutePath());
      if (picture.save(file))
        std::fprintf(stderr, "diag-host: screenshot saved to %s\n", file.toLocal8Bit().constData());
      else
        std::fprintf(stderr, "diag-host: cannot save the screenshot to '%s'\n",
                     file.toLocal8Bit().constData());
      // What the picture shows, for scripts: the dialog's size in device
      // pixels, whether it has the focus, and its texts.
      QStringList texts;
      for (const QLabel* label : dialog->findChildren<QLabel*>())
        if (label->isVisible() && !label->text().isEmpty())
          texts << QLatin1Char('"') + label->text() + QLatin1Char('"');
      std::fprintf(stderr, "diag-host: dialog %dx%d %s %s\n",
                   qRound(dialog->width() * dialog->devicePixelRatioF()),
                   qRound(dialog->height() * dialog->devicePixelRatioF()),
                   dialog->isActiveWindow() ? "active" : "inactive",
                   texts.join(QLatin1Char(' ')).toUtf8().constData());
    });
  });
}
