#include "utils/accessibility/accessible_dialog_base.h"

#include <gtest/gtest.h>
#include <memory>

#include <QAbstractEventDispatcher>
#include <QAccessible>
#include <QAccessibleInterface>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include "platform/sim/sim_machine.h"
#include "suite/hostcore/hostcore.h"
#include "suite/stylekit/style_manager.h"
#include "tests/support/test_support.h"
#include "utils/style_sheet_builder.h"

namespace {

using kivra::utils::StyleRuleSet;
namespace style_sheet = kivra::utils::style_sheet;
using kivra::utils::accessibility::AccessibleDialogBase;
using platform::sim::ScopedMachine;
using platform::sim::SimMachine;

constexpr const char* kText = "#ffff00";
constexpr const char* kDesktop = "#000001";
constexpr const char* kHighlight = "#00ffff";
constexpr const char* kButtonFace = "#101010";
constexpr const char* kButtonText = "#fefefe";

SimMachine HighContrastMachine(bool on) {
  return fp_test::Machine([on](SimMachine& m) {
    m.system.highContrast = on;
    m.system.sysColors[8] = fp_test::ColorRef(kText);
    m.system.sysColors[1] = fp_test::ColorRef(kDesktop);
    m.system.sysColors[13] = fp_test::ColorRef(kHighlight);
    m.system.sysColors[15] = fp_test::ColorRef(kButtonFace);
    m.system.sysColors[18] = fp_test::ColorRef(kButtonText);
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

// The image and icon URLs of a sheet.
QStringList ImageFiles(const QString& sheet) {
  QStringList files;
  for (const auto& [selector, properties] : style_sheet::Parse(sheet)) {
    for (const auto& [name, value] : properties) {
      if (name != QLatin1String("image") && name != QLatin1String("icon")) continue;
      const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("\"([^\"]+)\"")).match(value);
      if (match.hasMatch()) files << match.captured(1);
    }
  }
  return files;
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

TEST_F(AccessibleDialogBaseTest, NormalDialogCarriesTheCommonSheet) {
  ScopedMachine machine(HighContrastMachine(false));
  AccessibleDialogBase dialog;
  const QString common = kivra::utils::stylekit::StyleManager::instance()->Stylesheet();
  ASSERT_FALSE(common.isEmpty());
  EXPECT_EQ(dialog.styleSheet(), common);
  EXPECT_EQ(dialog.baseStyleSheet(), common);
  EXPECT_TRUE(dialog.testAttribute(Qt::WA_TranslucentBackground));
  EXPECT_EQ(dialog.systemColors().size(), 30u);
  EXPECT_EQ(RecolouredFiles(dialog), 0);
  EXPECT_STREQ(dialog.metaObject()->className(), "kivra::utils::accessibility::AccessibleDialogBase");
  EXPECT_EQ(dialog.parentWidget(), nullptr);
}

TEST_F(AccessibleDialogBaseTest, DialogBuiltUnderHighContrastIsStyledFromTheSystemColours) {
  ScopedMachine machine(HighContrastMachine(true));
  auto dialog = std::make_unique<AccessibleDialogBase>();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->baseStyleSheet(), kivra::utils::stylekit::StyleManager::instance()->Stylesheet());
  const QString sheet = dialog->styleSheet();
  ASSERT_NE(sheet, dialog->baseStyleSheet());
  EXPECT_EQ(dialog->systemColors().at(8), QColor(QString::fromLatin1(kText)));

  const StyleRuleSet rules = style_sheet::Parse(sheet);
  EXPECT_EQ(
      rules.at(QStringLiteral("QWidget#recognition_test_dialog_base")).at(QStringLiteral("background-color")),
      QLatin1String(kDesktop));
  EXPECT_EQ(rules.at(QStringLiteral("QLabel#recognition_test_header_label")).at(QStringLiteral("color")),
            QLatin1String(kText));
  const auto& close = rules.at(QStringLiteral("QPushButton#recognition_test_header_close"));
  EXPECT_EQ(close.at(QStringLiteral("background-color")), QLatin1String(kButtonFace));
  EXPECT_EQ(close.at(QStringLiteral("border")), QStringLiteral("1px solid ") + QLatin1String(kButtonText));
  EXPECT_EQ(close.count(QStringLiteral("border-style")), 0u);
  EXPECT_EQ(rules.at(QStringLiteral("QPushButton#recognition_test_header_close:hover"))
                .at(QStringLiteral("background-color")),
            QLatin1String(kHighlight));

  // Both images now point at recoloured copies that exist.
  const QStringList files = ImageFiles(sheet);
  ASSERT_EQ(files.size(), 2) << sheet.toStdString();
  for (const QString& file : files) {
    EXPECT_TRUE(file.startsWith(temp_.path() + QStringLiteral("/temp/"))) << file.toStdString();
    const QByteArray content = fp_test::ReadFile(file);
    EXPECT_TRUE(content.contains(QByteArray("fill=\"") + kText)) << file.toStdString();
    EXPECT_FALSE(content.contains("#1a73e8") || content.contains("#57606a")) << file.toStdString();
  }
  EXPECT_EQ(RecolouredFiles(*dialog), 2);

  dialog.reset();
  for (const QString& file : files) EXPECT_FALSE(QFile::exists(file)) << file.toStdString();
}

TEST_F(AccessibleDialogBaseTest, ThemeChangesRestyleAfterADelayAndSwitchBackToTheBaseSheet) {
  std::unique_ptr<AccessibleDialogBase> dialog;
  {
    ScopedMachine machine(HighContrastMachine(false));
    dialog = std::make_unique<AccessibleDialogBase>();
  }
  const QString base = dialog->styleSheet();
  // What a derived dialog adds later is not part of the base.
  dialog->setStyleSheet(base + QStringLiteral("QLabel#derived { color: red; }"));

  {
    ScopedMachine machine(HighContrastMachine(true));
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(SendThemeChange()) << "the message is consumed";
    QTest::qWait(40);
    if (clock.elapsed() < 90) {
      EXPECT_NE(dialog->styleSheet(), base) << "still the derived sheet";
      EXPECT_EQ(RecolouredFiles(*dialog), 0) << "not restyled before the delay";
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return RecolouredFiles(*dialog) == 2; }, 5000));
    EXPECT_FALSE(dialog->styleSheet().contains(QStringLiteral("derived"))) << "built from the base sheet";
    EXPECT_EQ(dialog->systemColors().at(8), QColor(QString::fromLatin1(kText)));
  }

  ScopedMachine machine(HighContrastMachine(false));
  EXPECT_TRUE(SendThemeChange());
  ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->styleSheet() == base; }, 5000));
}

