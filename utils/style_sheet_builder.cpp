#include "utils/style_sheet_builder.h"

#include <array>
#include <memory>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryFile>
#include <QTextStream>

#include "platform/system.h"
#include "suite/hostcore/hostcore.h"
#include "utils/application_folder.h"

namespace kivra::utils {
namespace {

const std::array<QLatin1String, 3> kFooterButtons = {
    QLatin1String("display_interactive_footer_button_number_1"),
    QLatin1String("display_interactive_footer_button_number_2"),
    QLatin1String("display_interactive_footer_button_number_3"),
};

QString ColorName(const SystemColorTable& colors, int index) {
  return index < static_cast<int>(colors.size()) ? colors[index].name() : QColor(Qt::black).name();
}

void HighContrastFocus(StyleProperties& rule, const HighContrastColors& colors) {
  rule[QStringLiteral("border")] = QStringLiteral("2px solid");
  rule[QStringLiteral("outline-style")] = QStringLiteral("none");
  rule[QStringLiteral("border-color")] = colors.highlight;
}

void RewriteLabel(StyleRuleSet& rules, const QString& selector, const HighContrastColors& colors) {
  struct State {
    const char* suffix;
    const QString* color;
  };
  const QString noColor;
  const State states[] = {{"", &colors.text},
                          {":disabled", &colors.grayText},
                          {":selected", &colors.highlightText},
                          {":active", &colors.infoText},
                          {":focus", &noColor}};
  for (const State& state : states) {
    const auto found = rules.find(selector + QLatin1String(state.suffix));
    if (found == rules.end()) continue;
    found->second[QStringLiteral("color")] = *state.color;
    if (state.color == &noColor) HighContrastFocus(found->second, colors);
  }
}

void RewriteButton(StyleRuleSet& rules, const QString& selector, StyleProperties& rule,
                   const HighContrastColors& colors) {
  if (selector.contains(QLatin1String(":hover"))) {
    rule[QStringLiteral("color")] = colors.buttonFace;
    rule[QStringLiteral("background-color")] = colors.highlight;
    rule[QStringLiteral("border")] = QStringLiteral("none");
    return;
  }
  rule[QStringLiteral("color")] = colors.buttonText;
  rule[QStringLiteral("background-color")] = colors.buttonFace;
  rule[QStringLiteral("border")] = QStringLiteral("1px solid ") + colors.buttonText;
  if (selector.contains(QLatin1String("header_close"))) {
    rule[QStringLiteral("border-radius")] = QStringLiteral("14px");
    rule.erase(QStringLiteral("animation"));
    rule.erase(QStringLiteral("border-style"));
    StyleProperties& hover = rules[style_sheet::PseudoStateSelector(selector, QStringLiteral(":hover"))];
    hover[QStringLiteral("background-color")] = colors.highlight;
    hover[QStringLiteral("border")] = QStringLiteral("none");
  }
  if (selector.contains(QLatin1String("objectName*="))) rule.erase(QStringLiteral("border-color"));
  if (selector.contains(QLatin1String(":focus"))) {
    const QString focus = style_sheet::PseudoStateSelector(selector, QStringLiteral(":focus"));
    const QString footer = style_sheet::FooterSelector(focus);
    if (!footer.isEmpty()) rules[footer][QStringLiteral("border-radius")] = QStringLiteral("8px");
    HighContrastFocus(rules[focus], colors);
  }
}

// Characters that would leave the folder or are not allowed in Windows file
// names become "_".
QString SafeFileName(QString name) {
  for (QChar& c : name) {
    if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c)) c = QLatin1Char('_');
  }
  return name;
}

}  // namespace

HighContrastColors HighContrastColors::FromSystemColors(const SystemColorTable& colors) {
  HighContrastColors roles;
  roles.text = ColorName(colors, 8);
  roles.desktop = ColorName(colors, 1);
  roles.highlight = ColorName(colors, 13);
  roles.highlightText = ColorName(colors, 14);
  roles.buttonFace = ColorName(colors, 15);
  roles.buttonText = ColorName(colors, 18);
  roles.grayText = ColorName(colors, 17);
  roles.infoText = ColorName(colors, 23);
  return roles;
}

