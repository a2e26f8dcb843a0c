#pragma once

#include <QString>

namespace common {

// `text` for a message to a person: in single quotes, control characters
// escaped (\n, \t, \x00), cut with "…" once `maxCharacters` are written, so
// that a binary file or a megabyte-long line gives a readable line, not a flood.
QString QuotedText(const QString& text, int maxCharacters = 80);
// The same without the quotes.
QString EscapedText(const QString& text, int maxCharacters = 80);

}  // namespace common
