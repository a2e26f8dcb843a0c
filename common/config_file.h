#pragma once

#include <cstdint>
#include <map>
#include <string>

class QTextStream;

namespace common {

// Why a settings file was rejected; the value is the code the suite reports.
enum class ConfigError : uint32_t {
  None = 0,
  DuplicateSection = 1,
  DuplicateKey = 2,
  DoubledOpeningBracket = 1001,
  DoubledClosingBracket = 1002,
  DoubledEquals = 1003,
  EqualsTouchesBracket = 1006,
  OpeningBracketNeverClosed = 1007,
  ClosingBracketNeverOpened = 1008,
  ReversedBrackets = 1009,
  NoSyntax = 1010,
  EmptySectionName = 1011,
  MissingKey = 1012,
  MissingValue = 1014,
};

// The outcome of reading a settings file.
struct ConfigParseResult {
  uint32_t opened = 0;  // 1 when the file could be opened
  uint32_t error = 0;   // a ConfigError value; 0 when every line was accepted
  int32_t line = -1;    // the faulty line, counted from 1
  std::string key;      // for DuplicateKey
  std::string section;  // for DuplicateSection and DuplicateKey

  bool HasError() const { return error != 0; }
};

// The suite's settings file ("config.ini") in memory: sections of key/value
// pairs. Section names and keys are upper case; values are kept as written.
// The reader knows no schema: any section and key the syntax allows is kept.
class ConfigFile {
 public:
  using Keys = std::map<std::string, std::string>;
  using Sections = std::map<std::string, Keys>;

  // Opens `path` (used as given, so a bare name resolves against the current
  // directory) and parses it into `target`. A file that cannot be opened
  // gives opened 0 and leaves `target` untouched.
  static ConfigParseResult Load(const std::string& path, ConfigFile& target);

  // Parses a stream into this file. Stops at the first faulty line; what was
  // read before it stays.
  ConfigParseResult Parse(QTextStream& stream);

  // The stored value, or "" when the section or key does not exist. Exact,
  // case-sensitive lookup: pass upper-case names.
  std::string GetValue(const std::string& section, const std::string& key) const;
  bool HasSection(const std::string& section) const;
  bool HasKey(const std::string& section, const std::string& key) const;

  const Sections& sections() const { return sections_; }
  // "[SECTION]KEY" -> the line the key was read from.
  const std::map<std::string, uint32_t>& keyLines() const { return keyLines_; }

 private:
  Sections sections_;
  std::map<std::string, uint32_t> keyLines_;
};

}  // namespace common
