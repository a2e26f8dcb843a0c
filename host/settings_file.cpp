#include "host/settings_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "common/quoted_text.h"

namespace {

// Settings lines are a name and a short value; a longer one is no settings file.
constexpr int kLongestLine = 4096;

// The keys the recognition test reads its timeout from, in seconds.
const char* const kTimeoutKeys[] = {"CSAT_TEST_TIMEOUT_FINGERPRINT_RECOGNITION_TEST", "CSAT_TEST_TIMEOUT"};

// The test converts the value as a C++ int; anything else would end in an
// exception text that names neither the key nor the value.
bool CheckTimeouts(const QString& path, const Settings& settings, QString* error) {
  const auto section = settings.find("CSAT");
  if (section == settings.end()) return true;
  static const QRegularExpression whole(QStringLiteral(R"(^\s*[+-]?\d+\s*$)"));
  for (const char* key : kTimeoutKeys) {
    const auto value = section->second.find(key);
    if (value == section->second.end()) continue;
    const QString text = QString::fromStdString(value->second);
    bool fits = false;
    text.trimmed().toInt(&fits);
    if (fits && whole.match(text).hasMatch()) continue;
    *error = QStringLiteral("settings file '%1': %2=%3: %4")
                 .arg(path, QLatin1String(key), common::EscapedText(text),
                      whole.match(text).hasMatch()
                          ? QStringLiteral("the timeout is out of range (at most 2147483647 seconds)")
                          : QStringLiteral("the timeout must be a whole number of seconds"));
    return false;
  }
  return true;
}

}  // namespace

bool ReadSettingsFile(const QString& path, Settings* settings, QString* error) {
  if (!QFileInfo::exists(path)) {
    *error = QStringLiteral("settings file '%1' does not exist").arg(path);
    return false;
  }
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    *error = QStringLiteral("settings file '%1' cannot be read: %2").arg(path, file.errorString());
    return false;
  }
  static const QRegularExpression header(QStringLiteral(R"(^\[\s*(\w+)\s*\]$)"));
  static const QRegularExpression assignment(QStringLiteral(R"(^(\w+)\s*=\s*(.*)$)"));
  std::string section;
  bool inSection = false;
  for (int number = 1; !file.atEnd(); ++number) {
    // Read in bounded pieces: a binary file may hold no line break at all.
    const QByteArray bytes = file.readLine(kLongestLine + 2);
    const bool whole = bytes.endsWith('\n') || file.atEnd();
    const QString raw = QString::fromUtf8(bytes).remove(QRegularExpression(QStringLiteral("\r?\n$")));
    const auto fail = [&](const QString& problem) {
      *error = QStringLiteral("settings file '%1', line %2: %3: %4")
                   .arg(path)
                   .arg(number)
                   .arg(problem, common::QuotedText(raw));
      return false;
    };
    if (!whole || raw.size() > kLongestLine)
      return fail(QStringLiteral("a line longer than %1 characters").arg(kLongestLine));
    QString line = raw;
    if (const qsizetype comment = line.indexOf(QLatin1Char(';')); comment >= 0) line.truncate(comment);
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
    if (const QRegularExpressionMatch match = header.match(line); match.hasMatch()) {
      section = match.captured(1).toUpper().toStdString();
      inSection = true;
      (*settings)[section];
      continue;
    }
    const QRegularExpressionMatch match = assignment.match(line);
    if (!match.hasMatch()) return fail(QStringLiteral("expected [SECTION] or KEY=VALUE"));
    if (!inSection) return fail(QStringLiteral("a key before the first [SECTION]"));
    const std::string key = match.captured(1).toUpper().toStdString();
    if (!(*settings)[section].emplace(key, match.captured(2).toStdString()).second)
      return fail(QStringLiteral("%1 is given twice in [%2]")
                      .arg(QString::fromStdString(key), QString::fromStdString(section)));
  }
  return CheckTimeouts(path, *settings, error);
}
