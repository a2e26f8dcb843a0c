#include "host/dialog_screenshot.h"

#include <cstdio>

#include <QAbstractButton>
#include <QApplication>
#include <QGlyphRun>
#include <QJsonArray>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTextLayout>
#include <QTimer>
#include <QWidget>

namespace {

constexpr int kPollMs = 50;

QWidget* VisibleDialog() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == QLatin1String("recognition_test_dialog_base") && widget->isVisible())
      return widget;
  return nullptr;
}

QString SizeText(const QSize& size) {
  return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

// The size a label needs to show all its text at its present width, when it
// has less: a text cut at a side, or its last lines lost.
QString Cut(const QLabel* label) {
  const QSize has = label->size();
  QSize needs = label->wordWrap()
                    ? QSize(label->minimumSizeHint().width(), label->heightForWidth(has.width()))
                    : label->sizeHint();
  if (needs.width() <= has.width() && needs.height() <= has.height()) return {};
  return QStringLiteral("\"%1\" needs %2, has %3").arg(label->text(), SizeText(needs), SizeText(has));
}

// Whether a font had no glyph for some of the label's characters, which the
// picture then shows as boxes (a language without its fonts installed).
bool MissesGlyphs(const QLabel* label) {
  QTextLayout layout(label->text(), label->font());
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  for (const QGlyphRun& run : layout.glyphRuns())
    for (const quint32 glyph : run.glyphIndexes())
      if (glyph == 0) return true;
  return false;
}

// What the picture shows, for people and scripts: the dialog's size in
// device pixels, whether it has the focus, its window title, its texts and
// its buttons' names, any text that does not fit its label and any drawn
// with boxes for want of a font.
QJsonObject Describe(QWidget* dialog) {
  QJsonArray texts;
  QJsonArray buttons;
  QJsonArray cut;
  QJsonArray boxes;
  for (const QLabel* label : dialog->findChildren<QLabel*>()) {
    if (!label->isVisible() || label->text().isEmpty()) continue;
    texts.append(label->text());
    if (const QString problem = Cut(label); !problem.isEmpty()) cut.append(problem);
    if (MissesGlyphs(label)) boxes.append(label->text());
  }
  for (const QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
    if (button->isVisible())
      buttons.append(button->text().isEmpty() ? button->accessibleName() : button->text());
  const qreal ratio = dialog->devicePixelRatioF();
  return {{QStringLiteral("size"),
           SizeText(QSize(qRound(dialog->width() * ratio), qRound(dialog->height() * ratio)))},
          {QStringLiteral("active"), dialog->isActiveWindow()},
          {QStringLiteral("title"), dialog->windowTitle()},
          {QStringLiteral("texts"), texts},
          {QStringLiteral("buttons"), buttons},
          {QStringLiteral("cut"), cut},
          {QStringLiteral("withoutGlyphs"), boxes}};
}

QString Joined(const QJsonArray& texts, const char* prefix) {
  QStringList quoted;
  for (const QJsonValue& text : texts)
    quoted << QLatin1String(prefix) + QLatin1Char('"') + text.toString() + QLatin1Char('"');
  return quoted.join(QLatin1Char(' '));
}

}  // namespace

std::shared_ptr<ScreenshotOutcome> CaptureRecognitionDialog(const QString& file, int afterMs,
                                                            std::function<double()> clock) {
  auto outcome = std::make_shared<ScreenshotOutcome>();
  auto* poll = new QTimer(qApp);
  poll->start(kPollMs);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, file, afterMs, clock, outcome] {
    if (!VisibleDialog()) return;
    poll->stop();
    poll->deleteLater();
    outcome->problem = QStringLiteral("the dialog closed before the picture was taken");
    QTimer::singleShot(afterMs, qApp, [file, clock, outcome] {
      QWidget* dialog = VisibleDialog();
      if (!dialog) return;
      QPixmap picture;
      if (QApplication::platformName() != QLatin1String("offscreen") && dialog->screen()) {
        const QRect area = dialog->frameGeometry().adjusted(-24, -24, 24, 24);
        picture = dialog->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
      }
      if (picture.isNull()) picture = dialog->grab();
      outcome->takenAt = clock();
      outcome->saved = picture.save(file);
      outcome->problem = outcome->saved ? QString() : QStringLiteral("cannot write an image there");
      outcome->dialog = Describe(dialog);
      if (outcome->saved)
        std::fprintf(stderr, "diag-host: screenshot saved to %s\n", file.toLocal8Bit().constData());
      const QJsonObject& shown = outcome->dialog;
      std::fprintf(stderr, "diag-host: dialog %s %s \"%s\" %s %s\n",
                   shown[QLatin1String("size")].toString().toUtf8().constData(),
                   shown[QLatin1String("active")].toBool() ? "active" : "inactive",
                   shown[QLatin1String("title")].toString().toUtf8().constData(),
                   Joined(shown[QLatin1String("texts")].toArray(), "").toUtf8().constData(),
                   Joined(shown[QLatin1String("buttons")].toArray(), "button ").toUtf8().constData());
      for (const QJsonValue& cut : shown[QLatin1String("cut")].toArray())
        std::fprintf(stderr, "diag-host: text cut in the dialog: %s\n", cut.toString().toUtf8().constData());
      for (const QJsonValue& text : shown[QLatin1String("withoutGlyphs")].toArray())
        std::fprintf(stderr, "diag-host: no font has every character of \"%s\"\n",
                     text.toString().toUtf8().constData());
    });
  });
  return outcome;
}
