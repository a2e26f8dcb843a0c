#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "platform/sim/sim_machine.h"
#include "suite/hostcore/hostcore.h"
#include "tests/support/test_support.h"
#include "utils/current_language.h"
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
      {"Portuguese", "pt_BR"}, {"PT_BR", "pt_BR"},   {"english", "en_US"}, {"en_us", "en_US"},
      {"Spanish", "es_ES"},    {"fr_fr", "fr_FR"},   {"ITALIAN", "it_IT"}, {"dE_dE", "de_DE"},
      {"Dutch", "nl_NL"},      {"chinese", "zh_CN"}, {"ja_JP", "ja_JP"}};
  for (const auto& [setting, code] : cases) EXPECT_EQ(ChooseWith(setting, {"fr-FR"}), code) << setting;
}

// Without a known setting the first system language counts: as written if
// the table has it, else English. Setting values are not trimmed; a settings
// error keeps what was read before it.
TEST_F(LanguageTest, SystemLanguageWithoutAKnownSetting) {
  const struct {
    const char* setting;
    std::vector<std::string> system;
    const char* code;
  } rows[] = {{"Klingon", {"ja-JP", "en-US"}, "ja_JP"},
              {"german ", {"fr-FR"}, "fr_FR"},
              {"Japanese\n[[broken", {"fr-FR"}, "ja_JP"},
              {"\n[[broken\nDEFAULT_LANGUAGE = Japanese", {"fr-FR"}, "fr_FR"},
              {"", {"DE-de"}, "DE_de"},
              {"", {"en-GB"}, "en_US"},
              {"", {"zh-CN"}, "zh_CN"}};
  for (const auto& row : rows) {
    QFile::remove(dir_.filePath(QStringLiteral("config.ini")));
    EXPECT_EQ(ChooseWith(row.setting, row.system), row.code) << row.setting;
  }
  EXPECT_EQ(ChooseWith("", {}), "zh_CN") << "an empty system answer keeps the earlier choice";
}

// The catalogue comes from the fingerprint.rcc the build put beside the test;
// a module without one leaves its keys untranslated. The translator is
// private (nothing installed application-wide) and takes its catalogue along.
TEST_F(LanguageTest, TranslatorReadsTheBuiltCatalogue) {
  const struct {
    const char* setting;
    const char* module;
    const char* expected;
  } rows[] = {
      {"German", "FINGERPRINT",
       "Berühren Sie den Sensor mit dem Finger oder streichen Sie darüber, bis der Test beendet ist."},
      {"Japanese", "FINGERPRINT",
       "テストが終了するまで、センサーに指を触れるか、指をスライドさせてください。"},
      {"English", "FINGERPRINT", "Touch or slide your finger on the sensor until the test finishes."},
      {"German", "NOSUCHMODULE", kInstructionKey},
  };
  const QString catalogue = QStringLiteral(":fingerprint/resources/translations/fingerprint_de_DE.qm");
  for (const auto& row : rows) {
    WriteSetting(row.setting);
    {
      const ModuleTranslator translator(row.module);
      EXPECT_EQ(translator.hasCatalogue(), row.expected != kInstructionKey) << row.setting << row.module;
      EXPECT_EQ(translator.Translate(kInstructionKey), row.expected) << row.setting;
      EXPECT_EQ(translator.Translate("NO_SUCH_KEY"), "NO_SUCH_KEY");
      EXPECT_EQ(QCoreApplication::translate("FINGERPRINT", kInstructionKey), QLatin1String(kInstructionKey));
      EXPECT_EQ(QFile::exists(catalogue), row.expected != kInstructionKey);
    }
    EXPECT_FALSE(QFile::exists(catalogue));
  }
}

}  // namespace
