#include "utils/style_sheet_builder.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include "platform/sim/sim_machine.h"
#include "suite/hostcore/hostcore.h"
#include "tests/support/test_support.h"

namespace {

using kivra::utils::HighContrastColors;
using kivra::utils::StyleRuleSet;
namespace style_sheet = kivra::utils::style_sheet;

// Distinct colours per role, so every assignment shows which role it used.
HighContrastColors Roles() {
  HighContrastColors c;
  c.text = QStringLiteral("#000008");
  c.desktop = QStringLiteral("#000001");
  c.highlight = QStringLiteral("#000013");
  c.highlightText = QStringLiteral("#000014");
  c.buttonFace = QStringLiteral("#000015");
  c.buttonText = QStringLiteral("#000018");
  c.grayText = QStringLiteral("#000017");
  c.infoText = QStringLiteral("#000023");
  return c;
}

StyleRuleSet Rewritten(const QString& sheet, std::vector<QString>* images = nullptr) {
  StyleRuleSet rules = style_sheet::Parse(sheet);
  style_sheet::Rewrite(rules, Roles(), [images](const QString& value) {
    if (images) images->push_back(value);
    return QStringLiteral("recoloured(") + value + QLatin1Char(')');
  });
  return rules;
}

TEST(StyleSheetParseTest, BlocksSelectorsAndDeclarations) {
  const StyleRuleSet rules = style_sheet::Parse(
      QStringLiteral("  QWidget#base {\n  background-color: #ffffff;\n  border: 1px solid #c6ced8 ;\n}\n"
                     "QLabel#icon { image: url(\":/stylekit/icons/fingerprint.svg\"); }\n"
                     "QLabel#title { color: red; color: blue; font-weight 600; ; padding:  4px }\n"
                     "QWidget#base { border-radius: 12px; }\n"
                     "QLabel#url { image: url(\"C::/x.svg\") }\n"
                     "no brace here }\n"
                     "QLabel#a { color: red; } QLabel#b { color: { nested }\n"));

  ASSERT_EQ(rules.count(QStringLiteral("QWidget#base")), 1u);
  EXPECT_EQ(rules.at(QStringLiteral("QWidget#base")),
            (kivra::utils::StyleProperties{{QStringLiteral("border-radius"), QStringLiteral("12px")}}))
      << "a repeated selector keeps only its last block";
  EXPECT_EQ(rules.at(QStringLiteral("QLabel#icon")).at(QStringLiteral("image")),
            QStringLiteral("url(\":/stylekit/icons/fingerprint.svg\")"))
      << "values keep their colons";
  EXPECT_EQ(rules.at(QStringLiteral("QLabel#url")).at(QStringLiteral("image")),
            QStringLiteral("url(\"C:/x.svg\") "))
      << "empty pieces between colons are dropped; pieces after the first colon stay untrimmed";
  const auto& title = rules.at(QStringLiteral("QLabel#title"));
  EXPECT_EQ(title.at(QStringLiteral("color")), QStringLiteral("blue")) << "the last declaration wins";
  EXPECT_EQ(title.count(QStringLiteral("font-weight 600")), 0u) << "a declaration without ':' is dropped";
  EXPECT_EQ(title.at(QStringLiteral("padding")), QStringLiteral("4px"));
  EXPECT_EQ(title.size(), 2u);
  EXPECT_EQ(rules.count(QStringLiteral("no brace here")), 0u);
  EXPECT_EQ(rules.at(QStringLiteral("QLabel#a")).at(QStringLiteral("color")), QStringLiteral("red"));
  EXPECT_EQ(rules.count(QStringLiteral("QLabel#b")), 0u) << "a block with two '{' is not used";
}

TEST(StyleSheetParseTest, WriteSortsSelectorsAndPropertiesAndSkipsEmptyRules) {
  const StyleRuleSet rules = style_sheet::Parse(QStringLiteral(
      "QWidget#z { z-index: 1; color: red; }\nQLabel#a { }\nQLabel#b { color: ; b: 1 }\nAAA { x: y }\n"));
  EXPECT_EQ(style_sheet::Write(rules), QStringLiteral("AAA {\n  x: y;\n}\n"
                                                      "QLabel#b {\n  b: 1;\n  color: ;\n}\n"
                                                      "QWidget#z {\n  color: red;\n  z-index: 1;\n}\n"))
      << "sorted, empty rules left out, empty values written";
}

TEST(StyleSheetRewriteTest, WidgetRules) {
  const StyleRuleSet rules =
      Rewritten(QStringLiteral("QWidget#plain { background-color: white; border: 1px solid grey; }"
                               "QWidget#camera_barcode_test_warning_container { border-color: red; }"
                               "QWidget#x_camera_barcode_test_information_message_container { color: red; }"
                               "QWidget#screen_border_widget { border-radius: 12px; }"
                               "QWidget#display_interactive_widget_card { }"
                               "QProgressBar#bar { background-color: white; }"
                               "QWidget { background-color: white; }"));
  EXPECT_EQ(rules.at(QStringLiteral("QWidget#plain")),
            (kivra::utils::StyleProperties{{QStringLiteral("background-color"), QStringLiteral("#000001")},
                                           {QStringLiteral("border"), QStringLiteral("1px solid grey")}}));
  EXPECT_EQ(rules.at(QStringLiteral("QWidget#camera_barcode_test_warning_container"))
                .at(QStringLiteral("border-color")),
            QStringLiteral("#000008"));
  EXPECT_EQ(rules.at(QStringLiteral("QWidget#x_camera_barcode_test_information_message_container"))
                .at(QStringLiteral("border-color")),
            QStringLiteral("#000008"));
  const auto& border = rules.at(QStringLiteral("QWidget#screen_border_widget"));
  EXPECT_EQ(border.at(QStringLiteral("border-radius")), QStringLiteral("4px"));
  EXPECT_EQ(border.at(QStringLiteral("border")), QStringLiteral("1px solid #000008"));
  EXPECT_EQ(border.at(QStringLiteral("background-color")), QStringLiteral("#000001"));
  EXPECT_EQ(rules.at(QStringLiteral("QWidget#display_interactive_widget_card")).size(), 3u)
      << "an empty rule gets filled";
  EXPECT_EQ(rules.at(QStringLiteral("QProgressBar#bar")).at(QStringLiteral("background-color")),
            QStringLiteral("white"));
  EXPECT_EQ(rules.at(QStringLiteral("QWidget")).at(QStringLiteral("background-color")),
            QStringLiteral("white"))
      << "only rules for named widgets";
}

TEST(StyleSheetRewriteTest, LabelRulesAndTheirStates) {
  const StyleRuleSet rules =
      Rewritten(QStringLiteral("QLabel#title { color: #1f2328; font-size: 14px; }"
                               "QLabel#hint:disabled { color: #8c959f; }"
                               "QLabel#link { color: blue; }"
                               "QLabel#link:focus { color: blue; border: none; }"
                               "QLabel#alone:focus { color: blue; border: none; }"
                               "QLabel { color: black; }"));
  const auto& title = rules.at(QStringLiteral("QLabel#title"));
  EXPECT_EQ(title.at(QStringLiteral("color")), QStringLiteral("#000008"));
  EXPECT_EQ(title.at(QStringLiteral("font-size")), QStringLiteral("14px"));
  EXPECT_EQ(rules.count(QStringLiteral("QLabel#title:disabled")), 0u)
      << "states are set only where a rule exists";
  // Each state rule is a label rule of its own as well, so it ends in the text colour.
  EXPECT_EQ(rules.at(QStringLiteral("QLabel#hint:disabled")).at(QStringLiteral("color")),
            QStringLiteral("#000008"));
  const auto& focus = rules.at(QStringLiteral("QLabel#link:focus"));
  EXPECT_EQ(focus.at(QStringLiteral("border")), QStringLiteral("2px solid"));
  EXPECT_EQ(focus.at(QStringLiteral("outline-style")), QStringLiteral("none"));
  EXPECT_EQ(focus.at(QStringLiteral("border-color")), QStringLiteral("#000013"));
  EXPECT_EQ(focus.at(QStringLiteral("color")), QStringLiteral("#000008"));
  EXPECT_EQ(rules.at(QStringLiteral("QLabel#alone:focus")).at(QStringLiteral("border")),
            QStringLiteral("none"))
      << "the focus frame comes from the label's own rule";
  EXPECT_EQ(rules.at(QStringLiteral("QLabel")).at(QStringLiteral("color")), QStringLiteral("black"));
}

TEST(StyleSheetRewriteTest, PushButtonRules) {
  const StyleRuleSet rules =
      Rewritten(QStringLiteral("QPushButton { color: black; border-radius: 6px; }"
                               "QPushButton:hover { background-color: grey; }"
                               "QPushButton#dlg_header_close { icon: url(\"x\"); border-style: none; "
                               "animation: spin; border-radius: 2px; }"
                               "QPushButton#dlg_header_close:hover { color: red; }"
                               "QPushButton[objectName*=\"footer\"] { border-color: grey; padding: 2px; }"
                               "QPushButton[objectName*=\"other\"] { padding: 2px; }"
                               "QPushButton#ok:focus { border: 1px solid blue; }"));

  const auto& plain = rules.at(QStringLiteral("QPushButton"));
  EXPECT_EQ(plain.at(QStringLiteral("color")), QStringLiteral("#000018"));
  EXPECT_EQ(plain.at(QStringLiteral("background-color")), QStringLiteral("#000015"));
  EXPECT_EQ(plain.at(QStringLiteral("border")), QStringLiteral("1px solid #000018"));
  EXPECT_EQ(plain.at(QStringLiteral("border-radius")), QStringLiteral("6px"));

  EXPECT_EQ(rules.at(QStringLiteral("QPushButton:hover")),
            (kivra::utils::StyleProperties{{QStringLiteral("background-color"), QStringLiteral("#000013")},
                                           {QStringLiteral("border"), QStringLiteral("none")},
                                           {QStringLiteral("color"), QStringLiteral("#000015")}}))
      << "hover rules get inverted colours and nothing else";

  const auto& close = rules.at(QStringLiteral("QPushButton#dlg_header_close"));
  EXPECT_EQ(close.at(QStringLiteral("border-radius")), QStringLiteral("14px"));
  EXPECT_EQ(close.count(QStringLiteral("animation")), 0u);
  EXPECT_EQ(close.count(QStringLiteral("border-style")), 0u);
  EXPECT_EQ(close.at(QStringLiteral("icon")), QStringLiteral("recoloured(url(\"x\"))"));
  EXPECT_EQ(close.at(QStringLiteral("border")), QStringLiteral("1px solid #000018"));
  // The existing hover rule was rewritten as a hover rule, then given the close button's hover.
  EXPECT_EQ(rules.at(QStringLiteral("QPushButton#dlg_header_close:hover")),
            (kivra::utils::StyleProperties{{QStringLiteral("background-color"), QStringLiteral("#000013")},
                                           {QStringLiteral("border"), QStringLiteral("none")},
                                           {QStringLiteral("color"), QStringLiteral("#000015")}}));

  EXPECT_EQ(
      rules.at(QStringLiteral("QPushButton[objectName*=\"footer\"]")).count(QStringLiteral("border-color")),
      0u);
  EXPECT_EQ(rules.at(QStringLiteral("QPushButton[objectName*=\"other\"]")).at(QStringLiteral("padding")),
            QStringLiteral("2px"));

  // A focus rule gets colours like any button, and a second, doubled focus
  // rule carries the high-contrast focus frame.
  EXPECT_EQ(rules.at(QStringLiteral("QPushButton#ok:focus")).at(QStringLiteral("border")),
            QStringLiteral("1px solid #000018"));
  EXPECT_EQ(rules.at(QStringLiteral("QPushButton#ok:focus:focus")),
            (kivra::utils::StyleProperties{{QStringLiteral("border"), QStringLiteral("2px solid")},
                                           {QStringLiteral("border-color"), QStringLiteral("#000013")},
                                           {QStringLiteral("outline-style"), QStringLiteral("none")}}));
}

TEST(StyleSheetRewriteTest, NewCloseButtonHoverRuleIsNotRewrittenItself) {
  const StyleRuleSet rules =
      Rewritten(QStringLiteral("QPushButton#a_header_close, QPushButton#b_header_close { color: red; }"));
  EXPECT_EQ(rules.at(QStringLiteral("QPushButton#a_header_close:hover,  QPushButton#b_header_close:hover")),
            (kivra::utils::StyleProperties{{QStringLiteral("background-color"), QStringLiteral("#000013")},
                                           {QStringLiteral("border"), QStringLiteral("none")}}));
}

TEST(StyleSheetRewriteTest, FooterButtonsGetRoundedFocus) {
  const StyleRuleSet rules = Rewritten(
      QStringLiteral("QPushButton#display_interactive_footer_button_number_2:focus, QPushButton#other:focus, "
                     "QPushButton#display_interactive_footer_button_number_1:focus { border: 1px; }"));
  const QString footer = QStringLiteral(
      "  QPushButton#display_interactive_footer_button_number_1:focus:focus,"
      "QPushButton#display_interactive_footer_button_number_2:focus:focus");
  ASSERT_EQ(rules.count(footer), 1u);
  EXPECT_EQ(rules.at(footer).at(QStringLiteral("border-radius")), QStringLiteral("8px"));
}

TEST(StyleSheetRewriteTest, OtherNamedWidgetsAndImages) {
  std::vector<QString> images;
  const StyleRuleSet rules = Rewritten(
      QStringLiteral("QSpinBox#s { color: red; } QComboBox#c { } QRadioButton#r { }"
                     "QLCDNumber#n { } QStackedWidget#w { } QSpinBox { color: red; }"
                     "QLabel#i { image: url(\"a\"); border-image: url(\"b\"); Image: url(\"c\"); }"),
      &images);
  for (const char* selector :
       {"QSpinBox#s", "QComboBox#c", "QRadioButton#r", "QLCDNumber#n", "QStackedWidget#w"}) {
    const auto& rule = rules.at(QString::fromLatin1(selector));
    EXPECT_EQ(rule.at(QStringLiteral("color")), QStringLiteral("#000014")) << selector;
    EXPECT_EQ(rule.at(QStringLiteral("background-color")), QStringLiteral("#000015")) << selector;
    EXPECT_EQ(rule.at(QStringLiteral("border")), QStringLiteral("1px solid #000015")) << selector;
  }
  EXPECT_EQ(rules.at(QStringLiteral("QSpinBox")).at(QStringLiteral("color")), QStringLiteral("red"));
  EXPECT_EQ(images, (std::vector<QString>{QStringLiteral("url(\"a\")")}))
      << "only 'image' and 'icon', exactly";
}

TEST(StyleSheetSelectorTest, PseudoStateAndFooterSelectors) {
  EXPECT_EQ(style_sheet::PseudoStateSelector(QStringLiteral("QPushButton#a"), QStringLiteral(":hover")),
            QStringLiteral("QPushButton#a:hover"));
  EXPECT_EQ(style_sheet::PseudoStateSelector(QStringLiteral("A, B,"), QStringLiteral(":hover")),
            QStringLiteral("A:hover,  B:hover"));
  EXPECT_EQ(style_sheet::PseudoStateSelector(QStringLiteral("A:focus"), QStringLiteral(":focus")),
            QStringLiteral("A:focus:focus"));
  EXPECT_EQ(style_sheet::FooterSelector(QStringLiteral("QPushButton#x:focus")), QString());
  EXPECT_EQ(style_sheet::FooterSelector(QStringLiteral(
                "#display_interactive_footer_button_number_3,#display_interactive_footer_button_number_1")),
            QStringLiteral(
                "#display_interactive_footer_button_number_1,#display_interactive_footer_button_number_3"));
}

TEST(StyleSheetSvgTest, FirstFillColourIsReplacedEverywhere) {
  const QString svg = QStringLiteral(
      "<svg><circle fill=\"#1a73e8\"/><path fill=\"none\" stroke=\"#1a73e8\"/><g fill=\"#1A73E8\"/></svg>");
  EXPECT_EQ(style_sheet::RecolorSvg(svg, QStringLiteral("#ffffff")),
            QStringLiteral("<svg><circle fill=\"#ffffff\"/><path fill=\"none\" stroke=\"#ffffff\"/>"
                           "<g fill=\"#1A73E8\"/></svg>"));
  const QString noFill = QStringLiteral("<svg><path stroke=\"#000\"/></svg>");
  EXPECT_EQ(style_sheet::RecolorSvg(noFill, QStringLiteral("#ffffff")), noFill);
  const QString emptyFill = QStringLiteral("<svg fill=\"\"><path/></svg>");
  EXPECT_EQ(style_sheet::RecolorSvg(emptyFill, QStringLiteral("#ffffff")), emptyFill)
      << "an empty colour names nothing to replace";
  const QString open = QStringLiteral("<svg fill=\"#000");
  EXPECT_EQ(style_sheet::RecolorSvg(open, QStringLiteral("#ffffff")), open);
}

TEST(StyleSheetSvgTest, TemporaryBaseNames) {
  EXPECT_EQ(style_sheet::TemporaryBaseName(QStringLiteral(" url(\":/icons/close.svg\") ")),
            QStringLiteral("icons_close"));
  EXPECT_EQ(style_sheet::TemporaryBaseName(QStringLiteral("url(\":/stylekit/icons/fingerprint.svg\")")),
            QStringLiteral("stylekit_icons_fingerprint"));
  EXPECT_EQ(style_sheet::TemporaryBaseName(QStringLiteral("url(\":/.svg\")")), QStringLiteral("temp_svg"));
  // Whatever the value, the name stays inside the folder.
  const QString odd = style_sheet::TemporaryBaseName(QStringLiteral("url(\"..\\..\\x|y*?.svg\")"));
  EXPECT_FALSE(odd.contains(QLatin1Char('\\')));
  EXPECT_FALSE(odd.contains(QLatin1Char('/')));
  EXPECT_FALSE(odd.contains(QLatin1Char('"')));
  EXPECT_FALSE(odd.contains(QLatin1Char('|')));
}

class RecolorImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sources_.isValid());
    ASSERT_TRUE(temp_.isValid());
    kivra::hostcore::set_temporary_path(temp_.path().toStdString());
    svg_ = sources_.filePath(QStringLiteral("glyph.svg"));
    ASSERT_TRUE(fp_test::WriteFile(svg_, "<svg><path fill=\"#123456\" stroke=\"#123456\"/></svg>\n"));
  }
  void TearDown() override { kivra::hostcore::set_temporary_path(""); }

  QString Url(const QString& path) const { return QStringLiteral("url(\"") + path + QStringLiteral("\")"); }

  static QString PathIn(const QString& value) {
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("^url\\(\"([^\"]+)\"\\)$")).match(value);
    return match.hasMatch() ? match.captured(1) : QString();
  }

  QTemporaryDir sources_;
  QTemporaryDir temp_;
  QString svg_;
};

