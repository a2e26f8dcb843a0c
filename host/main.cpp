// diag-host: loads the fingerprint module as the diagnostics suite does and
// drives it from the command line.

#include <cstdio>
#include <memory>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "host/commands.h"
#include "host/host_error.h"
#include "host/host_options.h"
#include "host/module_library.h"
#include "host/qt_platform_check.h"
#include "host/simulated_machine.h"

namespace {

// Where the platform that is to be started comes from, for messages.
QString PlatformSource(const HostOptions& options) {
  if (!options.platform.isEmpty()) return QStringLiteral("option --platform");
  if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return QStringLiteral("QT_QPA_PLATFORM");
  QStringList displays;
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"})
    if (!qEnvironmentVariableIsEmpty(variable))
      displays << QStringLiteral("%1=%2").arg(QLatin1String(variable), qEnvironmentVariable(variable));
  return displays.join(QStringLiteral(", "));
}

}  // namespace

int main(int argc, char** argv) {
  if (IsQtPlatformProbe()) return RunQtPlatformProbe(argv[0]);
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  QString error;
  const std::optional<HostOptions> options = ParseHostOptions(arguments, &error);
  if (!options) {
    ReportHostError(WantsJson(arguments), error);
    std::fputs("diag-host: 'diag-host --help' prints the usage\n", stderr);
    return kHostError;
  }
  if (options->showUsage) {
    std::fputs(kHostUsage, stdout);
    return 0;
  }
  if (options->showVersion) {
    std::printf("diag-host %s\n", FP_PRODUCT_VERSION);
    return 0;
  }

  // Qt takes options of its own from the command line (-platform, -display,
  // --platform ""...): diag-host's options are its own, so Qt sees none.
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  // Only the test run needs widgets; the other commands stay usable without a display.
  std::unique_ptr<QCoreApplication> app;
  if (options->command == QLatin1String("run")) {
    if (!options->platform.isEmpty()) qputenv("QT_QPA_PLATFORM", options->platform.toLocal8Bit());
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    // Beside the program, as in the Windows package, or where Qt keeps them.
    const QString programDirectory = QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath();
    if (!platform.isEmpty() && !CheckQtPlatform(platform, {programDirectory}, &error))
      return ReportHostError(options->json, QStringLiteral("%1: %2").arg(PlatformSource(*options), error));
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    if (platform.isEmpty() && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
      qputenv("QT_QPA_PLATFORM", "offscreen");  // no display: run headless
#endif
    if (QtPlatformNeedsDisplay(qEnvironmentVariable("QT_QPA_PLATFORM"))) {
      // The display may be gone or never answer: a process of its own tries it first.
      const QCoreApplication probing(qtArgc, qtArgv);
      if (!ProbeQtPlatform(QCoreApplication::applicationFilePath(), &error))
        return ReportHostError(options->json, QStringLiteral("%1: %2").arg(PlatformSource(*options), error));
    }
    app = std::make_unique<QApplication>(qtArgc, qtArgv);
  } else {
    app = std::make_unique<QCoreApplication>(qtArgc, qtArgv);
  }

  ModuleLibrary module;
  const QString path = options->modulePath.isEmpty() ? ModuleLibrary::DefaultPath() : options->modulePath;
  if (!module.Load(path, &error)) return ReportHostError(options->json, error);
  // The user named the machine to simulate: a file that cannot be used is no
  // machine without readers. (The module's help text does not depend on it.)
  if (options->command != QLatin1String("help") && !SimulatedMachine::InForce(&error))
    return ReportHostError(options->json, error);

  int code = 0;
  if (options->command == QLatin1String("info"))
    code = ShowInfo(module, *options);
  else if (options->command == QLatin1String("help"))
    code = ShowHelp(module, *options);
  else if (options->command == QLatin1String("list"))
    code = ListReaders(module, *options);
  else
    code = RunTest(module, *options);
  std::fflush(stdout);
  module.Release();
  return code;
}
