#pragma once

#include <functional>
#include <map>

#include <QString>

#include "utils/high_contrast.h"

class QObject;

namespace kivra::utils {

// A parsed style sheet: selector -> property -> value, both ordered by Qt's
// string comparison, which fixes the order of the written sheet.
using StyleProperties = std::map<QString, QString>;
using StyleRuleSet = std::map<QString, StyleProperties>;

// The system colours the high-contrast style uses, as "#rrggbb".
struct HighContrastColors {
  QString text;           // COLOR_WINDOWTEXT
  QString desktop;        // COLOR_BACKGROUND
  QString highlight;      // COLOR_HIGHLIGHT
  QString highlightText;  // COLOR_HIGHLIGHTTEXT
  QString buttonFace;     // COLOR_BTNFACE
  QString buttonText;     // COLOR_BTNTEXT
  QString grayText;       // COLOR_GRAYTEXT
  QString infoText;       // COLOR_INFOTEXT

  static HighContrastColors FromSystemColors(const SystemColorTable& colors);
};

// The high-contrast style of the suite's dialogs, in steps: a base sheet is
// parsed into rules, their colours, borders and radii are overridden from the
// system colours, the SVG images they use are replaced by recoloured copies in
// temporary files, and the rules are written back. AccessibleDialogBase runs
// the steps on itself.
namespace style_sheet {

// Blocks at "}", selector and declarations at "{", declarations at ";",
// property and value at the first ":" (the value keeps any further ":").
// A later block or declaration for the same selector or property wins.
StyleRuleSet Parse(const QString& sheet);

// Rules without properties are left out.
QString Write(const StyleRuleSet& rules);

// Given the value of an "image" or "icon" property, returns its new value.
using ImageRecolorer = std::function<QString(const QString& value)>;
void Rewrite(StyleRuleSet& rules, const HighContrastColors& colors, const ImageRecolorer& recolorImage);

// `suffix` appended to every comma-separated part of `selector`.
QString PseudoStateSelector(const QString& selector, const QString& suffix);
// The parts of a focus selector that name one of the footer buttons, or "".
QString FooterSelector(const QString& focusSelector);

// The SVG with its first fill colour replaced everywhere by `color`.
QString RecolorSvg(const QString& content, const QString& color);
// The file-name stem for the recoloured copy of the image in `value`.
QString TemporaryBaseName(const QString& value);
// Where recoloured copies go: the suite's temporary path plus "temp", or
// the suite's temporary application folder.
QString TemporaryFolder();
// Writes a recoloured copy of the image named in `value` to a temporary
// file owned by `owner` and returns url("<file>"); returns `value`
// unchanged when the image cannot be read or the file cannot be written.
QString RecolorImage(const QString& value, const QString& color, QObject* owner);
}  // namespace style_sheet

}  // namespace kivra::utils
