#include "module/fingerprint_resource.h"

namespace {
// Name of the suite's command-line application, as users type it.
constexpr const char* kCliName = "TaveroDiagnosticsCLI";

std::string TextFor(const ComponentId& asked, const ComponentId& owner, const char* text) {
  return asked.key == owner.key ? std::string(text) : std::string();
}
}  // namespace

FingerprintResource::FingerprintResource(ComponentId moduleId) : Resource(moduleId) {
  moduleName = "FINGERPRINT";
  moduleShortName = "FP";

  helpText = "Fingerprint Module help:\n";
  helpText += "  Usage: ";
  helpText += kCliName;
  helpText += " -Mfingerprint [diagnostic]\"[test(s)]\" [device id(s)]\n";
  helpText += " Tests:\n";
  helpText += "   r, recognition\t\t\tFingerprint Recognition Test*\n";
  helpText += "\n   * Test not supported on CLI\n";

  diagnosticAliases.insert({ids::kDiagnostic, CommandAlias{"Q", "quick", 2}});
  testAliases.insert({ids::kRecognitionTest, CommandAlias{"r", "recognition", 2}});
}

std::string FingerprintResource::GetDiagnosticName(const ComponentId& diagnosticId) {
  return TextFor(diagnosticId, ids::kDiagnostic, "QUICK_FINGERPRINT");
}

std::string FingerprintResource::GetTestName(const ComponentId& testId) {
  return TextFor(testId, ids::kRecognitionTest, "RECOGNITION_TEST");
}

std::string FingerprintResource::GetDiagnosticDescription(const ComponentId& diagnosticId) {
  return TextFor(diagnosticId, ids::kDiagnostic, "QUICK_FINGERPRINT_TESTS_TOOLTIP");
}

std::string FingerprintResource::GetTestDescription(const ComponentId& testId) {
  return TextFor(testId, ids::kRecognitionTest, "FINGERPRINT_RECOGNITION_TEST_DESCRIPTION");
}
