#include "common/config_file.h"

#include <gtest/gtest.h>
#include <string>

#include <QByteArray>
#include <QIODevice>
#include <QTemporaryDir>
#include <QTextStream>

#include "tests/support/test_support.h"

namespace {

using common::ConfigError;
using common::ConfigFile;
using common::ConfigParseResult;

ConfigParseResult Parse(const std::string& text, ConfigFile* file = nullptr) {
  QByteArray bytes = QByteArray::fromStdString(text);
  QTextStream stream(&bytes, QIODevice::ReadOnly);
  ConfigFile scratch;
  return (file ? file : &scratch)->Parse(stream);
}

uint32_t Code(ConfigError error) {
  return static_cast<uint32_t>(error);
}

// A faulty line after a good one: the code, its line number (blank and
// comment lines count; comments go before the checks), empty key and
// section, and the good line's key kept. The first lines each break exactly
// one rule; the rest break two and report the one checked first.
TEST(ConfigFileTest, EachSyntaxRuleAloneAndInOrder) {
  const std::pair<const char*, ConfigError> rows[] = {{"justaword", ConfigError::NoSyntax},
                                                      {"[abc[", ConfigError::DoubledOpeningBracket},
                                                      {"]abc]", ConfigError::DoubledClosingBracket},
                                                      {"a==b", ConfigError::DoubledEquals},
                                                      {"[a=b]", ConfigError::EqualsTouchesBracket},
                                                      {"[abc", ConfigError::OpeningBracketNeverClosed},
                                                      {"abc]", ConfigError::ClosingBracketNeverOpened},
                                                      {"]abc[", ConfigError::ReversedBrackets},
                                                      {"[ ]", ConfigError::EmptySectionName},
                                                      {"= value", ConfigError::MissingKey},
                                                      {"key=", ConfigError::MissingValue},
                                                      {"[[a]]", ConfigError::DoubledOpeningBracket},
                                                      {"]]==", ConfigError::DoubledClosingBracket},
                                                      {"a==[b", ConfigError::DoubledEquals},
                                                      {"=[abc", ConfigError::EqualsTouchesBracket},
                                                      {"[ ]=x", ConfigError::EqualsTouchesBracket},
                                                      {"]x[ ]", ConfigError::ReversedBrackets},
                                                      {"= a [ ]", ConfigError::EmptySectionName}};
  const std::string kBefore = "; only a comment\n\n   \t\n[s] ; header with a comment\n; [broken\ngood = 1\n";
  for (const auto& [line, expected] : rows) {
    ConfigFile file;
    const ConfigParseResult result = Parse(kBefore + line + "\nlater = 2\n", &file);
    EXPECT_EQ(result.opened, 1u);
    EXPECT_EQ(result.error, Code(expected)) << line;
    EXPECT_EQ(result.line, 7);
    EXPECT_EQ(result.key + result.section, "");
    EXPECT_EQ(file.GetValue("S", "GOOD"), "1");
    EXPECT_FALSE(file.HasKey("S", "LATER")) << "parsing must stop at the faulty line";
  }
}

TEST(ConfigFileTest, StoresSectionsAndKeysInUpperCaseAndValuesAsWritten) {
  ConfigFile file;
  const ConfigParseResult result = Parse(
      "top = level\n"
      "[language]\n"
      "default_language = German\n"
      "[ Mixed Case* ]\n"
      "Url = http://host/x?a=b\n"
      "spaced =   value with trailing blanks   \n"
      "note = some value ;a comment\n"
      "other = value ; == [[ ]] \n"
      "umlaut = Gr\u00FC\u00DFe\n",
      &file);
  EXPECT_EQ(result.opened, 1u);
  EXPECT_EQ(result.error, 0u);
  EXPECT_EQ(result.line, -1);

  EXPECT_EQ(file.GetValue("", "TOP"), "level") << "keys before any header belong to the unnamed section";
  EXPECT_EQ(file.GetValue("LANGUAGE", "DEFAULT_LANGUAGE"), "German");
  EXPECT_TRUE(file.HasSection(" MIXED CASE* "));
  EXPECT_EQ(file.GetValue(" MIXED CASE* ", "URL"), "http://host/x?a=b");
  EXPECT_EQ(file.GetValue(" MIXED CASE* ", "SPACED"), "value with trailing blanks   ");
  EXPECT_EQ(file.GetValue(" MIXED CASE* ", "NOTE"), "some value ");
  EXPECT_EQ(file.GetValue(" MIXED CASE* ", "OTHER"), "value ") << "comments are cut before the syntax checks";
  EXPECT_EQ(file.GetValue(" MIXED CASE* ", "UMLAUT"), "Gr\u00FC\u00DFe");

  EXPECT_EQ(file.keyLines().at("[LANGUAGE]DEFAULT_LANGUAGE"), 3u);
  EXPECT_EQ(file.keyLines().at("[]TOP"), 1u);
}

// A repeated section in any case is error one; a repeated key is error two
// within a section only, and the first value stays.
TEST(ConfigFileTest, Duplicates) {
  ConfigFile file;
  ConfigParseResult result = Parse("[global]\na = 1\n[other]\n[GLOBAL]\nb = 2\n", &file);
  EXPECT_EQ(result.error, Code(ConfigError::DuplicateSection));
  EXPECT_EQ(result.line, 4);
  EXPECT_EQ(result.section, "GLOBAL");

  ConfigFile keys;
  result = Parse("key = top\n[a]\nkey = 1\n[b]\nKey = 2\nkEY = 3\n", &keys);
  EXPECT_EQ(result.error, Code(ConfigError::DuplicateKey));
  EXPECT_EQ(result.line, 6);
  EXPECT_EQ(result.key, "KEY");
  EXPECT_EQ(result.section, "B");
  EXPECT_EQ(keys.GetValue("B", "KEY"), "2");
}

// A backtracking matcher would recurse once per character here.
TEST(ConfigFileTest, VeryLongLinesParse) {
  ConfigFile file;
  const std::string value(2 * 1024 * 1024, 'v');
  const std::string word(1024 * 1024, 'w');
  const ConfigParseResult result = Parse("[s]\nkey = " + value + "\n", &file);
  EXPECT_EQ(result.error, 0u);
  EXPECT_EQ(file.GetValue("S", "KEY").size(), value.size());
  EXPECT_EQ(Parse(word + "]\n").error, Code(ConfigError::ClosingBracketNeverOpened));
  EXPECT_EQ(Parse(word + " " + word + "[\n").error, Code(ConfigError::OpeningBracketNeverClosed));
}

TEST(ConfigFileTest, LoadReadsFileAndMissingFileLeavesTargetUntouched) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("config.ini"));
  ASSERT_TRUE(fp_test::WriteFile(path, "[LANGUAGE]\r\nDEFAULT_LANGUAGE = French\r\n"));

  ConfigFile file;
  ConfigParseResult result = ConfigFile::Load(path.toStdString(), file);
  EXPECT_EQ(result.opened, 1u);
  EXPECT_EQ(file.GetValue("LANGUAGE", "DEFAULT_LANGUAGE"), "French") << "text mode drops the carriage return";

  ConfigFile untouched;
  result = ConfigFile::Load(dir.filePath(QStringLiteral("absent.ini")).toStdString(), untouched);
  EXPECT_EQ(result.opened, 0u);
  EXPECT_FALSE(result.HasError());
  EXPECT_TRUE(untouched.sections().empty()) << "not even the unnamed section";
}

}  // namespace
