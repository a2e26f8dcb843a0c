#pragma once

// Fixed by the host contract: names, field order, virtual order and types; see docs/ARCHITECTURE.md.

#include <cstdint>
#include <map>
#include <string>

#include "contract/component_id.h"

// Command-line names of one diagnostic or test.
struct CommandAlias {
  std::string shortName;
  std::string longName;
  int32_t kind = 0;
};

using AliasMap = std::map<ComponentId, CommandAlias, ComponentIdLess>;
using KeyedTexts = std::map<int, std::string>;

// Names, descriptions, aliases and help text the host shows for a module.
// Everything is returned by value: the host gets copies.
class Resource {
 public:
  explicit Resource(ComponentId moduleId) : id(moduleId) {}
  virtual ~Resource() = default;

  virtual uint64_t GetReserved() { return reserved; }
  virtual std::string GetDiagnosticName(const ComponentId& diagnosticId) = 0;
  virtual std::string GetTestName(const ComponentId& testId) = 0;
  virtual std::string GetDiagnosticDescription(const ComponentId& diagnosticId) = 0;
  virtual std::string GetTestDescription(const ComponentId& testId) = 0;
  virtual std::string GetHelpText() { return helpText; }
  virtual std::string GetModuleName() { return moduleName; }
  virtual std::string GetModuleShortName() { return moduleShortName; }
  virtual AliasMap GetTestAliases() { return testAliases; }
  virtual AliasMap GetDiagnosticAliases() { return diagnosticAliases; }
  virtual KeyedTexts GetKeyedTexts() { return keyedTexts; }
  virtual void SetKeyedTexts(const KeyedTexts& texts);

 protected:
  ComponentId id;
  std::string helpText;
  std::string moduleName;
  std::string moduleShortName;
  KeyedTexts keyedTexts;
  AliasMap testAliases;
  AliasMap diagnosticAliases;
  uint64_t reserved = 0;
};
