#include <cstdio>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "contract/diagnostic.h"
#include "contract/module_interface.h"
#include "contract/product_version.h"
#include "contract/resource.h"
#include "contract/test.h"
#include "host/call_log.h"
#include "host/commands.h"
#include "host/host_error.h"
#include "host/module_catalogue.h"
#include "host/module_library.h"

namespace {

QString IdText(const ComponentId& id) {
  return QStringLiteral("%1.%2.%3").arg(id.module).arg(id.diagnostic).arg(id.test);
}

QString S(const std::string& text) {
  return QString::fromStdString(text);
}

// A text id with its translation, as the run's log shows them.
QString T(const std::string& id) {
  return CallLog::Describe(S(id));
}

// The JSON form of a named thing: its ids and their translations.
void AddTexts(QJsonObject& object, const std::string& name, const std::string& description) {
  object.insert(QStringLiteral("name"), S(name));
  object.insert(QStringLiteral("nameTranslation"), CallLog::Translate(S(name)));
  object.insert(QStringLiteral("description"), S(description));
  object.insert(QStringLiteral("descriptionTranslation"), CallLog::Translate(S(description)));
}

QJsonObject AliasJson(const AliasMap& aliases, const ComponentId& id) {
  const auto it = aliases.find(id);
  if (it == aliases.end()) return {};
  return {{QStringLiteral("short"), S(it->second.shortName)},
          {QStringLiteral("long"), S(it->second.longName)},
          {QStringLiteral("kind"), it->second.kind}};
}

QString AliasText(const AliasMap& aliases, const ComponentId& id) {
  const auto it = aliases.find(id);
  if (it == aliases.end()) return QStringLiteral("(none)");
  return QStringLiteral("-%1, %2").arg(S(it->second.shortName), S(it->second.longName));
}

// The module's resource, or null with `error` saying which object was missing.
Resource* ModuleResource(ModuleLibrary& module, QString* error) {
  ModuleInterface* root = module.Interface(error);
  if (!root) return nullptr;
  Resource* resource = root->GetResource();
  if (!resource) *error = QStringLiteral("module file '%1' has no resource (null)").arg(module.Path());
  return resource;
}

}  // namespace

int ShowInfo(ModuleLibrary& module, const HostOptions& options) {
  const ModuleCatalogue catalogue(module.Path());
  QString error;
  ProductVersion* version = module.Version(&error);
  Resource* resource = version ? ModuleResource(module, &error) : nullptr;
  if (!resource) return ReportHostError(options.json, error);
  const QString versionText = QStringLiteral("%1.%2.%3.%4")
                                  .arg(version->GetMajor())
                                  .arg(version->GetMinor())
                                  .arg(version->GetPatch())
                                  .arg(version->GetBuild());
  ModuleInterface* root = module.Interface(&error);
  const AliasMap diagnosticAliases = resource->GetDiagnosticAliases();
  const AliasMap testAliases = resource->GetTestAliases();

  QJsonArray diagnosticsJson;
  QString text;
  text += QStringLiteral("Product version: %1\n").arg(versionText);
  text += QStringLiteral("Module:          %1 (short name %2)\n")
              .arg(T(resource->GetModuleName()), S(resource->GetModuleShortName()));
  for (uint32_t i = 0; i < root->GetDiagnosticCount(); ++i) {
    Diagnostic* diagnostic = root->GetDiagnostic(i);
    if (!diagnostic) continue;
    const ComponentId id = diagnostic->GetId();
    text += QStringLiteral("\nDiagnostic %1\n  name:        %2\n  description: %3\n  aliases:     %4\n")
                .arg(IdText(id), T(resource->GetDiagnosticName(id)),
                     T(resource->GetDiagnosticDescription(id)), AliasText(diagnosticAliases, id));
    QJsonArray testsJson;
    for (uint32_t j = 0; j < diagnostic->GetTestCount(); ++j) {
      Test* test = diagnostic->GetTest(j);
      if (!test) continue;
      const ComponentId testId = test->id;
      text += QStringLiteral("  Test %1\n    name:        %2\n    description: %3\n    aliases:     %4\n")
                  .arg(IdText(testId), T(resource->GetTestName(testId)),
                       T(resource->GetTestDescription(testId)), AliasText(testAliases, testId));
      QJsonObject testJson{{QStringLiteral("id"), IdText(testId)},
                           {QStringLiteral("alias"), AliasJson(testAliases, testId)}};
      AddTexts(testJson, resource->GetTestName(testId), resource->GetTestDescription(testId));
      testsJson.append(testJson);
    }
    QJsonObject diagnosticJson{{QStringLiteral("id"), IdText(id)},
                               {QStringLiteral("alias"), AliasJson(diagnosticAliases, id)},
                               {QStringLiteral("tests"), testsJson}};
    AddTexts(diagnosticJson, resource->GetDiagnosticName(id), resource->GetDiagnosticDescription(id));
    diagnosticsJson.append(diagnosticJson);
  }

  if (options.json) {
    const QJsonObject json{
        {QStringLiteral("productVersion"), versionText},
        {QStringLiteral("moduleName"), S(resource->GetModuleName())},
        {QStringLiteral("moduleNameTranslation"), CallLog::Translate(S(resource->GetModuleName()))},
        {QStringLiteral("moduleShortName"), S(resource->GetModuleShortName())},
        {QStringLiteral("diagnostics"), diagnosticsJson}};
    std::printf("%s\n", QJsonDocument(json).toJson(QJsonDocument::Compact).constData());
  } else {
    std::fputs(text.toUtf8().constData(), stdout);
  }
  return 0;
}

int ShowHelp(ModuleLibrary& module, const HostOptions& options) {
  QString error;
  Resource* resource = ModuleResource(module, &error);
  if (!resource) return ReportHostError(options.json, error);
  const std::string help = resource->GetHelpText();
  std::fwrite(help.data(), 1, help.size(), stdout);
  return 0;
}
