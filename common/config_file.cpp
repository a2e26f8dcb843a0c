#include "common/config_file.h"

#include <utility>

#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QTextStream>

namespace common {
namespace {

// The line syntax as regular expressions, compiled once for the process.
// They run on PCRE2 (QRegularExpression), which is linear on the long lines
// that make a backtracking std::regex overflow the stack; "[\s\S]" stands for
// ECMAScript's "any character" class "[^]". \w and \s are ASCII-only here.
struct Patterns {
  QRegularExpression blank{QStringLiteral(R"(^\s*$)")};
  QRegularExpression header{QStringLiteral(R"(\[([\w\s*]+)\])")};
  QRegularExpression assignment{QStringLiteral(R"(([\w]+)\s*=\s*([\s\S]+)$)")};
  QRegularExpression doubledOpening{QStringLiteral(R"((\[\s*\w+\[)|(\[\[))")};
  QRegularExpression doubledClosing{QStringLiteral(R"((\]\s*\w+\])|(\]\]))")};
  QRegularExpression doubledEquals{QStringLiteral(R"((=\s*\w+=)|(==))")};
  QRegularExpression equalsTouchesBracket{
      QStringLiteral(R"(((=\w+(\[|\]))|((\[|\]))\w+=)|(\[=)|(\]=)|(=\[)|(=\]))")};
  QRegularExpression openingThenWord{QStringLiteral(R"((\[\]{0}[\w]+)|(\]{0}[\w]+\[+))")};
  QRegularExpression wordThenClosing{QStringLiteral(R"((\[{0}[\w]+\]+)|(\]\[{0}[\w]+))")};
  QRegularExpression reversedBrackets{QStringLiteral(R"((\]\w+\[)|(\]\[))")};
  QRegularExpression emptySection{QStringLiteral(R"(\[\s*\]+)")};
  QRegularExpression missingKey{QStringLiteral(R"(^\s*=\s*[\w]+)")};
  QRegularExpression missingValue{QStringLiteral(R"(^[\w]+\s*=\s*$)")};
};

const Patterns& patterns() {
  static const Patterns compiled;
  return compiled;
}

bool Found(const QRegularExpression& pattern, const QString& line) {
  return pattern.match(line).hasMatch();
}

// The first syntax rule the line breaks, in the suite's order, or None.
ConfigError CheckSyntax(const QString& line) {
  const Patterns& p = patterns();
  const bool opening = line.contains(QLatin1Char('['));
  const bool closing = line.contains(QLatin1Char(']'));
  if (!opening && !closing && !line.contains(QLatin1Char('='))) return ConfigError::NoSyntax;
  if (Found(p.doubledOpening, line)) return ConfigError::DoubledOpeningBracket;
  if (Found(p.doubledClosing, line)) return ConfigError::DoubledClosingBracket;
  if (Found(p.doubledEquals, line)) return ConfigError::DoubledEquals;
  if (Found(p.equalsTouchesBracket, line)) return ConfigError::EqualsTouchesBracket;
  if (!closing && Found(p.openingThenWord, line)) return ConfigError::OpeningBracketNeverClosed;
  if (!opening && Found(p.wordThenClosing, line)) return ConfigError::ClosingBracketNeverOpened;
  if (Found(p.reversedBrackets, line)) return ConfigError::ReversedBrackets;
  if (Found(p.emptySection, line)) return ConfigError::EmptySectionName;
  if (Found(p.missingKey, line)) return ConfigError::MissingKey;
  if (Found(p.missingValue, line)) return ConfigError::MissingValue;
  return ConfigError::None;
}

// Names are compared in upper case. Only ASCII letters change, whatever the
// process locale, so UTF-8 sequences pass through intact.
std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

ConfigParseResult Failure(ConfigError error, uint32_t line, std::string key = {}, std::string section = {}) {
  ConfigParseResult result;
  result.opened = 1;
  result.error = static_cast<uint32_t>(error);
  result.line = static_cast<int32_t>(line);
  result.key = std::move(key);
  result.section = std::move(section);
  return result;
}

}  // namespace

ConfigParseResult ConfigFile::Load(const std::string& path, ConfigFile& target) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return ConfigParseResult{};
  QTextStream stream(&file);
  return target.Parse(stream);
}

ConfigParseResult ConfigFile::Parse(QTextStream& stream) {
  const Patterns& p = patterns();
  sections_.try_emplace(std::string());
  std::string current;
  uint32_t number = 0;
  while (!stream.atEnd()) {
    QString line = stream.readLine();
    ++number;
    const qsizetype comment = line.indexOf(QLatin1Char(';'));
    if (comment >= 0) line.truncate(comment);
    if (Found(p.blank, line)) continue;

    if (const ConfigError error = CheckSyntax(line); error != ConfigError::None)
      return Failure(error, number);

    if (const QRegularExpressionMatch header = p.header.match(line); header.hasMatch()) {
      std::string name = UpperAscii(header.captured(1).toStdString());
      if (HasSection(name)) return Failure(ConfigError::DuplicateSection, number, {}, name);
      sections_.try_emplace(name);
      current = std::move(name);
    }
    if (const QRegularExpressionMatch assignment = p.assignment.match(line); assignment.hasMatch()) {
      std::string key = UpperAscii(assignment.captured(1).toStdString());
      if (HasKey(current, key)) return Failure(ConfigError::DuplicateKey, number, key, current);
      keyLines_.try_emplace("[" + current + "]" + key, number);
      sections_[current].emplace(std::move(key), assignment.captured(2).toStdString());
    }
  }
  ConfigParseResult result;
  result.opened = 1;
  return result;
}

std::string ConfigFile::GetValue(const std::string& section, const std::string& key) const {
  const auto found = sections_.find(section);
  if (found == sections_.end()) return {};
  const auto value = found->second.find(key);
  return value == found->second.end() ? std::string() : value->second;
}

bool ConfigFile::HasSection(const std::string& section) const {
  return sections_.count(section) != 0;
}

bool ConfigFile::HasKey(const std::string& section, const std::string& key) const {
  const auto found = sections_.find(section);
  return found != sections_.end() && found->second.count(key) != 0;
}

}  // namespace common
