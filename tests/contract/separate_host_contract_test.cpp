// A host compiled on its own: it declares the module's classes itself, from
// the published slot orders and field layouts, includes none of the module's
// headers, and drives the module through dlopen and the virtual tables alone.

#include <gtest/gtest.h>
#include <stdexcept>

#include "host_view.h"

namespace {

using namespace hostview;

class SeparateHostTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(module_.ok()) << module_.error; }
  void TearDown() override {
    if (module_.ok()) module_.release();
  }

  LoadedModule module_{FP_MODULE_PATH};
  Module* (*&get_)() = module_.get;
  Version* (*&version_)() = module_.version;
  void (*&release_)() = module_.release;
};

TEST_F(SeparateHostTest, ReadsVersionAndWalksTheGraph) {
  Version* version = version_();
  EXPECT_EQ(version->GetMajor(), 4u);
  EXPECT_EQ(version->GetMinor(), 42u);
  EXPECT_EQ(version->GetPatch(), 0u);
  EXPECT_EQ(version->GetBuild(), 92u);

  Module* module = get_();
  EXPECT_TRUE(module->GetModuleFlag());
  EXPECT_EQ(module->GetAuxiliaryCount(), 0u);
  EXPECT_EQ(module->GetAuxiliary(0), nullptr);
  EXPECT_EQ(module->GetAuxiliaryObject(), nullptr);
  ASSERT_EQ(module->GetDiagnosticCount(), 1u);
  EXPECT_EQ(module->GetDiagnostic(1), nullptr);

  Diagnostic* diagnostic = module->GetDiagnostic(0);
  const ComponentId diagnosticId = diagnostic->GetId();
  EXPECT_EQ(diagnosticId.module, 22);
  EXPECT_EQ(diagnosticId.diagnostic, 1u);
  EXPECT_EQ(diagnosticId.test, 0u);
  EXPECT_EQ(diagnosticId.key, Id(22, 1, 0).key);
  ASSERT_EQ(diagnostic->GetTestCount(), 1u);

  hostview::Test* test = diagnostic->GetTest(0);
  EXPECT_EQ(test->id.key, Id(22, 1, 1).key);
  EXPECT_EQ(test->id.test, 1u);
  EXPECT_TRUE(test->list.empty());
  EXPECT_EQ(diagnostic->FindTest(Id(22, 1, 1)), test);
  EXPECT_EQ(diagnostic->FindTest(Id(22, 1, 0)), nullptr);
  EXPECT_TRUE(test->QueryTraitA());
  EXPECT_FALSE(test->QueryTraitB());
  EXPECT_TRUE(test->QueryTraitC());
  EXPECT_TRUE(test->QueryTraitD());
  EXPECT_TRUE(test->GetListA().empty());
  EXPECT_TRUE(test->GetListB().empty());
  EXPECT_EQ(test->Run(nullptr), 6);  // no context: Error
  test->Notify();

  ComponentManager* manager = module->GetComponentManager();
  EXPECT_EQ(manager->GetId().key, Id(22, 0, 0).key);
  EXPECT_EQ(manager->GetComponentCount(), 0u);
}

TEST_F(SeparateHostTest, ReadsTheResource) {
  Resource* resource = get_()->GetResource();
  EXPECT_EQ(resource->GetReserved(), 0u);
  EXPECT_EQ(resource->GetModuleName(), "FINGERPRINT");
  EXPECT_EQ(resource->GetModuleShortName(), "FP");
  EXPECT_EQ(resource->GetDiagnosticName(Id(22, 1, 0)), "QUICK_FINGERPRINT");
  EXPECT_EQ(resource->GetTestName(Id(22, 1, 1)), "RECOGNITION_TEST");
  EXPECT_EQ(resource->GetDiagnosticDescription(Id(22, 1, 0)), "QUICK_FINGERPRINT_TESTS_TOOLTIP");
  EXPECT_EQ(resource->GetTestDescription(Id(22, 1, 1)), "FINGERPRINT_RECOGNITION_TEST_DESCRIPTION");
  EXPECT_EQ(resource->GetTestName(Id(22, 1, 0)), "");
  EXPECT_EQ(resource->GetHelpText(),
            "Fingerprint Module help:\n  Usage: TaveroDiagnosticsCLI -Mfingerprint [diagnostic]\"[test(s)]\" "
            "[device id(s)]\n Tests:\n   r, recognition\t\t\tFingerprint Recognition Test*\n\n"
            "   * Test not supported on CLI\n");

  const auto tests = resource->GetTestAliases();
  ASSERT_EQ(tests.size(), 1u);
  EXPECT_EQ(tests.begin()->first.key, Id(22, 1, 1).key);
  EXPECT_EQ(tests.begin()->second.shortName, "r");
  EXPECT_EQ(tests.begin()->second.longName, "recognition");
  EXPECT_EQ(tests.begin()->second.kind, 2);
  const auto diagnostics = resource->GetDiagnosticAliases();
  ASSERT_EQ(diagnostics.size(), 1u);
  EXPECT_EQ(diagnostics.begin()->second.longName, "quick");

  EXPECT_EQ(resource->GetKeyedTexts(), (std::map<int, std::string>{{0, "0 - 1"}, {1, ""}, {2, ""}}));
  resource->SetKeyedTexts({{7, "seven"}});
  EXPECT_EQ(resource->GetKeyedTexts(), (std::map<int, std::string>{{7, "seven"}}));
}

TEST_F(SeparateHostTest, ConfigureAcceptsSettingsAndRaisesOnBadNumbers) {
  hostview::Test* test = get_()->GetDiagnostic(0)->GetTest(0);
  EXPECT_TRUE(test->Configure(Settings{{"CSAT", {{"CSAT_TEST_TIMEOUT", "15"}}}}, nullptr));
  EXPECT_THROW(test->Configure(Settings{{"CSAT", {{"CSAT_TEST_TIMEOUT", "soon"}}}}, nullptr),
               std::invalid_argument);
}

TEST_F(SeparateHostTest, ReleaseThenRebuild) {
  Module* first = get_();
  EXPECT_EQ(get_(), first);
  release_();
  release_();
  Module* second = get_();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->GetDiagnosticCount(), 1u);
  EXPECT_EQ(second->GetResource()->GetModuleName(), "FINGERPRINT");
}

}  // namespace
