#include "module/module_graph.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "contract/diagnostic.h"
#include "contract/system_component_manager.h"
#include "contract/test.h"
#include "device/win_fingerprint_component_manager.h"
#include "module/fingerprint_module_interface.h"
#include "module/fingerprint_resource.h"
#include "module/test_with_device_hint.h"
#include "recognition/recognition_test.h"

using testing::ElementsAre;

namespace {

// Objects that write their name into a shared journal when destroyed.
using Journal = std::vector<std::string>;

class JournalTest : public Test {
 public:
  JournalTest(Journal* journal, std::string name) : journal_(journal), name_(std::move(name)) {}
  ~JournalTest() override { journal_->push_back(name_); }
  bool IsSupported(SystemComponent*) override { return false; }
  TestStatus Run(TestContext*) override { return TestStatus::Passed; }
  bool QueryTraitA() override { return true; }

 private:
  Journal* journal_;
  std::string name_;
};

class JournalDiagnostic : public Diagnostic {
 public:
  JournalDiagnostic(Journal* journal, std::string name, std::vector<Test*> tests)
      : Diagnostic(ComponentId{22, 1, 0}, std::move(tests)), journal_(journal), name_(std::move(name)) {}
  ~JournalDiagnostic() override { journal_->push_back(name_); }

 private:
  Journal* journal_;
  std::string name_;
};

class JournalResource : public FingerprintResource {
 public:
  explicit JournalResource(Journal* journal) : FingerprintResource(ids::kModule), journal_(journal) {}
  ~JournalResource() override { journal_->push_back("resource"); }

 private:
  Journal* journal_;
};

class JournalManager : public SystemComponentManager {
 public:
  explicit JournalManager(Journal* journal) : SystemComponentManager(ids::kModule), journal_(journal) {}
  ~JournalManager() override { journal_->push_back("manager"); }
  bool IsDevicePresent() override { return false; }
  SystemComponent* ComponentAt(uint32_t) override { return nullptr; }
  void EnumerateComponents() override {}

 private:
  Journal* journal_;
};

class JournalInterface : public ModuleInterface {
 public:
  JournalInterface(Journal* journal, std::vector<Diagnostic*> diagnostics, Resource* resource,
                   SystemComponentManager* manager)
      : ModuleInterface(std::move(diagnostics), resource, manager, nullptr), journal_(journal) {}
  ~JournalInterface() override { journal_->push_back("interface"); }

 private:
  Journal* journal_;
};

TEST(ModuleGraphReleaseTest, DestroysEachObjectOnceInTheWalksOrder) {
  Journal journal;
  auto* first =
      new JournalDiagnostic(&journal, "diagnostic 0",
                            {new JournalTest(&journal, "test 0.0"), new JournalTest(&journal, "test 0.1")});
  auto* second = new JournalDiagnostic(&journal, "diagnostic 1", {new JournalTest(&journal, "test 1.0")});
  auto* root = new JournalInterface(&journal, {first, second}, new JournalResource(&journal),
                                    new JournalManager(&journal));

  module_graph::Release(root);

  EXPECT_THAT(journal, ElementsAre("resource", "manager", "test 0.0", "test 0.1", "diagnostic 0", "test 1.0",
                                   "diagnostic 1", "interface"));
}

TEST(ModuleGraphReleaseTest, SkipsMissingObjects) {
  Journal journal;
  auto* diagnostic =
      new JournalDiagnostic(&journal, "diagnostic", {nullptr, new JournalTest(&journal, "test")});
  auto* root = new JournalInterface(&journal, {nullptr, diagnostic}, nullptr, nullptr);

  module_graph::Release(root);
  module_graph::Release(nullptr);

  EXPECT_THAT(journal, ElementsAre("test", "diagnostic", "interface"));
}

TEST(ModuleGraphBuildTest, BuildsTheFingerprintGraph) {
  ModuleInterface* root = module_graph::Build();
  ASSERT_NE(root, nullptr);
  EXPECT_NE(dynamic_cast<FingerprintModuleInterface*>(root), nullptr);
  EXPECT_TRUE(root->GetModuleFlag());
  EXPECT_EQ(root->GetAuxiliaryCount(), 0u);
  EXPECT_EQ(root->GetAuxiliary(0), nullptr);
  EXPECT_EQ(root->GetAuxiliaryObject(), nullptr);

  ASSERT_EQ(root->GetDiagnosticCount(), 1u);
  Diagnostic* diagnostic = root->GetDiagnostic(0);
  EXPECT_EQ(root->GetDiagnostic(1), nullptr);
  EXPECT_EQ(diagnostic->GetId(), ids::kDiagnostic);
  ASSERT_EQ(diagnostic->GetTestCount(), 1u);
  EXPECT_EQ(diagnostic->GetTest(1), nullptr);

  ::Test* test = diagnostic->GetTest(0);
  auto* wrapper = dynamic_cast<TestWithDeviceHint<RecognitionTest>*>(test);
  ASSERT_NE(wrapper, nullptr);
  EXPECT_EQ(test->id, ids::kRecognitionTest);
  EXPECT_EQ(wrapper->hint(), "POSSIBLE_DEFECTIVE_COMPONENTS: FINGERPRINT_READER");
  EXPECT_EQ(diagnostic->FindTest(ids::kRecognitionTest), test);
  EXPECT_EQ(diagnostic->FindTest(ids::kDiagnostic), nullptr);
  EXPECT_TRUE(test->QueryTraitA());
  EXPECT_FALSE(test->QueryTraitB());
  EXPECT_TRUE(test->QueryTraitC());
  EXPECT_TRUE(test->QueryTraitD());

  Resource* resource = root->GetResource();
  ASSERT_NE(dynamic_cast<FingerprintResource*>(resource), nullptr);
  EXPECT_EQ(resource->GetKeyedTexts(), (KeyedTexts{{0, "0 - 1"}, {1, ""}, {2, ""}}));

  SystemComponentManager* manager = root->GetComponentManager();
  ASSERT_NE(dynamic_cast<WinFingerprintComponentManager*>(manager), nullptr);
  EXPECT_EQ(manager->GetId(), ids::kModule);
  EXPECT_EQ(manager->GetComponentCount(), 0u);  // nothing is enumerated before the host asks

  module_graph::Release(root);  // the sanitizer build reports anything left behind
}

TEST(ModuleInterfaceTest, PlainInterfaceAnswersFalseForTheModuleFlag) {
  ModuleInterface plain({}, nullptr, nullptr, nullptr);
  EXPECT_FALSE(plain.GetModuleFlag());
  EXPECT_EQ(plain.GetDiagnostic(0), nullptr);
  EXPECT_EQ(plain.GetDiagnosticCount(), 0u);
}

}  // namespace
