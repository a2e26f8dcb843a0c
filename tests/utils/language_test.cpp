#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/sim/sim_machine.h"
#include "suite/hostcore/hostcore.h"
#include "tests/support/test_support.h"
#include "utils/language_table.h"
#include "utils/module_translator.h"

namespace {

using kivra::utils::ChooseLanguage;
using kivra::utils::CurrentLanguage;
using kivra::utils::ModuleTranslator;
using platform::sim::ScopedMachine;
using platform::sim::SimMachine;

constexpr const char* kInstructionKey = "TOUCH_SLIDE_FINGER_ON_SENSOR_UNTIL_TEST_FINISHES";

SimMachine WithLanguages(std::vector<std::string> languages) {
  return fp_test::Machine([&](SimMachine& m) { m.system.uiLanguages = std::move(languages); });
}

// Each test runs in an empty current directory, where it may write config.ini.
class LanguageTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

  void WriteSetting(const std::string& value) {
    ASSERT_TRUE(
        fp_test::WriteFile(dir_.filePath(QStringLiteral("config.ini")),
                           QByteArray::fromStdString("[LANGUAGE]\nDEFAULT_LANGUAGE = " + value + "\n")));
  }

  std::string ChooseWith(const std::string& setting, std::vector<std::string> systemLanguages) {
    if (!setting.empty()) WriteSetting(setting);
    ScopedMachine machine(WithLanguages(std::move(systemLanguages)));
    ChooseLanguage();
    return CurrentLanguage();
  }

  QTemporaryDir dir_;
  fp_test::ScopedCurrentDir cwd_{dir_.path()};
};

TEST_F(LanguageTest, SettingNamesInAnyCaseGiveTheTableCode) {
  const std::pair<const char*, const char*> cases[] = {
      {"Portuguese", "pt_BR"}, {"pt_BR", "pt_BR"},   {"PT_BR", "pt_BR"}, {"english", "en_US"},
      {"English", "en_US"},    {"EN_US", "en_US"},   {"en_us", "en_US"}, {"Spanish", "es_ES"},
      {"fr_fr", "fr_FR"},      {"ITALIAN", "it_IT"}, {"dE_dE", "de_DE"}, {"Dutch", "nl_NL"},
      {"chinese", "zh_CN"},    {"ja_JP", "ja_JP"},
  };
  for (const auto& [setting, code] : cases) {
    EXPECT_EQ(ChooseWith(setting, {"fr-FR"}), code) << "setting " << setting;
  }
}

// Without a known setting the first system language counts: as written if
// the table has it, else English. Setting values are not trimmed.
TEST_F(LanguageTest, SystemLanguageWithoutAKnownSetting) {
  const struct {
    const char* setting;
    std::vector<std::string> system;
    const char* code;
  } rows[] = {{"Klingon", {"ja-JP", "en-US"}, "ja_JP"},
              {"german ", {"fr-FR"}, "fr_FR"},
              {"", {"DE-de"}, "DE_de"},
              {"", {"zh-CN"}, "zh_CN"},
              {"", {"en-GB"}, "en_US"},
              {"", {"pt-PT"}, "en_US"}};
  for (const auto& row : rows) {
    QFile::remove(dir_.filePath(QStringLiteral("config.ini")));
    EXPECT_EQ(ChooseWith(row.setting, row.system), row.code) << row.setting;
  }
}

TEST_F(LanguageTest, AnEmptySystemAnswerKeepsTheEarlierChoice) {
  ASSERT_EQ(ChooseWith("", {"it-IT"}), "it_IT");
  EXPECT_EQ(ChooseWith("", {}), "it_IT");
}

TEST_F(LanguageTest, SettingsParseErrorKeepsWhatWasReadBeforeIt) {
  ASSERT_TRUE(fp_test::WriteFile(dir_.filePath(QStringLiteral("config.ini")),
                                 "[LANGUAGE]\nDEFAULT_LANGUAGE = Japanese\n[[broken\n"));
  ScopedMachine machine(WithLanguages({"fr-FR"}));
  ChooseLanguage();
  EXPECT_EQ(CurrentLanguage(), "ja_JP");

  ASSERT_TRUE(fp_test::WriteFile(dir_.filePath(QStringLiteral("config.ini")),
                                 "[LANGUAGE]\n[[broken\nDEFAULT_LANGUAGE = Japanese\n"));
  ChooseLanguage();
  EXPECT_EQ(CurrentLanguage(), "fr_FR");
}

// The catalogue comes from the fingerprint.rcc the build put beside the test.
TEST_F(LanguageTest, TranslatorReadsTheBuiltCatalogue) {
  const std::pair<const char*, const char*> cases[] = {
      {"German",
       "Berühren Sie den Sensor mit dem Finger oder streichen Sie darüber, bis der Test beendet ist."},
      {"Japanese", "テストが終了するまで、センサーに指を触れるか、指をスライドさせてください。"},
      {"English", "Touch or slide your finger on the sensor until the test finishes."},
  };
  for (const auto& [setting, expected] : cases) {
    WriteSetting(setting);
    const ModuleTranslator translator("FINGERPRINT");
    EXPECT_TRUE(translator.hasCatalogue()) << setting << " in " << translator.resourcePath();
    EXPECT_EQ(translator.Translate(kInstructionKey), expected) << setting;
    EXPECT_EQ(translator.Translate("NO_SUCH_KEY"), "NO_SUCH_KEY");
  }
}

TEST_F(LanguageTest, TranslatorIsPrivateAndUndoesItsRegistration) {
  WriteSetting("French");
  const QString catalogue = QStringLiteral(":fingerprint/resources/translations/fingerprint_fr_FR.qm");
  {
    const ModuleTranslator translator("FINGERPRINT");
    EXPECT_TRUE(QFile::exists(catalogue));
    EXPECT_EQ(translator.Translate("FINGERPRINT_READER"), "Lecteur d'empreintes digitales");
    // Nothing is installed application-wide.
    EXPECT_EQ(QCoreApplication::translate("FINGERPRINT", "FINGERPRINT_READER"),
              QStringLiteral("FINGERPRINT_READER"));
  }
  EXPECT_FALSE(QFile::exists(catalogue));
}

TEST_F(LanguageTest, MissingResourceFileLeavesKeysUntranslated) {
  WriteSetting("German");
  const ModuleTranslator translator("NOSUCHMODULE");
  EXPECT_FALSE(translator.hasCatalogue());
  EXPECT_EQ(translator.language(), "de_DE");
  EXPECT_EQ(translator.Translate(kInstructionKey), kInstructionKey);
  EXPECT_EQ(translator.Translate(""), "");
}

}  // namespace
