#include "module/module_graph.h"

#include <map>
#include <string>
#include <vector>

#include "contract/diagnostic.h"
#include "device/win_fingerprint_component_manager.h"
#include "module/fingerprint_module_interface.h"
#include "module/fingerprint_resource.h"
#include "module/test_with_device_hint.h"
#include "recognition/recognition_test.h"

namespace {
// Built at load time: two resource keys the host translates and joins.
const std::string kDeviceHint = std::string("POSSIBLE_DEFECTIVE_COMPONENTS") + ": " + "FINGERPRINT_READER";
}  // namespace

namespace module_graph {

ModuleInterface* Build() {
  Test* test = new TestWithDeviceHint<RecognitionTest>(kDeviceHint, ids::kRecognitionTest);
  std::vector<Test*> tests{test};

  auto* diagnostic = new Diagnostic(ids::kDiagnostic, tests);
  std::vector<Diagnostic*> diagnostics{diagnostic};

  auto* resource = new FingerprintResource(ids::kModule);
  const std::map<int, std::string> keyedTexts{{0, "0 - 1"}, {1, ""}, {2, ""}};
  resource->SetKeyedTexts(keyedTexts);

  auto* manager = new WinFingerprintComponentManager(ids::kModule);

  return new FingerprintModuleInterface(diagnostics, resource, manager, nullptr);
}

// Tears the graph down through its own virtual operations, the way the suite
// expects: resource, manager, each diagnostic's tests, each diagnostic, root.
// A deleted object is never asked anything again.
void Release(ModuleInterface* root) {
  if (!root) return;
  if (Resource* resource = root->GetResource()) delete resource;
  if (SystemComponentManager* manager = root->GetComponentManager()) delete manager;
  for (uint32_t i = 0; i < root->GetDiagnosticCount(); ++i) {
    Diagnostic* diagnostic = root->GetDiagnostic(i);
    if (!diagnostic) continue;
    for (uint32_t j = 0; j < diagnostic->GetTestCount(); ++j) {
      if (Test* test = diagnostic->GetTest(j)) delete test;
    }
    delete root->GetDiagnostic(i);
  }
  delete root;
}

}  // namespace module_graph
