#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonObject>
#include <QLocale>
#include <QResource>
#include <QSettings>
#include <QTimer>
#include <QTranslator>

#include "contract/diagnostic.h"
#include "contract/input_request.h"
#include "contract/module_interface.h"
#include "contract/settings.h"
#include "contract/system_component.h"
#include "contract/system_component_manager.h"
#include "contract/test.h"
#include "host/call_log.h"
#include "host/commands.h"
#include "host/dialog_screenshot.h"
#include "host/host_test_context.h"
#include "host/host_window.h"
#include "host/module_library.h"

namespace {

constexpr int kHostError = 2;

// The suite installs each module's catalogue application-wide, so that texts
// the module translates through Qt come out in the user's language.
void InstallModuleCatalogue(const QString& modulePath, QTranslator* translator) {
  const QString rcc = QFileInfo(modulePath).dir().filePath(QStringLiteral("fingerprint.rcc"));
  if (!QResource::registerResource(rcc)) {
    std::fprintf(stderr, "diag-host: no translations: cannot open '%s'\n", rcc.toLocal8Bit().constData());
    return;
  }
  const QString directory = QStringLiteral(":fingerprint/resources/translations");
  QString language = QLocale::system().name();
  if (!translator->load(QStringLiteral("fingerprint_") + language, directory) &&
      !translator->load(QStringLiteral("fingerprint_en_US"), directory)) {
    std::fprintf(stderr, "diag-host: no translations in '%s'\n", rcc.toLocal8Bit().constData());
    return;
  }
  QCoreApplication::installTranslator(translator);
}

// Reads a settings file in the suite's format into the map the test takes.
bool ReadSettings(const QString& path, Settings* settings, QString* error) {
  if (!QFileInfo::exists(path)) {
    *error = QStringLiteral("settings file '%1' does not exist").arg(path);
    return false;
  }
  QSettings file(path, QSettings::IniFormat);
  if (file.status() != QSettings::NoError) {
    *error = QStringLiteral("settings file '%1' is not a valid settings file").arg(path);
    return false;
  }
  for (const QString& group : file.childGroups()) {
    file.beginGroup(group);
    for (const QString& key : file.childKeys())
      (*settings)[group.toUpper().toStdString()][key.toUpper().toStdString()] =
          file.value(key).toString().toStdString();
    file.endGroup();
  }
  return true;
}

uint32_t AnswerCode(const QString& answer) {
  if (answer == QLatin1String("yes")) return InputRequest::Yes;
  if (answer == QLatin1String("no")) return InputRequest::No;
  return 0;
}

}  // namespace

int RunRunCommand(ModuleLibrary& module, const HostOptions& options) {
  QTranslator translator;
  InstallModuleCatalogue(module.Path(), &translator);

  ModuleInterface* root = module.Interface();
  Diagnostic* diagnostic = root->GetDiagnostic(0);
  Test* test = diagnostic ? diagnostic->GetTest(0) : nullptr;
  if (!test) {
    std::fputs("diag-host: the module offers no test\n", stderr);
    return kHostError;
  }

  if (!options.settingsFile.isEmpty()) {
    Settings settings;
    QString error;
    if (!ReadSettings(options.settingsFile, &settings, &error)) {
      std::fprintf(stderr, "diag-host: %s\n", error.toLocal8Bit().constData());
      return kHostError;
    }
    try {
      test->Configure(settings, nullptr);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "diag-host: settings file '%s': the test rejected its timeout: %s\n",
                   options.settingsFile.toLocal8Bit().constData(), e.what());
      return kHostError;
    }
  }

  SystemComponentManager* manager = root->GetComponentManager();
  manager->EnumerateComponents();
  if (options.device >= manager->GetComponentCount()) {
    if (manager->GetComponentCount() == 0)
      std::fputs("diag-host: no fingerprint reader found\n", stderr);
    else
      std::fprintf(stderr, "diag-host: no reader %u: the machine has %llu (ids 0 to %llu)\n", options.device,
                   static_cast<unsigned long long>(manager->GetComponentCount()),
                   static_cast<unsigned long long>(manager->GetComponentCount() - 1));
    return kHostError;
  }
  SystemComponent* reader = manager->GetComponent(options.device);

  const bool headless = QGuiApplication::platformName() == QLatin1String("offscreen") ||
                        QGuiApplication::platformName() == QLatin1String("minimal");
  CallLog log(options.json);
  // A screenshot run shows real windows but must not wait for a person.
  HostWindow window(headless || !options.screenshotFile.isEmpty(), AnswerCode(options.answer));
  if (!options.screenshotFile.isEmpty()) CaptureRecognitionDialog(options.screenshotFile);
  if (!headless) {
    log.SetListener([&window](const QString& line) { window.AppendLine(line); });
    window.show();
  }
  log.Write({{QStringLiteral("call"), QStringLiteral("note")},
             {QStringLiteral("text"),
              QStringLiteral("Running %1 on reader %2 (%3, backend %4)")
                  .arg(CallLog::Describe(QStringLiteral("RECOGNITION_TEST")),
                       QString::fromStdString(reader->GetDeviceId()),
                       headless ? QStringLiteral("headless") : QStringLiteral("window"), ChosenBackend())}});

  HostTestContext::Script script;
  script.abortAfterMs = options.abortAfterMs;
  script.eventAfterMs = options.eventAfterMs;
  HostTestContext context(reader, log, window, script);

  // Run from the event loop, as the suite's shell does.
  TestStatus status = TestStatus::Error;
  QTimer::singleShot(0, &window, [&] {
    status = test->Run(&context);
    QCoreApplication::exit(0);
  });
  QCoreApplication::exec();

  const int code = static_cast<int>(status);
  log.Write({{QStringLiteral("call"), QStringLiteral("status")},
             {QStringLiteral("status"), QString::fromLatin1(TestStatusName(status))},
             {QStringLiteral("code"), code}});
  return code;
}
