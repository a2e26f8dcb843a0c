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

std::shared_ptr<ScreenshotOutcome> CaptureRecognitionDialog(const QString& file) {
  auto outcome = std::make_shared<ScreenshotOutcome>();
  auto* poll = new QTimer(qApp);
  poll->start(kPollMs);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, file, outcome] {
    if (!VisibleDialog()) return;
    poll->stop();
    poll->deleteLater();
    outcome->problem = QStringLiteral("the dialog closed before the picture was taken");
    QTimer::singleShot(kSettleMs, qApp, [file, outcome] {
      QWidget* dialog = VisibleDialog();
      if (!dialog) return;
      QPixmap picture;
      if (QApplication::platformName() != QLatin1String("offscreen") && dialog->screen()) {
        const QRect area = dialog->frameGeometry().adjusted(-24, -24, 24, 24);
        picture = dialog->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
      }
      if (picture.isNull()) picture = dialog->grab();
      QDir().mkpath(QFileInfo(file).absolutePath());
      outcome->saved = picture.save(file);
      outcome->problem = outcome->saved ? QString() : QStringLiteral("cannot write an image there");
      if (outcome->saved)
        std::fprintf(stderr, "diag-host: screenshot saved to %s\n", file.toLocal8Bit().constData());
      // What the picture shows, for scripts: the dialog's size in device
      // pixels, whether it has the focus, its window title and its texts.
      QStringList texts;
      for (const QLabel* label : dialog->findChildren<QLabel*>())
        if (label->isVisible() && !label->text().isEmpty())
          texts << QLatin1Char('"') + label->text() + QLatin1Char('"');
      std::fprintf(stderr, "diag-host: dialog %dx%d %s \"%s\" %s\n",
                   qRound(dialog->width() * dialog->devicePixelRatioF()),
                   qRound(dialog->height() * dialog->devicePixelRatioF()),
                   dialog->isActiveWindow() ? "active" : "inactive",
                   dialog->windowTitle().toUtf8().constData(),
                   texts.join(QLatin1Char(' ')).toUtf8().constData());
    });
  });
  return outcome;
}
