#include "utils/style_sheet_builder.h"

#include <gtest/gtest.h>

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

// The rewrite rules the module's dialogs rely on. System colour i is #0000ii,
// so every value shows the index of the role it came from.
TEST(StyleSheetRewriteTest, HighContrastTakesTheSystemRoles) {
  kivra::utils::SystemColorTable table;
  for (int i = 0; i < 31; ++i) table.push_back(QColor(QString::asprintf("#0000%02d", i)));
  const HighContrastColors roles = HighContrastColors::FromSystemColors(table);
  EXPECT_EQ(roles.grayText + roles.infoText, QStringLiteral("#000017#000023"));  // not in the sheet below
  EXPECT_EQ(HighContrastColors::FromSystemColors({}).text, QStringLiteral("#000000")) << "missing: black";
  auto rules = style_sheet::Parse(QStringLiteral(
      "QWidget#plain { background-color: white; border: 1px solid grey; } QSpinBox { color: red; }"
      "QLabel#title { color: #1f2328; font-size: 14px; } QLabel#title:focus { color: blue; border: none; }"
      "QPushButton#dlg_header_close { icon: url(\"x\"); border-style: none; animation: spin; }"));
  style_sheet::Rewrite(rules, roles, [](const QString& value) { return QStringLiteral("re-") + value; });
  EXPECT_EQ(
      style_sheet::Write(rules),
      style_sheet::Write(style_sheet::Parse(QStringLiteral(
          "QLabel#title { color: #000008; font-size: 14px; }"
          "QLabel#title:focus { border: 2px solid; border-color: #000013; color: #000008; outline-style: "
          "none; }"
          "QPushButton#dlg_header_close { background-color: #000015; border: 1px solid #000018; "
          "border-radius: 14px; color: #000018; icon: re-url(\"x\"); }"
          "QPushButton#dlg_header_close:hover { background-color: #000013; border: none; }"
          "QSpinBox { color: red; } QWidget#plain { background-color: #000001; border: 1px solid grey; }"))));
}

// The recoloured copies' names stay inside the temporary folder.
TEST(StyleSheetSvgTest, TemporaryNamesStayInTheFolder) {
  EXPECT_EQ(style_sheet::TemporaryBaseName(QStringLiteral(" url(\":/icons/close.svg\") ")), "icons_close");
  const QString odd = style_sheet::TemporaryBaseName(QStringLiteral("url(\"..\\..\\x|y*?.svg\")"));
  EXPECT_FALSE(odd.contains(QRegularExpression(QStringLiteral("[\\\\/\"|]")))) << odd.toStdString();
}

// A missing, unquoted or empty image, or a temporary folder that cannot be
// created, leaves the value unchanged and makes no copy.
TEST(StyleSheetSvgTest, UnusableImagesLeaveTheValueUnchanged) {
  QTemporaryDir sources;
  ASSERT_TRUE(sources.isValid());
  const auto url = [&](const char* name) { return "url(\"" + sources.filePath(QLatin1String(name)) + "\")"; };
  const QString svg = sources.filePath(QStringLiteral("glyph.svg"));
  ASSERT_TRUE(fp_test::WriteFile(svg, "<svg><path fill=\"#123456\"/></svg>\n"));
  ASSERT_TRUE(fp_test::WriteFile(sources.filePath(QStringLiteral("empty.svg")), ""));
  ASSERT_TRUE(fp_test::WriteFile(sources.filePath(QStringLiteral("file")), "x"));
  kivra::hostcore::set_temporary_path(sources.filePath(QStringLiteral("temp")).toStdString());
  QObject owner;
  for (const QString& value : {url("missing.svg"), "url(" + svg + ")", url("empty.svg")})
    EXPECT_EQ(style_sheet::RecolorImage(value, QStringLiteral("#fff"), &owner), value);
  kivra::hostcore::set_temporary_path(sources.filePath(QStringLiteral("file")).toStdString());
  EXPECT_EQ(style_sheet::RecolorImage(url("glyph.svg"), QStringLiteral("#fff"), &owner), url("glyph.svg"));
  EXPECT_TRUE(owner.findChildren<QTemporaryFile*>().isEmpty());
  kivra::hostcore::set_temporary_path("");
}

}  // namespace
