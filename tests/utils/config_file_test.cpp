#include "utils/config_file.h"

#include <gtest/gtest.h>
#include <string>

#include <QByteArray>
#include <QIODevice>
#include <QTemporaryDir>
#include <QTextStream>

#include "tests/support/test_support.h"

namespace {

using kivra::utils::ConfigError;
using kivra::utils::ConfigFile;
using kivra::utils::ConfigParseResult;

ConfigParseResult Parse(const std::string& text, ConfigFile& file) {
  QByteArray bytes = QByteArray::fromStdString(text);
  QTextStream stream(&bytes, QIODevice::ReadOnly);
  return file.Parse(stream);
}

ConfigParseResult Parse(const std::string& text) {
  ConfigFile file;
  return Parse(text, file);
}

uint32_t Code(ConfigError error) {
  return static_cast<uint32_t>(error);
}

struct SyntaxCase {
  const char* line;
  ConfigError expected;
};

void PrintTo(const SyntaxCase& c, std::ostream* os) {
  *os << '"' << c.line << '"';
}

class ConfigSyntaxTest : public ::testing::TestWithParam<SyntaxCase> {};

// A faulty line after a good one: the code, its line number, empty key and
// section, and the good line's key kept.
TEST_P(ConfigSyntaxTest, ReportsCodeAndLineAndKeepsEarlierKeys) {
  ConfigFile file;
  const ConfigParseResult result =
      Parse(std::string("[s]\ngood = 1\n") + GetParam().line + "\nlater = 2\n", file);
  EXPECT_EQ(result.opened, 1u);
  EXPECT_EQ(result.error, Code(GetParam().expected));
  EXPECT_TRUE(result.HasError());
  EXPECT_EQ(result.line, 3);
  EXPECT_EQ(result.key, "");
  EXPECT_EQ(result.section, "");
  EXPECT_EQ(file.GetValue("S", "GOOD"), "1");
  EXPECT_FALSE(file.HasKey("S", "LATER")) << "parsing must stop at the faulty line";
}

// Each line breaks exactly one rule.
INSTANTIATE_TEST_SUITE_P(EachRuleAlone, ConfigSyntaxTest,
                         ::testing::Values(SyntaxCase{"justaword", ConfigError::NoSyntax},
                                           SyntaxCase{"[abc[", ConfigError::DoubledOpeningBracket},
                                           SyntaxCase{"]abc]", ConfigError::DoubledClosingBracket},
                                           SyntaxCase{"a==b", ConfigError::DoubledEquals},
                                           SyntaxCase{"[a=b]", ConfigError::EqualsTouchesBracket},
                                           SyntaxCase{"[abc", ConfigError::OpeningBracketNeverClosed},
                                           SyntaxCase{"abc]", ConfigError::ClosingBracketNeverOpened},
                                           SyntaxCase{"]abc[", ConfigError::ReversedBrackets},
                                           SyntaxCase{"[ ]", ConfigError::EmptySectionName},
                                           SyntaxCase{"= value", ConfigError::MissingKey},
                                           SyntaxCase{"key=", ConfigError::MissingValue}));

// Lines that break two rules report the one checked first.
INSTANTIATE_TEST_SUITE_P(RuleOrder, ConfigSyntaxTest,
                         ::testing::Values(SyntaxCase{"[[a]]", ConfigError::DoubledOpeningBracket},
                                           SyntaxCase{"]]==", ConfigError::DoubledClosingBracket},
                                           SyntaxCase{"a==[b", ConfigError::DoubledEquals},
                                           SyntaxCase{"=[abc", ConfigError::EqualsTouchesBracket},
                                           SyntaxCase{"[ ]=x", ConfigError::EqualsTouchesBracket},
                                           SyntaxCase{"]x[ ]", ConfigError::ReversedBrackets},
                                           SyntaxCase{"= a [ ]", ConfigError::EmptySectionName}));

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
      "umlaut = Gr\xC3\xBC\xC3\x9F"
      "e\n",
      file);
  EXPECT_EQ(result.opened, 1u);
  EXPECT_EQ(result.error, 0u);
  EXPECT_EQ(result.line, -1);
  EXPECT_FALSE(result.HasError());

  EXPECT_EQ(file.GetValue("", "TOP"), "level") << "keys before any header belong to the unnamed section";
  EXPECT_EQ(file.GetValue("LANGUAGE", "DEFAULT_LANGUAGE"), "German");
  EXPECT_TRUE(file.HasSection(" MIXED CASE* "));
  EXPECT_EQ(file.GetValue(" MIXED CASE* ", "URL"), "http://host/x?a=b");
  EXPECT_EQ(file.GetValue(" MIXED CASE* ", "SPACED"), "value with trailing blanks   ");
  EXPECT_EQ(file.GetValue(" MIXED CASE* ", "NOTE"), "some value ");
  EXPECT_EQ(file.GetValue(" MIXED CASE* ", "UMLAUT"),
            "Gr\xC3\xBC\xC3\x9F"
            "e");

  EXPECT_EQ(file.keyLines().at("[LANGUAGE]DEFAULT_LANGUAGE"), 3u);
  EXPECT_EQ(file.keyLines().at("[]TOP"), 1u);
}

