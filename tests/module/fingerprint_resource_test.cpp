#include "module/fingerprint_resource.h"

#include <gtest/gtest.h>

#include "contract/component_id.h"

namespace {

TEST(FingerprintResourceTest, NamesAndDescriptionsAnswerOnlyTheirOwnIdentifier) {
  FingerprintResource resource(ids::kModule);
  EXPECT_EQ(resource.GetModuleName(), "FINGERPRINT");
  EXPECT_EQ(resource.GetModuleShortName(), "FP");
  EXPECT_EQ(resource.GetDiagnosticName(ids::kDiagnostic), "QUICK_FINGERPRINT");
  EXPECT_EQ(resource.GetDiagnosticDescription(ids::kDiagnostic), "QUICK_FINGERPRINT_TESTS_TOOLTIP");
  EXPECT_EQ(resource.GetTestName(ids::kRecognitionTest), "RECOGNITION_TEST");
  EXPECT_EQ(resource.GetTestDescription(ids::kRecognitionTest), "FINGERPRINT_RECOGNITION_TEST_DESCRIPTION");

  EXPECT_EQ(resource.GetTestName(ids::kDiagnostic), "");
  EXPECT_EQ(resource.GetDiagnosticName(ids::kRecognitionTest), "");
  EXPECT_EQ(resource.GetTestDescription(ComponentId{23, 1, 1}), "");
  EXPECT_EQ(resource.GetDiagnosticDescription(ids::kModule), "");
  EXPECT_EQ(resource.GetReserved(), 0u);
}

TEST(FingerprintResourceTest, HelpTextIsExact) {
  FingerprintResource resource(ids::kModule);
  EXPECT_EQ(resource.GetHelpText(),
            "Fingerprint Module help:\n"
            "  Usage: TaveroDiagnosticsCLI -Mfingerprint [diagnostic]\"[test(s)]\" [device id(s)]\n"
            " Tests:\n"
            "   r, recognition\t\t\tFingerprint Recognition Test*\n"
            "\n"
            "   * Test not supported on CLI\n");
}

TEST(FingerprintResourceTest, AliasesAreOneEntryEachAndHandedOutAsCopies) {
  FingerprintResource resource(ids::kModule);
  AliasMap tests = resource.GetTestAliases();
  ASSERT_EQ(tests.size(), 1u);
  EXPECT_EQ(tests.begin()->first, ids::kRecognitionTest);
  EXPECT_EQ(tests.begin()->second.shortName, "r");
  EXPECT_EQ(tests.begin()->second.longName, "recognition");
  EXPECT_EQ(tests.begin()->second.kind, 2);

  AliasMap diagnostics = resource.GetDiagnosticAliases();
  ASSERT_EQ(diagnostics.size(), 1u);
  EXPECT_EQ(diagnostics.begin()->first, ids::kDiagnostic);
  EXPECT_EQ(diagnostics.begin()->second.shortName, "Q");
  EXPECT_EQ(diagnostics.begin()->second.longName, "quick");
  EXPECT_EQ(diagnostics.begin()->second.kind, 2);

  tests.clear();
  diagnostics[ids::kModule] = CommandAlias{"x", "extra", 1};
  EXPECT_EQ(resource.GetTestAliases().size(), 1u);
  EXPECT_EQ(resource.GetDiagnosticAliases().size(), 1u);
}

TEST(FingerprintResourceTest, KeyedTextsAreCopiedInAndOut) {
  FingerprintResource resource(ids::kModule);
  EXPECT_TRUE(resource.GetKeyedTexts().empty());

  KeyedTexts texts{{0, "0 - 1"}, {1, ""}, {2, ""}};
  resource.SetKeyedTexts(texts);
  texts[0] = "changed";
  texts[5] = "new";
  EXPECT_EQ(resource.GetKeyedTexts(), (KeyedTexts{{0, "0 - 1"}, {1, ""}, {2, ""}}));

  resource.SetKeyedTexts(KeyedTexts{{4, "only"}});
  EXPECT_EQ(resource.GetKeyedTexts(), (KeyedTexts{{4, "only"}}));
}

// A resource that can hand its own map back to SetKeyedTexts.
class SelfFeedingResource : public FingerprintResource {
 public:
  using FingerprintResource::FingerprintResource;
  void FeedOwnTexts() { SetKeyedTexts(keyedTexts); }
};

TEST(FingerprintResourceTest, SettingTheOwnKeyedTextsKeepsThem) {
  SelfFeedingResource resource(ids::kModule);
  resource.SetKeyedTexts(KeyedTexts{{0, "0 - 1"}, {2, "two"}});
  resource.FeedOwnTexts();
  EXPECT_EQ(resource.GetKeyedTexts(), (KeyedTexts{{0, "0 - 1"}, {2, "two"}}));
}

}  // namespace