namespace style_sheet {

StyleRuleSet Parse(const QString& sheet) {
  StyleRuleSet rules;
  for (const QString& block : sheet.split(QLatin1Char('}'), Qt::SkipEmptyParts)) {
    const QStringList parts = block.split(QLatin1Char('{'), Qt::SkipEmptyParts);
    if (parts.size() != 2) continue;
    StyleProperties properties;
    for (const QString& declaration : parts[1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      const QStringList pieces = declaration.split(QLatin1Char(':'), Qt::SkipEmptyParts);
      if (pieces.size() < 2) continue;
      QString value = pieces[1].trimmed();
      for (qsizetype i = 2; i < pieces.size(); ++i) value += QLatin1Char(':') + pieces[i];
      properties[pieces[0].trimmed()] = value;
    }
    rules[parts[0].trimmed()] = std::move(properties);
  }
  return rules;
}

QString Write(const StyleRuleSet& rules) {
  QString sheet;
  for (const auto& [selector, properties] : rules) {
    if (properties.empty()) continue;
    sheet += selector + QLatin1String(" {\n");
    for (const auto& [name, value] : properties)
      sheet += QLatin1String("  ") + name + QLatin1String(": ") + value + QLatin1String(";\n");
    sheet += QLatin1String("}\n");
  }
  return sheet;
}

void Rewrite(StyleRuleSet& rules, const HighContrastColors& colors, const ImageRecolorer& recolorImage) {
  // Rules created on the way are not rewritten themselves.
  QStringList selectors;
  for (const auto& entry : rules) selectors.append(entry.first);

  for (const QString& selector : selectors) {
    StyleProperties& rule = rules[selector];
    for (auto& [name, value] : rule) {
      if (name == QLatin1String("image") || name == QLatin1String("icon")) value = recolorImage(value);
    }
    if (selector.startsWith(QLatin1String("QWidget#"))) {
      rule[QStringLiteral("background-color")] = colors.desktop;
      if (selector.contains(QLatin1String("camera_barcode_test_information_message_container")) ||
          selector.contains(QLatin1String("camera_barcode_test_warning_container")))
        rule[QStringLiteral("border-color")] = colors.text;
      if (selector.contains(QLatin1String("border_widget")) ||
          selector.contains(QLatin1String("display_interactive_widget_card"))) {
        rule[QStringLiteral("border-radius")] = QStringLiteral("4px");
        rule[QStringLiteral("border")] = QStringLiteral("1px solid ") + colors.text;
      }
    }
    if (selector.startsWith(QLatin1String("QLabel#"))) RewriteLabel(rules, selector, colors);
    if (selector.startsWith(QLatin1String("QPushButton"))) RewriteButton(rules, selector, rule, colors);
    for (const char* widget :
         {"QSpinBox#", "QComboBox#", "QRadioButton#", "QLCDNumber#", "QStackedWidget#"}) {
      if (!selector.startsWith(QLatin1String(widget))) continue;
      rule[QStringLiteral("color")] = colors.highlightText;
      rule[QStringLiteral("background-color")] = colors.buttonFace;
      rule[QStringLiteral("border")] = QStringLiteral("1px solid ") + colors.buttonFace;
      break;
    }
  }
}

QString PseudoStateSelector(const QString& selector, const QString& suffix) {
  QStringList parts = selector.split(QLatin1Char(','), Qt::SkipEmptyParts);
  for (QString& part : parts) part += suffix;
  return parts.join(QLatin1String(", "));
}

QString FooterSelector(const QString& focusSelector) {
  const QStringList parts = focusSelector.split(QLatin1Char(','), Qt::SkipEmptyParts);
  QString footer;
  for (const QLatin1String& button : kFooterButtons) {
    for (const QString& part : parts) {
      if (!part.contains(button)) continue;
      if (!footer.isEmpty()) footer += QLatin1Char(',');
      footer += part;
    }
  }
  return footer;
}

QString RecolorSvg(const QString& content, const QString& color) {
  static const QLatin1String kFill("fill=\"");
  const qsizetype fill = content.indexOf(kFill);
  if (fill < 0) return content;
  const qsizetype start = fill + kFill.size();
  const qsizetype end = content.indexOf(QLatin1Char('"'), start);
  // An empty or unterminated fill names no colour to replace.
  if (end <= start) return content;
  QString recolored = content;
  recolored.replace(content.mid(start, end - start), color);
  return recolored;
}

QString TemporaryBaseName(const QString& value) {
  QString name = value.trimmed();
  name.remove(QStringLiteral("url(\":/"));
  name.remove(QLatin1Char('='));
  name.remove(QStringLiteral("\")"));
  name.remove(QStringLiteral(".svg"));
  name = SafeFileName(name.trimmed());
  return name.isEmpty() ? QStringLiteral("temp_svg") : name;
}

QString TemporaryFolder() {
  const std::string& suitePath = hostcore::get_temporary_path();
  if (!suitePath.empty())
    return QString::fromStdString(suitePath) + QChar(platform::PathSeparator()) + QStringLiteral("temp");
  return QString::fromStdString(ApplicationFolderUtf8(ApplicationFolderKind::Temp));
}

QString RecolorImage(const QString& value, const QString& color, QObject* owner) {
  if (!owner) return value;  // the copy would vanish at once
  static const QRegularExpression quoted(QStringLiteral("\"([^\"]+)\""));
  const QRegularExpressionMatch match = quoted.match(value);
  if (!match.hasMatch()) return value;
  const QString path = match.captured(1);
  if (path.isEmpty()) return value;

  QFile image(path);
  if (!image.open(QIODevice::ReadOnly | QIODevice::Text)) return value;
  const QString content = RecolorSvg(QTextStream(&image).readAll(), color);
  if (content.isEmpty()) return value;

  const QString folder = TemporaryFolder();
  if (!QDir().mkpath(folder)) return value;
  auto file = std::make_unique<QTemporaryFile>(folder + QLatin1Char('/') + TemporaryBaseName(value) +
                                               QStringLiteral("_XXXXXX.svg"));
  if (!file->open()) return value;
  {
    QTextStream out(file.get());
    out << content;
    out.flush();
  }
  const QString recolored = QStringLiteral("url(\"") +
                            QDir::cleanPath(QFileInfo(file->fileName()).absoluteFilePath()) +
                            QStringLiteral("\")");
  file->close();
  file.release()->setParent(owner);  // removed from disk when the owner goes
  return recolored;
}

}  // namespace style_sheet

}  // namespace kivra::utils
