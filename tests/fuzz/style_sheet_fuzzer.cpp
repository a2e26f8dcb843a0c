// Feeds arbitrary text to the high-contrast style builder's parser, rewriter
// and writer, with the image step reduced to its file-free parts (file names
// and SVG recolouring). Nothing may crash, hang or leak, and a file name
// made from any value must stay a plain name.
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "utils/style_sheet_builder.h"

using kivra::utils::HighContrastColors;
using kivra::utils::StyleRuleSet;
using kivra::utils::StyleSheetBuilder;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString sheet = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

  HighContrastColors colors;
  colors.text = colors.buttonText = colors.infoText = QStringLiteral("#ffffff");
  colors.desktop = colors.buttonFace = QStringLiteral("#000000");
  colors.highlight = colors.highlightText = colors.grayText = QStringLiteral("#00ffff");

  StyleRuleSet rules = StyleSheetBuilder::Parse(sheet);
  StyleSheetBuilder::Rewrite(rules, colors, [&](const QString& value) {
    const QString name = StyleSheetBuilder::TemporaryBaseName(value);
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))) std::abort();
    return StyleSheetBuilder::RecolorSvg(value, colors.text);
  });
  for (const auto& entry : rules) {
    StyleSheetBuilder::FooterSelector(
        StyleSheetBuilder::PseudoStateSelector(entry.first, QStringLiteral(":focus")));
  }
  const QString written = StyleSheetBuilder::Write(rules);
  // Nothing is written from nothing.
  if (rules.empty() && !written.isEmpty()) std::abort();
  StyleSheetBuilder::Parse(written);
  StyleSheetBuilder::RecolorSvg(sheet, colors.text);
  return 0;
}
