#include <cstdio>
#include <exception>
#include <memory>

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonObject>
#include <QTimer>

#include "contract/diagnostic.h"
#include "contract/input_request.h"
#include "contract/module_interface.h"
#include "contract/settings.h"
#include "contract/system_component.h"
#include "contract/system_component_manager.h"
#include "contract/test.h"
#include "host/backend_in_use.h"
#include "host/call_log.h"
#include "host/commands.h"
#include "host/dialog_screenshot.h"
#include "host/host_error.h"
#include "host/host_test_context.h"
#include "host/host_window.h"
#include "host/module_catalogue.h"
#include "host/module_library.h"
#include "host/settings_file.h"
#include "host/simulated_machine.h"

namespace {

uint32_t AnswerCode(const QString& answer) {
  if (answer == QLatin1String("yes")) return InputRequest::Yes;
  if (answer == QLatin1String("no")) return InputRequest::No;
  return 0;
}

}  // namespace

int RunTest(ModuleLibrary& module, const HostOptions& options) {
  const ModuleCatalogue catalogue(module.Path());
  const auto fail = [&options](const QString& message) { return ReportHostError(options.json, message); };

  if (!options.screenshotFile.isEmpty()) {
    // The picture goes where the user said; a folder that is not there is a typing error.
    const QFileInfo folder(QFileInfo(options.screenshotFile).absolutePath());
    if (!folder.isDir())
      return fail(
          QStringLiteral("option --screenshot: '%1' is not a folder%2")
              .arg(folder.filePath(), folder.exists() ? QString() : QStringLiteral(" (it does not exist)")));
  }

  QString error;
  ModuleInterface* root = module.Interface(&error);
  if (!root) return fail(error);
  Diagnostic* diagnostic = root->GetDiagnostic(0);
  Test* test = diagnostic ? diagnostic->GetTest(0) : nullptr;
  if (!test) return fail(QStringLiteral("the module offers no test"));

  if (!options.settingsFile.isEmpty()) {
    Settings settings;
    if (!ReadSettingsFile(options.settingsFile, &settings, &error)) return fail(error);
    try {
      test->Configure(settings, nullptr);
    } catch (const std::exception& e) {
      return fail(QStringLiteral("settings file '%1': the test rejected its timeout: %2")
                      .arg(options.settingsFile, QString::fromLocal8Bit(e.what())));
    }
  }

  SystemComponentManager* manager = root->GetComponentManager();
  if (!manager)
    return fail(QStringLiteral("module file '%1' has no component manager (null)").arg(module.Path()));
  manager->EnumerateComponents();
  const uint64_t count = manager->GetComponentCount();
  if (count == 0) {
    const QString why = WhyNoReaders();
    return fail(QStringLiteral("no fingerprint reader found") +
                (why.isEmpty() ? QString() : QStringLiteral(": ") + why));
  }
  if (options.device >= count)
    return fail(QStringLiteral("no reader %1: the machine has %2 (ids 0 to %3)")
                    .arg(options.device)
                    .arg(count)
                    .arg(count - 1));
  SystemComponent* reader = manager->GetComponent(options.device);

  const bool headless = QGuiApplication::platformName() == QLatin1String("offscreen") ||
                        QGuiApplication::platformName() == QLatin1String("minimal");
  CallLog log(options.json);
  // A screenshot run shows real windows but must not wait for a person.
  HostWindow window(headless || !options.screenshotFile.isEmpty(), AnswerCode(options.answer));
  std::shared_ptr<ScreenshotOutcome> screenshot;
  if (!options.screenshotFile.isEmpty())
    screenshot = CaptureRecognitionDialog(options.screenshotFile, options.screenshotAfterMs,
                                          [&log] { return log.Elapsed(); });
  if (!headless) {
    log.SetListener([&window](const QString& line) { window.AppendLine(line); });
    window.show();
  }
  log.Write(
      {{QStringLiteral("call"), QStringLiteral("note")},
       {QStringLiteral("text"), QStringLiteral("Running %1 on reader %2 (%3, backend %4)")
                                    .arg(CallLog::Describe(QStringLiteral("RECOGNITION_TEST")),
                                         QString::fromStdString(reader->GetDeviceId()),
                                         headless ? QStringLiteral("headless") : QStringLiteral("window"),
                                         QString::fromStdString(BackendInUse().name))}});

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

  if (screenshot) {
    // A picture that was asked for and not made must not pass unnoticed.
    if (!screenshot->saved)
      std::fprintf(stderr, "diag-host: no screenshot in '%s': %s\n",
                   options.screenshotFile.toLocal8Bit().constData(),
                   screenshot->problem.toLocal8Bit().constData());
    QJsonObject line{{QStringLiteral("call"), QStringLiteral("screenshot")},
                     {QStringLiteral("file"), options.screenshotFile},
                     {QStringLiteral("saved"), screenshot->saved},
                     {QStringLiteral("problem"), screenshot->problem}};
    if (screenshot->takenAt >= 0) {
      line.insert(QStringLiteral("takenAt"), screenshot->takenAt);
      line.insert(QStringLiteral("dialog"), screenshot->dialog);
    }
    log.Write(line);
  }
  if (options.unload) {
    // Before the window goes: nothing of the module may be left in it.
    const bool unloaded = module.Unload(&error);
    if (!unloaded) std::fprintf(stderr, "diag-host: %s\n", error.toLocal8Bit().constData());
    log.Write({{QStringLiteral("call"), QStringLiteral("unload")}, {QStringLiteral("unloaded"), unloaded}});
  }
  const int code = static_cast<int>(status);
  log.Write({{QStringLiteral("call"), QStringLiteral("status")},
             {QStringLiteral("status"), QString::fromLatin1(TestStatusName(status))},
             {QStringLiteral("code"), code}});
  return code;
}
