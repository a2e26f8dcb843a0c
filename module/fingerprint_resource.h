#pragma once

#include "contract/resource.h"

// The fingerprint module's names, aliases and command-line help.
class FingerprintResource : public Resource {
 public:
  explicit FingerprintResource(ComponentId moduleId);
  ~FingerprintResource() override = default;

  std::string GetDiagnosticName(const ComponentId& diagnosticId) override;
  std::string GetTestName(const ComponentId& testId) override;
  std::string GetDiagnosticDescription(const ComponentId& diagnosticId) override;
  std::string GetTestDescription(const ComponentId& testId) override;
};
