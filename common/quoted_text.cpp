#include "common/quoted_text.h"

namespace common {

QString QuotedText(const QString& text, int maxCharacters) {
  QString quoted = QStringLiteral("'");
  int shown = 0;
  for (const QChar c : text) {
    // The second half of a character outside the BMP goes with its first.
    if (!c.isLowSurrogate() && shown++ == maxCharacters) {
      quoted += QStringLiteral("…");
      break;
    }
    if (c == QLatin1Char('\n'))
      quoted += QStringLiteral("\\n");
    else if (c == QLatin1Char('\t'))
      quoted += QStringLiteral("\\t");
    else if (c == QLatin1Char('\r'))
      quoted += QStringLiteral("\\r");
    else if (c.category() == QChar::Other_Control)
      quoted += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    else
      quoted += c;
  }
  return quoted + QLatin1Char('\'');
}

}  // namespace common
