#include <cstdio>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "contract/diagnostic.h"
#include "contract/module_interface.h"
#include "contract/product_version.h"
#include "contract/resource.h"
#include "contract/test.h"
#include "host/commands.h"
#include "host/module_library.h"

namespace {

QString IdText(const ComponentId& id) {
  return QStringLiteral("%1.%2.%3").arg(id.module).arg(id.diagnostic).arg(id.test);
}

QString S(const std::string& text) {
  return QString::fromStdString(text);
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

}  // namespace

int RunInfoCommand(ModuleLibrary& module, const HostOptions& options) {
  ProductVersion* version = module.Version();
  const QString versionText = QStringLiteral("%1.%2.%3.%4")
                                  .arg(version->GetMajor())
                                  .arg(version->GetMinor())
                                  .arg(version->GetPatch())
                                  .arg(version->GetBuild());
  ModuleInterface* root = module.Interface();
  Resource* resource = root->GetResource();
  const AliasMap diagnosticAliases = resource->GetDiagnosticAliases();
  const AliasMap testAliases = resource->GetTestAliases();

  QJsonArray diagnosticsJson;
  QString text;
  text += QStringLiteral("Product version: %1\n").arg(versionText);
  text += QStringLiteral("Module:          %1 (short name %2)\n")
              .arg(S(resource->GetModuleName()), S(resource->GetModuleShortName()));
  for (uint32_t i = 0; i < root->GetDiagnosticCount(); ++i) {
    Diagnostic* diagnostic = root->GetDiagnostic(i);
    if (!diagnostic) continue;
    const ComponentId id = diagnostic->GetId();
    text += QStringLiteral("\nDiagnostic %1\n  name:        %2\n  description: %3\n  aliases:     %4\n")
                .arg(IdText(id), S(resource->GetDiagnosticName(id)),
                     S(resource->GetDiagnosticDescription(id)), AliasText(diagnosticAliases, id));
    QJsonArray testsJson;
    for (uint32_t j = 0; j < diagnostic->GetTestCount(); ++j) {
      Test* test = diagnostic->GetTest(j);
      if (!test) continue;
      const ComponentId testId = test->id;
      text += QStringLiteral("  Test %1\n    name:        %2\n    description: %3\n    aliases:     %4\n")
                  .arg(IdText(testId), S(resource->GetTestName(testId)),
                       S(resource->GetTestDescription(testId)), AliasText(testAliases, testId));
      testsJson.append(QJsonObject{{QStringLiteral("id"), IdText(testId)},
                                   {QStringLiteral("name"), S(resource->GetTestName(testId))},
                                   {QStringLiteral("description"), S(resource->GetTestDescription(testId))},
                                   {QStringLiteral("alias"), AliasJson(testAliases, testId)}});
    }
    diagnosticsJson.append(
        QJsonObject{{QStringLiteral("id"), IdText(id)},
                    {QStringLiteral("name"), S(resource->GetDiagnosticName(id))},
                    {QStringLiteral("description"), S(resource->GetDiagnosticDescription(id))},
                    {QStringLiteral("alias"), AliasJson(diagnosticAliases, id)},
                    {QStringLiteral("tests"), testsJson}});
  }

  if (options.json) {
    const QJsonObject json{{QStringLiteral("productVersion"), versionText},
                           {QStringLiteral("moduleName"), S(resource->GetModuleName())},
                           {QStringLiteral("moduleShortName"), S(resource->GetModuleShortName())},
                           {QStringLiteral("diagnostics"), diagnosticsJson}};
    std::fputs(QJsonDocument(json).toJson(QJsonDocument::Indented).constData(), stdout);
  } else {
    std::fputs(text.toUtf8().constData(), stdout);
  }
  return 0;
}

int RunHelpCommand(ModuleLibrary& module, const HostOptions& /*options*/) {
  const std::string help = module.Interface()->GetResource()->GetHelpText();
  std::fwrite(help.data(), 1, help.size(), stdout);
  return 0;
}
