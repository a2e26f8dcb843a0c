#include "module/module_graph.h"

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include <QApplication>
#include <QWidget>

#include "contract/diagnostic.h"
#include "device/win_fingerprint_component_manager.h"
#include "module/fingerprint_module_interface.h"
#include "module/fingerprint_resource.h"
#include "module/test_with_device_hint.h"
#include "platform/biometric_service.h"
#include "platform/platform.h"
#include "recognition/recognition_test.h"
#include "threads/module_threads.h"
#include "threads/service_gate.h"
#include "utils/accessibility/accessible_dialog_base.h"
#include "utils/dpi.h"

namespace {
// Built at load time: two resource keys the host translates and joins.
const std::string kDeviceHint = std::string("POSSIBLE_DEFECTIVE_COMPONENTS") + ": " + "FINGERPRINT_READER";
}  // namespace

namespace module_graph {

namespace {

// After the release the host may unload the module: nothing of its code may
// then be left in the host's widget tree, and no thread of its may still run.
bool LeaveNothingBehind() {
  if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
    // A dialog still awaiting its deferred deletion goes now.
    for (QWidget* window : QApplication::topLevelWidgets())
      if (qobject_cast<kivra::utils::accessibility::AccessibleDialogBase*>(window)) delete window;
    kivra::utils::Dpi::Release();
    platform::ReleaseApplicationHooks();
  }
  // The threads of finished runs end at once; a thread in a call that was
  // given up on (a reader's, or a listing's) pins the module instead: it has
  // been waited for once already, so it is not waited for again.
  const auto now = std::chrono::steady_clock::now();
  return ModuleThreads::JoinAll(ServiceGate::AnyStuck() ? now : now + ServiceGate::kGrace);
}

}  // namespace

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
bool Release(ModuleInterface* root) {
  if (!root) return true;
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
  return LeaveNothingBehind();
}

}  // namespace module_graph
