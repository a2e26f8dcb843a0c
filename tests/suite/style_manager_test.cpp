#include "suite/stylekit/style_manager.h"

#include <cstdlib>
#include <gtest/gtest.h>

#include <QDialog>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include "tests/support/test_support.h"
#include "utils/style_sheet_builder.h"

namespace {

namespace style_sheet = kivra::utils::style_sheet;
using kivra::utils::stylekit::StyleManager;

QStringList g_warnings;
// Qt reports style sheets it cannot parse as warnings naming the style sheet.
void CollectWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtDebugMsg && message.contains(QStringLiteral("style"), Qt::CaseInsensitive))
    g_warnings << message;
}

// Whether the image holds a pixel close to `color`.
bool HasPixelNear(const QImage& image, const QColor& color) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor pixel = image.pixelColor(x, y);
      if (std::abs(pixel.red() - color.red()) + std::abs(pixel.green() - color.green()) +
              std::abs(pixel.blue() - color.blue()) <
          40)
        return true;
    }
  }
  return false;
}

TEST(StyleManagerTest, OneManagerWithTheCommonSheet) {
  EXPECT_EQ(StyleManager::instance(), StyleManager::instance());
  const QString sheet = StyleManager::instance()->Stylesheet();
  for (const char* name :
       {"recognition_test_dialog_base", "recognition_test_widget_header", "recognition_test_header_icon",
        "recognition_test_header_label", "recognition_test_header_close", "recognition_test_widget_bottom",
        "recognition_test_instruction_label", "recognition_test_progress_bar"}) {
    EXPECT_TRUE(sheet.contains(QLatin1Char('#') + QLatin1String(name))) << name;
  }
  // The high-contrast builder reads the sheet block by block; a comment would
  // become part of a selector.
  EXPECT_FALSE(sheet.contains(QStringLiteral("/*")));
}

TEST(StyleManagerTest, ImagesExistAndCarryAFillColour) {
  int images = 0;
  for (const auto& [selector, properties] : style_sheet::Parse(StyleManager::instance()->Stylesheet())) {
    for (const auto& [name, value] : properties) {
      if (name != QLatin1String("image") && name != QLatin1String("icon")) continue;
      const QRegularExpressionMatch match =
          QRegularExpression(QStringLiteral("^url\\(\"(:/[^\"]+)\"\\)$")).match(value);
      ASSERT_TRUE(match.hasMatch()) << selector.toStdString() << ": " << value.toStdString();
      const QByteArray svg = fp_test::ReadFile(match.captured(1));
      EXPECT_TRUE(svg.startsWith("<svg")) << match.captured(1).toStdString();
      EXPECT_TRUE(QRegularExpression(QStringLiteral("fill=\"#[0-9a-f]{6}\""))
                      .match(QString::fromUtf8(svg))
                      .hasMatch())
          << match.captured(1).toStdString();
      ++images;
    }
  }
  EXPECT_GE(images, 2) << "the header icon and the close button";
}

TEST(StyleManagerTest, QtAcceptsTheSheetOnTheRecognitionDialogsWidgets) {
  QDialog dialog;
  dialog.setObjectName(QStringLiteral("recognition_test_dialog_base"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* header = new QWidget(&dialog);
  header->setObjectName(QStringLiteral("recognition_test_widget_header"));
  auto* headerLayout = new QHBoxLayout(header);
  for (const char* name : {"recognition_test_header_icon", "recognition_test_header_label"}) {
    auto* label = new QLabel(header);
    label->setObjectName(QLatin1String(name));
    headerLayout->addWidget(label);
  }
  auto* close = new QPushButton(header);
  close->setObjectName(QStringLiteral("recognition_test_header_close"));
  headerLayout->addWidget(close);
  auto* bottom = new QWidget(&dialog);
  bottom->setObjectName(QStringLiteral("recognition_test_widget_bottom"));
  auto* bottomLayout = new QVBoxLayout(bottom);
  auto* instruction = new QLabel(QStringLiteral("Touch the sensor"), bottom);
  instruction->setObjectName(QStringLiteral("recognition_test_instruction_label"));
  auto* progress = new QProgressBar(bottom);
  progress->setObjectName(QStringLiteral("recognition_test_progress_bar"));
  bottomLayout->addWidget(instruction);
  bottomLayout->addWidget(progress);
  layout->addWidget(header);
  layout->addWidget(bottom);

  g_warnings.clear();
  const QtMessageHandler previous = qInstallMessageHandler(CollectWarnings);
  dialog.setStyleSheet(StyleManager::instance()->Stylesheet());
  dialog.show();
  dialog.grab();  // paints every widget with the sheet
  qInstallMessageHandler(previous);
  EXPECT_TRUE(g_warnings.isEmpty()) << g_warnings.join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(close->size(), QSize(28, 28));
  EXPECT_TRUE(HasPixelNear(close->grab().toImage(), QColor(0x57, 0x60, 0x6a))) << "the close icon is drawn";
  EXPECT_TRUE(HasPixelNear(progress->grab().toImage(), QColor(0xe4, 0xe9, 0xf0)))
      << "the progress track is drawn";
}

}  // namespace
