#include "utils/accessibility/accessible_dialog_base.h"

#include <gtest/gtest.h>
#include <memory>

#include <QAbstractEventDispatcher>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include "platform/sim/sim_machine.h"
#include "platform/system.h"
#include "suite/hostcore/hostcore.h"
#include "suite/stylekit/style_manager.h"
#include "tests/support/test_support.h"
#include "utils/high_contrast.h"
#include "utils/style_sheet_builder.h"

namespace {

namespace style_sheet = kivra::utils::style_sheet;
using kivra::utils::accessibility::AccessibleDialogBase;
using platform::sim::ScopedMachine;
using platform::sim::SimMachine;

constexpr const char* kText = "#ffff00";

SimMachine HighContrastMachine(bool on) {
  return fp_test::Machine([on](SimMachine& m) {
    m.system.highContrast = on;
    m.system.sysColors[8] = 0x00ffff;  // kText, red in the lowest byte
  });
}

// What Windows would hand the application's native event filters.
bool SendNativeMessage(const QByteArray& type, uint32_t number) {
  platform::WindowMessage message{};
  message.message = number;
  qintptr result = 0;
  return QAbstractEventDispatcher::instance()->filterNativeEvent(type, &message, &result);
}

bool SendThemeChange() {
  return SendNativeMessage(QByteArrayLiteral("windows_generic_MSG"), platform::kWmThemeChanged);
}

int RecolouredFiles(const QObject& dialog) {
  return static_cast<int>(dialog.findChildren<QTemporaryFile*>().size());
}

TEST(HighContrastTest, SnapshotHasThirtyOpaqueColoursWithoutIndex25) {
  ScopedMachine machine(fp_test::Machine([](SimMachine& m) {
    for (int index = 0; index <= 30; ++index)
      m.system.sysColors[index] = 0x00030201u * static_cast<uint32_t>(index);
    m.system.sysColors[24] = 0x563412;  // red in the lowest byte
    m.system.sysColors[26] = 0xefcdab;
  }));
  const kivra::utils::SystemColorTable colors = kivra::utils::SystemColors();
  ASSERT_EQ(colors.size(), 30u);
  for (const QColor& color : colors) EXPECT_EQ(color.alpha(), 255);
  EXPECT_EQ(colors[24], QColor(0x12, 0x34, 0x56)) << "red is the lowest byte";
  EXPECT_EQ(colors[25], QColor(0xab, 0xcd, 0xef)) << "position 25 holds colour 26";
  EXPECT_EQ(colors[29], QColor(30, 60, 90)) << "position 29 holds colour 30";
}

class AccessibleDialogBaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.isValid());
    kivra::hostcore::set_temporary_path(temp_.path().toStdString());
  }
  void TearDown() override { kivra::hostcore::set_temporary_path(""); }

  QTemporaryDir temp_;
};

TEST_F(AccessibleDialogBaseTest, DialogBuiltUnderHighContrastIsStyledFromTheSystemColours) {
  ScopedMachine machine(HighContrastMachine(true));
  auto dialog = std::make_unique<AccessibleDialogBase>();
  EXPECT_EQ(dialog->baseStyleSheet(), kivra::utils::stylekit::StyleManager::instance()->Stylesheet());
  const QString sheet = dialog->styleSheet();

  // The common sheet, rewritten with the system's colours (the rules
  // themselves are the style builder's tests).
  EXPECT_EQ(style_sheet::Parse(sheet)
                .at(QStringLiteral("QLabel#recognition_test_header_label"))
                .at(QStringLiteral("color")),
            QLatin1String(kText));

  // Both images now point at recoloured copies that exist.
  QStringList files;
  for (const QTemporaryFile* copy : dialog->findChildren<QTemporaryFile*>()) files << copy->fileName();
  ASSERT_EQ(files.size(), 2);
  for (const QString& file : files) {
    EXPECT_TRUE(sheet.contains(QStringLiteral("\"") + file + QStringLiteral("\""))) << file.toStdString();
    EXPECT_TRUE(file.startsWith(temp_.path() + QStringLiteral("/temp/"))) << file.toStdString();
    QFile copy(file);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly)) << file.toStdString();
    const QByteArray content = copy.readAll();
    EXPECT_TRUE(content.contains(QByteArray("fill=\"") + kText)) << file.toStdString();
    EXPECT_FALSE(content.contains("#1a73e8") || content.contains("#57606a")) << file.toStdString();
  }

  dialog.reset();
  for (const QString& file : files) EXPECT_FALSE(QFile::exists(file)) << file.toStdString();
}

// A theme change restyles the dialog from its base sheet; other native events
// pass through; a destroyed dialog gets no pending restyle and leaves no
// filter behind.
TEST_F(AccessibleDialogBaseTest, ThemeChangesRestyleFromTheBaseSheet) {
  std::unique_ptr<AccessibleDialogBase> dialog;
  {
    ScopedMachine machine(HighContrastMachine(false));
    dialog = std::make_unique<AccessibleDialogBase>();
  }
  const QString base = dialog->styleSheet();
  dialog->setStyleSheet(base + QStringLiteral("QLabel#derived { color: red; }"));  // a derived dialog's own
  {
    ScopedMachine machine(HighContrastMachine(true));
    EXPECT_FALSE(SendNativeMessage(QByteArrayLiteral("xcb_generic_event_t"), platform::kWmThemeChanged));
    EXPECT_FALSE(SendNativeMessage(QByteArrayLiteral("windows_generic_MSG"), 0x000F));  // WM_PAINT
    EXPECT_TRUE(SendThemeChange()) << "the message is consumed";
    ASSERT_TRUE(QTest::qWaitFor([&] { return RecolouredFiles(*dialog) == 2; }, 5000));
    EXPECT_FALSE(dialog->styleSheet().contains(QStringLiteral("derived"))) << "built from the base sheet";
    EXPECT_EQ(dialog->systemColors().at(8), QColor(QString::fromLatin1(kText)));
    ScopedMachine normal(HighContrastMachine(false));
    EXPECT_TRUE(SendThemeChange());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->styleSheet() == base; }, 5000));
  }
  ScopedMachine machine(HighContrastMachine(true));
  EXPECT_TRUE(SendThemeChange());
  dialog.reset();
  QTest::qWait(300);
  EXPECT_FALSE(SendThemeChange()) << "the filter left with its dialog";
}

}  // namespace