// Comments are cut before the syntax checks; blank and comment lines count.
TEST(ConfigFileTest, CommentsAndBlankLines) {
  const ConfigParseResult result =
      Parse("; only a comment\n\n   \t\n[s] ; header with a comment\n; [broken\nkey = value\njustaword\n");
  EXPECT_EQ(result.error, Code(ConfigError::NoSyntax));
  EXPECT_EQ(result.line, 7);
  ConfigFile file;
  EXPECT_EQ(Parse("[s]\nkey = value ; == [[ ]] \n", file).error, 0u);
  EXPECT_EQ(file.GetValue("S", "KEY"), "value ");
}

TEST(ConfigFileTest, DuplicateSectionInAnyCaseIsErrorOne) {
  ConfigFile file;
  const ConfigParseResult result = Parse("[global]\na = 1\n[other]\n[GLOBAL]\nb = 2\n", file);
  EXPECT_EQ(result.error, Code(ConfigError::DuplicateSection));
  EXPECT_EQ(result.line, 4);
  EXPECT_EQ(result.section, "GLOBAL");
  EXPECT_EQ(result.key, "");
  EXPECT_EQ(file.GetValue("GLOBAL", "A"), "1");
  EXPECT_TRUE(file.HasSection("OTHER"));
  EXPECT_FALSE(file.HasKey("GLOBAL", "B"));
}

TEST(ConfigFileTest, DuplicateKeyInOneSectionIsErrorTwoButAcrossSectionsIsFine) {
  ConfigFile file;
  const ConfigParseResult result = Parse("key = top\n[a]\nkey = 1\n[b]\nKey = 2\nkEY = 3\n", file);
  EXPECT_EQ(result.error, Code(ConfigError::DuplicateKey));
  EXPECT_EQ(result.line, 6);
  EXPECT_EQ(result.key, "KEY");
  EXPECT_EQ(result.section, "B");
  EXPECT_EQ(file.GetValue("", "KEY"), "top");
  EXPECT_EQ(file.GetValue("A", "KEY"), "1");
  EXPECT_EQ(file.GetValue("B", "KEY"), "2") << "the first value stays";
}

// A backtracking matcher would recurse once per character here.
TEST(ConfigFileTest, VeryLongLinesParse) {
  ConfigFile file;
  const std::string value(2 * 1024 * 1024, 'v');
  const std::string word(1024 * 1024, 'w');
  const ConfigParseResult result = Parse("[s]\nkey = " + value + "\n", file);
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
  EXPECT_EQ(result.error, 0u);
  EXPECT_EQ(file.GetValue("LANGUAGE", "DEFAULT_LANGUAGE"), "French") << "text mode drops the carriage return";

  ConfigFile untouched;
  result = ConfigFile::Load(dir.filePath(QStringLiteral("absent.ini")).toStdString(), untouched);
  EXPECT_EQ(result.opened, 0u);
  EXPECT_EQ(result.error, 0u);
  EXPECT_EQ(result.line, -1);
  EXPECT_EQ(result.key, "");
  EXPECT_EQ(result.section, "");
  EXPECT_TRUE(untouched.sections().empty()) << "not even the unnamed section";

  // Relative names resolve against the current directory.
  fp_test::ScopedCurrentDir cwd(dir.path());
  ConfigFile relative;
  EXPECT_EQ(ConfigFile::Load("config.ini", relative).opened, 1u);
  EXPECT_EQ(relative.GetValue("LANGUAGE", "DEFAULT_LANGUAGE"), "French");
}

}  // namespace