TEST_F(AccessibleDialogBaseTest, EveryThemeChangeRestylesOnce) {
  ScopedMachine machine(HighContrastMachine(true));
  AccessibleDialogBase dialog;
  ASSERT_EQ(RecolouredFiles(dialog), 2);
  EXPECT_TRUE(SendThemeChange());
  EXPECT_TRUE(SendThemeChange());
  ASSERT_TRUE(QTest::qWaitFor([&] { return RecolouredFiles(dialog) == 6; }, 5000));
  QTest::qWait(300);
  EXPECT_EQ(RecolouredFiles(dialog), 6);
}

TEST_F(AccessibleDialogBaseTest, OtherNativeEventsPassThrough) {
  ScopedMachine machine(HighContrastMachine(true));
  AccessibleDialogBase dialog;
  EXPECT_FALSE(SendNativeMessage(QByteArrayLiteral("xcb_generic_event_t"), platform::kWmThemeChanged));
  EXPECT_FALSE(SendNativeMessage(QByteArrayLiteral("windows_generic_MSG"), 0x000F));  // WM_PAINT
  QTest::qWait(300);
  EXPECT_EQ(RecolouredFiles(dialog), 2);
}

TEST_F(AccessibleDialogBaseTest, DestroyedDialogGetsNoCallbackAndLeavesNoFilter) {
  ScopedMachine machine(HighContrastMachine(true));
  auto dialog = std::make_unique<AccessibleDialogBase>();
  EXPECT_TRUE(SendThemeChange());
  dialog.reset();
  QTest::qWait(300);  // the pending restyle must not run on the dead dialog
  EXPECT_FALSE(SendThemeChange()) << "the filter left with its dialog";
}

TEST_F(AccessibleDialogBaseTest, EachDialogHasItsOwnAccessibleInterface) {
  ScopedMachine machine(HighContrastMachine(false));
  auto first = std::make_unique<AccessibleDialogBase>();
  AccessibleDialogBase second;
  QAccessibleInterface* firstInterface = first->AccessibleInterface();
  ASSERT_NE(firstInterface, nullptr);
  EXPECT_EQ(first->AccessibleInterface(), firstInterface);
  EXPECT_EQ(firstInterface->role(), QAccessible::Client);
  EXPECT_EQ(firstInterface->text(QAccessible::Name), QString());
  EXPECT_EQ(firstInterface->object(), first.get());

  QAccessibleInterface* secondInterface = second.AccessibleInterface();
  EXPECT_NE(secondInterface, firstInterface);
  first.reset();
  // Still describes a live dialog.
  EXPECT_TRUE(secondInterface->isValid());
  EXPECT_EQ(secondInterface->object(), &second);
  second.resize(200, 100);
  second.show();
  EXPECT_EQ(secondInterface->rect().size(), QSize(200, 100));
}

}  // namespace
