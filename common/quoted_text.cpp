#include "common/quoted_text.h"

namespace common {

QString QuotedText(const QString& text, int maxCharacters) {
  return QLatin1Char('\'') + EscapedText(text, maxCharacters) + QLatin1Char('\'');
}

QString EscapedText(const QString& text, int maxCharacters) {
  QString escaped;
  for (const QChar c : text) {
    // The second half of a character outside the BMP goes with its first.
    if (!c.isLowSurrogate() && escaped.size() >= maxCharacters) {
      escaped += QStringLiteral("…");
      break;
    }
    if (c == QLatin1Char('\n'))
      escaped += QStringLiteral("\\n");
    else if (c == QLatin1Char('\t'))
      escaped += QStringLiteral("\\t");
    else if (c == QLatin1Char('\r'))
      escaped += QStringLiteral("\\r");
    else if (c.category() == QChar::Other_Control)
      escaped += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    else
      escaped += c;
  }
  return escaped;
}

}  // namespace common