TEST_F(RecolorImageTest, CopyLivesAsLongAsItsOwner) {
  auto owner = std::make_unique<QObject>();
  const QString value = style_sheet::RecolorImage(Url(svg_), QStringLiteral("#ffff00"), owner.get());
  const QString copy = PathIn(value);
  ASSERT_FALSE(copy.isEmpty()) << value.toStdString();
  EXPECT_TRUE(QFileInfo(copy).isAbsolute());
  EXPECT_EQ(QFileInfo(copy).absolutePath(), QDir(temp_.filePath(QStringLiteral("temp"))).absolutePath());
  EXPECT_TRUE(QFileInfo(copy).fileName().endsWith(QStringLiteral(".svg")));
  EXPECT_EQ(fp_test::ReadFile(copy), "<svg><path fill=\"#ffff00\" stroke=\"#ffff00\"/></svg>\n");
  EXPECT_EQ(fp_test::ReadFile(svg_), "<svg><path fill=\"#123456\" stroke=\"#123456\"/></svg>\n")
      << "the original stays as it was";
  EXPECT_EQ(owner->findChildren<QTemporaryFile*>().size(), 1);
  owner.reset();
  EXPECT_FALSE(QFile::exists(copy));
}

TEST_F(RecolorImageTest, UnusableImagesLeaveTheValueUnchanged) {
  QObject owner;
  const QString missing = Url(sources_.filePath(QStringLiteral("missing.svg")));
  EXPECT_EQ(style_sheet::RecolorImage(missing, QStringLiteral("#fff"), &owner), missing);
  const QString unquoted = QStringLiteral("url(") + svg_ + QLatin1Char(')');
  EXPECT_EQ(style_sheet::RecolorImage(unquoted, QStringLiteral("#fff"), &owner), unquoted);
  const QString empty = sources_.filePath(QStringLiteral("empty.svg"));
  ASSERT_TRUE(fp_test::WriteFile(empty, ""));
  EXPECT_EQ(style_sheet::RecolorImage(Url(empty), QStringLiteral("#fff"), &owner), Url(empty));
  EXPECT_TRUE(owner.findChildren<QTemporaryFile*>().isEmpty());
}

