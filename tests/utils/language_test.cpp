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

TEST_F(LanguageTest, UnknownOrMissingSettingFallsThroughToTheSystemLanguage) {
  EXPECT_EQ(ChooseWith("Klingon", {"ja-JP", "en-US"}), "ja_JP") << "the first system language counts";
  EXPECT_EQ(ChooseWith("german ", {"fr-FR"}), "fr_FR") << "values are not trimmed";
  QFile::remove(dir_.filePath(QStringLiteral("config.ini")));
  EXPECT_EQ(ChooseWith("", {"nl-NL"}), "nl_NL");
}

TEST_F(LanguageTest, SystemLanguageInTheTableKeepsItsOwnCase) {
  EXPECT_EQ(ChooseWith("", {"DE-de"}), "DE_de");
  EXPECT_EQ(ChooseWith("", {"zh-CN"}), "zh_CN");
}

TEST_F(LanguageTest, SystemLanguageOutsideTheTableGivesEnglish) {
  EXPECT_EQ(ChooseWith("", {"en-GB"}), "en_US");
  EXPECT_EQ(ChooseWith("", {"pt-PT"}), "en_US");
}

TEST_F(LanguageTest, AFailingOrEmptySystemAnswerKeepsTheEarlierChoice) {
  ASSERT_EQ(ChooseWith("", {"it-IT"}), "it_IT");
  EXPECT_EQ(ChooseWith("", {}), "it_IT") << "no language reported";

  fp_test::ScopedMockSystem system;
  EXPECT_CALL(*system, GetUserPreferredUILanguages(platform::kMuiLanguageName, ::testing::_,
                                                   ::testing::NotNull(), ::testing::Pointee(512u)))
      .WillOnce(::testing::Return(false));
  ChooseLanguage();
  EXPECT_EQ(CurrentLanguage(), "it_IT");
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
      {"Portuguese", "Toque ou deslize o dedo no sensor até o teste terminar."},
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

TEST_F(LanguageTest, TranslatorFindsItsResourceFileAndContext) {
  WriteSetting("Dutch");
  const ModuleTranslator translator("FINGERPRINT");
  EXPECT_EQ(translator.language(), "nl_NL");
  EXPECT_EQ(translator.moduleName(), "FINGERPRINT");
  const std::string expectedPath =
      std::string(kivra::hostcore::get_filesystem()->baseDirectory()) + "/fingerprint.rcc";
  EXPECT_EQ(translator.resourcePath(), expectedPath);
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(expectedPath)));
  EXPECT_EQ(translator.Translate("RECOGNITION_TEST"), "Vingerafdrukherkenningstest");
  EXPECT_EQ(translator.Translate("APPLICATION_NAME"), "Vingerafdrukdiagnose");
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

TEST_F(LanguageTest, OverlappingTranslatorsKeepTheirOwnCatalogues) {
  WriteSetting("Italian");
  auto first = std::make_unique<ModuleTranslator>("FINGERPRINT");
  WriteSetting("Chinese");
  const ModuleTranslator second("FINGERPRINT");
  first.reset();
  EXPECT_EQ(second.language(), "zh_CN");
  EXPECT_EQ(second.Translate("FINGERPRINT"), "指纹");
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
