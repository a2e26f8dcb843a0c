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

int main(int argc, char** argv) {
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

  // Only the test run needs widgets; the other commands stay usable without a display.
  std::unique_ptr<QCoreApplication> app;
  if (!options->platform.isEmpty()) qputenv("QT_QPA_PLATFORM", options->platform.toLocal8Bit());
  const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
  if (options->command == QLatin1String("run") && !platform.isEmpty()) {
    // Beside the program, as in the Windows package, or where Qt keeps them.
    const QString programDirectory = QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath();
    if (!CheckQtPlatform(platform, {programDirectory}, &error))
      return ReportHostError(
          options->json,
          QStringLiteral("%1: %2").arg(options->platform.isEmpty() ? QStringLiteral("QT_QPA_PLATFORM")
                                                                   : QStringLiteral("option --platform"),
                                       error));
  }
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
  if (options->command == QLatin1String("run") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
      qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");  // no display: run headless
#endif
  if (options->command == QLatin1String("run"))
    app = std::make_unique<QApplication>(argc, argv);
  else
    app = std::make_unique<QCoreApplication>(argc, argv);

  ModuleLibrary module;
  const QString path = options->modulePath.isEmpty() ? ModuleLibrary::DefaultPath() : options->modulePath;
  if (!module.Load(path, &error)) return ReportHostError(options->json, error);

  int code = 0;
  if (options->command == QLatin1String("info"))
    code = RunInfoCommand(module, *options);
  else if (options->command == QLatin1String("help"))
    code = RunHelpCommand(module, *options);
  else if (options->command == QLatin1String("list"))
    code = RunListCommand(module, *options);
  else
    code = RunRunCommand(module, *options);
  std::fflush(stdout);
  module.Release();
  return code;
}
