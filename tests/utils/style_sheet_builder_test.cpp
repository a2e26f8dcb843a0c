#include "utils/style_sheet_builder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include "platform/sim/sim_machine.h"
#include "suite/hostcore/hostcore.h"
#include "tests/support/test_support.h"

namespace {

using kivra::utils::HighContrastColors;
using kivra::utils::StyleProperties;
namespace style_sheet = kivra::utils::style_sheet;

TEST(StyleSheetParseTest, BlocksSelectorsAndDeclarations) {
  const auto rules = style_sheet::Parse(
      QStringLiteral("  QWidget#base {\n  background-color: #ffffff;\n  border: 1px solid #c6ced8 ;\n}\n"
                     "QLabel#icon { image: url(\":/stylekit/icons/fingerprint.svg\"); }\n"
                     "QLabel#title { color: red; color: blue; font-weight 600; ; padding:  4px }\n"
                     "QWidget#base { border-radius: 12px; }\n"
                     "QLabel#url { image: url(\"C::/x.svg\") }\n"
                     "no brace here }\n"
                     "QLabel#a { color: red; } QLabel#b { color: { nested }\n"));
  // A repeated selector keeps its last block; values keep their colons, but
  // empty pieces between colons go; the last declaration wins; declarations
  // without ':' and blocks with two '{' are dropped.
  EXPECT_EQ(style_sheet::Write(rules),
            QStringLiteral("QLabel#a {\n  color: red;\n}\n"
                           "QLabel#icon {\n  image: url(\":/stylekit/icons/fingerprint.svg\");\n}\n"
                           "QLabel#title {\n  color: blue;\n  padding: 4px;\n}\n"
                           "QLabel#url {\n  image: url(\"C:/x.svg\") ;\n}\n"
                           "QWidget#base {\n  border-radius: 12px;\n}\n"));
  EXPECT_EQ(style_sheet::Write(style_sheet::Parse(QStringLiteral("B { }\nA { color: ; b: 1 }"))),
            QStringLiteral("A {\n  b: 1;\n  color: ;\n}\n"));
}

// Every rewrite rule at once, checked against one exact sheet. Each role has
// its own colour, so every value shows the role it came from.
TEST(StyleSheetRewriteTest, HighContrastSheetIsExact) {
  HighContrastColors roles;
  roles.text = QStringLiteral("#000008");
  roles.desktop = QStringLiteral("#000001");
  roles.highlight = QStringLiteral("#000013");
  roles.highlightText = QStringLiteral("#000014");
  roles.buttonFace = QStringLiteral("#000015");
  roles.buttonText = QStringLiteral("#000018");
  roles.grayText = QStringLiteral("#000017");
  roles.infoText = QStringLiteral("#000023");
  auto rules = style_sheet::Parse(QStringLiteral(
      "QWidget#plain { background-color: white; border: 1px solid grey; }"
      "QWidget#camera_barcode_test_warning_container { border-color: red; }"
      "QWidget#screen_border_widget { border-radius: 12px; }"
      "QProgressBar#bar { background-color: white; } QWidget { background-color: white; }"
      "QLabel#title { color: #1f2328; font-size: 14px; } QLabel#title:disabled { color: grey; }"
      "QLabel#title:selected { color: grey; } QLabel#title:active { color: grey; }"
      "QLabel#title:focus { color: blue; border: none; } QLabel { color: black; }"
      "QPushButton { color: black; border-radius: 6px; } QPushButton:hover { background-color: grey; }"
      "QPushButton#dlg_header_close { icon: url(\"x\"); border-style: none; animation: spin; }"
      "QPushButton#a_header_close, QPushButton#b_header_close { color: red; }"
      "QPushButton[objectName*=\"footer\"] { border-color: grey; padding: 2px; }"
      "QPushButton#display_interactive_footer_button_number_2:focus, QPushButton#ok:focus { border: 1px; }"
      "QSpinBox#s { color: red; } QStackedWidget#w { } QSpinBox { color: red; }"
      "QLabel#i { image: url(\"a\"); border-image: url(\"b\"); Image: url(\"c\"); }"));
  style_sheet::Rewrite(rules, roles, [](const QString& value) { return QStringLiteral("re-") + value; });
  // One rule a line here; written out in full for the comparison.
  const QString expected = style_sheet::Write(style_sheet::Parse(QStringLiteral(
      "QLabel { color: black; }"
      "QLabel#i { Image: url(\"c\"); border-image: url(\"b\"); color: #000008; image: re-url(\"a\"); }"
      "QLabel#title { color: #000008; font-size: 14px; }"
      "QLabel#title:active { color: #000008; }"
      "QLabel#title:disabled { color: #000008; }"
      "QLabel#title:focus { border: 2px solid; border-color: #000013; color: #000008; outline-style: none; }"
      "QLabel#title:selected { color: #000008; }"
      "QProgressBar#bar { background-color: white; }"
      "QPushButton { background-color: #000015; border: 1px solid #000018; border-radius: 6px; color: "
      "#000018; }"
      "QPushButton#a_header_close, QPushButton#b_header_close { background-color: #000015; border: 1px solid "
      "#000018; border-radius: 14px; color: #000018; }"
      "QPushButton#a_header_close:hover,  QPushButton#b_header_close:hover { background-color: #000013; "
      "border: none; }"
      "QPushButton#display_interactive_footer_button_number_2:focus, QPushButton#ok:focus { "
      "background-color: #000015; border: 1px solid #000018; color: #000018; }"
      "QPushButton#display_interactive_footer_button_number_2:focus:focus { border-radius: 8px; }"
      "QPushButton#display_interactive_footer_button_number_2:focus:focus,  QPushButton#ok:focus:focus { "
      "border: 2px solid; border-color: #000013; outline-style: none; }"
      "QPushButton#dlg_header_close { background-color: #000015; border: 1px solid #000018; border-radius: "
      "14px; color: #000018; icon: re-url(\"x\"); }"
      "QPushButton#dlg_header_close:hover { background-color: #000013; border: none; }"
      "QPushButton:hover { background-color: #000013; border: none; color: #000015; }"
      "QPushButton[objectName*=\"footer\"] { background-color: #000015; border: 1px solid #000018; color: "
      "#000018; padding: 2px; }"
      "QSpinBox { color: red; }"
      "QSpinBox#s { background-color: #000015; border: 1px solid #000015; color: #000014; }"
      "QStackedWidget#w { background-color: #000015; border: 1px solid #000015; color: #000014; }"
      "QWidget { background-color: white; }"
      "QWidget#camera_barcode_test_warning_container { background-color: #000001; border-color: #000008; }"
      "QWidget#plain { background-color: #000001; border: 1px solid grey; }"
      "QWidget#screen_border_widget { background-color: #000001; border: 1px solid #000008; border-radius: "
      "4px; }")));
  EXPECT_EQ(style_sheet::Write(rules), expected);
}

TEST(StyleSheetRewriteTest, RolesComeFromTheirSystemColourIndices) {
  kivra::utils::SystemColorTable table;
  for (int i = 0; i < 31; ++i) table.push_back(QColor(0, 0, i));
  const HighContrastColors roles = HighContrastColors::FromSystemColors(table);
  const std::pair<QString, int> rows[] = {
      {roles.text, 8},        {roles.desktop, 1},     {roles.highlight, 13}, {roles.highlightText, 14},
      {roles.buttonFace, 15}, {roles.buttonText, 18}, {roles.grayText, 17},  {roles.infoText, 23}};
  for (const auto& [role, index] : rows) EXPECT_EQ(role, QColor(0, 0, index).name()) << index;
  EXPECT_EQ(HighContrastColors::FromSystemColors({}).text, QStringLiteral("#000000")) << "missing: black";
}

// The recoloured copies' names stay inside the temporary folder.
TEST(StyleSheetSvgTest, TemporaryNamesStayInTheFolder) {
  EXPECT_EQ(style_sheet::TemporaryBaseName(QStringLiteral(" url(\":/icons/close.svg\") ")),
            QStringLiteral("icons_close"));
  EXPECT_EQ(style_sheet::TemporaryBaseName(QStringLiteral("url(\":/.svg\")")), QStringLiteral("temp_svg"));
  const QString odd = style_sheet::TemporaryBaseName(QStringLiteral("url(\"..\\..\\x|y*?.svg\")"));
  EXPECT_FALSE(odd.contains(QRegularExpression(QStringLiteral("[\\\\/\"|]")))) << odd.toStdString();
}

class RecolorImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sources_.isValid() && temp_.isValid());
    kivra::hostcore::set_temporary_path(temp_.path().toStdString());
    ASSERT_TRUE(fp_test::WriteFile(svg_, "<svg><path fill=\"#123456\"/></svg>\n"));
  }
  void TearDown() override { kivra::hostcore::set_temporary_path(""); }
  static QString Url(const QString& path) { return QStringLiteral("url(\"") + path + QStringLiteral("\")"); }

  QTemporaryDir sources_;
  QTemporaryDir temp_;
  QString svg_ = sources_.filePath(QStringLiteral("glyph.svg"));
};

TEST_F(RecolorImageTest, UnusableImagesLeaveTheValueUnchanged) {
  QObject owner;
  const QString empty = sources_.filePath(QStringLiteral("empty.svg"));
  ASSERT_TRUE(fp_test::WriteFile(empty, ""));
  for (const QString& value : {Url(sources_.filePath(QStringLiteral("missing.svg"))),
                               QStringLiteral("url(") + svg_ + QLatin1Char(')'), Url(empty)})
    EXPECT_EQ(style_sheet::RecolorImage(value, QStringLiteral("#fff"), &owner), value);
  // A temporary folder that cannot be created.
  const QString blocker = temp_.filePath(QStringLiteral("file"));
  ASSERT_TRUE(fp_test::WriteFile(blocker, "x"));
  kivra::hostcore::set_temporary_path(blocker.toStdString());
  EXPECT_EQ(style_sheet::RecolorImage(Url(svg_), QStringLiteral("#fff"), &owner), Url(svg_));
  EXPECT_TRUE(owner.findChildren<QTemporaryFile*>().isEmpty());
}

}  // namespace
