// diag-host list: the machine's fingerprint readers, as the suite lists them,
// through the module's component manager.
#include <cstdio>
#include <exception>
#include <string>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include "contract/module_interface.h"
#include "contract/system_component.h"
#include "contract/system_component_manager.h"
#include "host/backend_in_use.h"
#include "host/commands.h"
#include "host/host_error.h"
#include "host/module_library.h"
#include "host/simulated_machine.h"

namespace {

// Property values are UTF-8 except the UDI, which the module narrows one byte
// per character; a value that is not valid UTF-8 is shown as Latin-1.
QString Text(const std::string& bytes) {
  const QByteArray raw = QByteArray::fromStdString(bytes);
  const QString text = QString::fromUtf8(raw);
  return text.toUtf8() == raw ? text : QString::fromLatin1(raw);
}

void Write(const std::string& bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

}  // namespace

int ListReaders(ModuleLibrary& module, const HostOptions& options) {
  QString error;
  ModuleInterface* root = module.Interface(&error);
  if (!root) return ReportHostError(options.json, error);
  SystemComponentManager* manager = root->GetComponentManager();
  if (!manager)
    return ReportHostError(
        options.json, QStringLiteral("module file '%1' has no component manager (null)").arg(module.Path()));
  try {
    manager->EnumerateComponents();
  } catch (const std::exception& failure) {
    return ReportHostError(
        options.json,
        QStringLiteral("enumerating the readers failed: %1").arg(QString::fromLocal8Bit(failure.what())));
  }
  const common::BackendChoice& backend = BackendInUse();

  const uint64_t count = manager->GetComponentCount();
  if (!options.json) Write("Backend: " + backend.name + " (" + backend.reason + ")\n");
  QJsonArray readers;
  for (uint32_t i = 0; i < count; ++i) {
    SystemComponent* component = manager->GetComponent(i);
    if (!component) continue;
    const std::string deviceId = component->GetDeviceId();
    const ComponentInfo info = component->GetInfo();
    if (options.json) {
      QJsonArray properties;
      for (const Property& property : info.properties)
        properties.append(QJsonObject{{QStringLiteral("key"), Text(property.first)},
                                      {QStringLiteral("value"), Text(property.second)}});
      readers.append(QJsonObject{{QStringLiteral("deviceId"), Text(deviceId)},
                                 {QStringLiteral("typeName"), Text(info.typeName)},
                                 {QStringLiteral("properties"), properties}});
      continue;
    }
    // Plain text keeps the bytes exactly as the module gave them.
    Write("Reader " + deviceId + "\n");
    Write("  type: " + info.typeName + "\n");
    for (const Property& property : info.properties)
      Write("  " + property.first + ": " + property.second + "\n");
  }

  const QString why = count == 0 ? WhyNoReaders() : QString();
  if (options.json) {
    QJsonObject json{{QStringLiteral("backend"), QString::fromStdString(backend.name)},
                     {QStringLiteral("backendReason"), QString::fromStdString(backend.reason)},
                     {QStringLiteral("readers"), readers}};
    if (!why.isEmpty()) json.insert(QStringLiteral("whyNoReaders"), why);
    std::printf("%s\n", QJsonDocument(json).toJson(QJsonDocument::Compact).constData());
  } else if (count == 0) {
    std::printf("No fingerprint readers found%s.\n",
                why.isEmpty() ? "" : (QStringLiteral(": ") + why).toUtf8().constData());
  }
  return 0;
}