TEST_F(RecolorImageTest, FolderThatCannotBeCreatedLeavesTheValueUnchanged) {
  const QString blocker = temp_.filePath(QStringLiteral("file"));
  ASSERT_TRUE(fp_test::WriteFile(blocker, "x"));
  kivra::hostcore::set_temporary_path(blocker.toStdString());
  QObject owner;
  EXPECT_EQ(style_sheet::RecolorImage(Url(svg_), QStringLiteral("#fff"), &owner), Url(svg_));
}

TEST_F(RecolorImageTest, WithoutASuiteTemporaryPathTheUsersTempFolderIsUsed) {
  kivra::hostcore::set_temporary_path("");
  platform::sim::ScopedMachine machine(fp_test::Machine([&](platform::sim::SimMachine& m) {
    m.system.programData = temp_.filePath(QStringLiteral("ProgramData")).toStdString();
    m.system.userName = "erin";
  }));
  EXPECT_EQ(style_sheet::TemporaryFolder(),
            temp_.filePath(QStringLiteral("ProgramData/Tavero/Nuvex/erin/temp/")));
  QObject owner;
  const QString copy = PathIn(style_sheet::RecolorImage(Url(svg_), QStringLiteral("#fff"), &owner));
  ASSERT_FALSE(copy.isEmpty());
  EXPECT_EQ(QFileInfo(copy).absolutePath(),
            temp_.filePath(QStringLiteral("ProgramData/Tavero/Nuvex/erin/temp")));
}

}  // namespace
