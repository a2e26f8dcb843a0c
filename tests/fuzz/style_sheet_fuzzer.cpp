// Feeds arbitrary text to the high-contrast style builder's parser, rewriter
// and writer, with the image step reduced to its file-free parts (file names
// and SVG recolouring). Nothing may crash, hang or leak, and a file name
// made from any value must stay a plain name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QString>

#include "utils/style_sheet_builder.h"

using kivra::utils::HighContrastColors;
using kivra::utils::StyleRuleSet;
namespace style_sheet = kivra::utils::style_sheet;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString sheet = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

  HighContrastColors colors;
  colors.text = colors.buttonText = colors.infoText = QStringLiteral("#ffffff");
  colors.desktop = colors.buttonFace = QStringLiteral("#000000");
  colors.highlight = colors.highlightText = colors.grayText = QStringLiteral("#00ffff");

  StyleRuleSet rules = style_sheet::Parse(sheet);
  style_sheet::Rewrite(rules, colors, [&](const QString& value) {
    const QString name = style_sheet::TemporaryBaseName(value);
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))) std::abort();
    return style_sheet::RecolorSvg(value, colors.text);
  });
  for (const auto& entry : rules) {
    style_sheet::FooterSelector(style_sheet::PseudoStateSelector(entry.first, QStringLiteral(":focus")));
  }
  const QString written = style_sheet::Write(rules);
  // Nothing is written from nothing.
  if (rules.empty() && !written.isEmpty()) std::abort();
  style_sheet::Parse(written);
  style_sheet::RecolorSvg(sheet, colors.text);
  return 0;
}
