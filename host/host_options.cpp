#include "host/host_options.h"

const char* const kHostUsage =
    "Usage: diag-host [--module PATH] COMMAND [OPTIONS]\n"
    "\n"
    "Loads the fingerprint module the way the diagnostics suite does and drives it.\n"
    "\n"
    "Commands:\n"
    "  info                 product version, module names, diagnostics and tests\n"
    "  help                 the module's command-line help text\n"
    "  list [--json]        the fingerprint readers and their properties\n"
    "  run  [--device N] [--settings FILE] [--answer yes|no|none]\n"
    "       [--abort-after-ms N] [--event-after-ms N] [--screenshot FILE] [--json]\n"
    "       [--platform NAME]\n"
    "                       runs the Fingerprint Recognition Test; exit code = status\n"
    "\n"
    "Options:\n"
    "  --module PATH        module file (default: beside diag-host)\n"
    "  --json               machine-readable output\n"
    "  --platform NAME      Qt platform for run, e.g. offscreen (QT_QPA_PLATFORM does not reach\n"
    "                       Windows programs under Wine)\n"
    "\n"
    "Environment:\n"
    "  FINGERPRINT_SIM      JSON file describing the simulated machine (non-Windows builds)\n";

namespace {

bool TakeValue(const QStringList& args, int* i, const QString& name, QString* value, QString* error) {
  if (*i + 1 >= args.size()) {
    *error = QStringLiteral("option %1 needs a value").arg(name);
    return false;
  }
  *value = args.at(++*i);
  return true;
}

bool TakeNumber(const QStringList& args, int* i, const QString& name, int minimum, int* number,
                QString* error) {
  QString text;
  if (!TakeValue(args, i, name, &text, error)) return false;
  bool ok = false;
  *number = text.toInt(&ok);
  if (!ok || *number < minimum) {
    *error = QStringLiteral("option %1 expects a whole number of at least %2, not '%3'")
                 .arg(name)
                 .arg(minimum)
                 .arg(text);
    return false;
  }
  return true;
}

}  // namespace

std::optional<HostOptions> ParseHostOptions(const QStringList& args, QString* error) {
  HostOptions options;
  for (int i = 0; i < args.size(); ++i) {
    const QString& arg = args.at(i);
    int number = 0;
    if (arg == QLatin1String("--module")) {
      if (!TakeValue(args, &i, arg, &options.modulePath, error)) return std::nullopt;
    } else if (arg == QLatin1String("--json")) {
      options.json = true;
    } else if (arg == QLatin1String("--device")) {
      if (!TakeNumber(args, &i, arg, 0, &number, error)) return std::nullopt;
      options.device = static_cast<uint32_t>(number);
    } else if (arg == QLatin1String("--settings")) {
      if (!TakeValue(args, &i, arg, &options.settingsFile, error)) return std::nullopt;
    } else if (arg == QLatin1String("--screenshot")) {
      if (!TakeValue(args, &i, arg, &options.screenshotFile, error)) return std::nullopt;
    } else if (arg == QLatin1String("--platform")) {
      if (!TakeValue(args, &i, arg, &options.platform, error)) return std::nullopt;
    } else if (arg == QLatin1String("--answer")) {
      if (!TakeValue(args, &i, arg, &options.answer, error)) return std::nullopt;
      if (options.answer != QLatin1String("yes") && options.answer != QLatin1String("no") &&
          options.answer != QLatin1String("none")) {
        *error = QStringLiteral("option --answer expects yes, no or none, not '%1'").arg(options.answer);
        return std::nullopt;
      }
    } else if (arg == QLatin1String("--abort-after-ms")) {
      if (!TakeNumber(args, &i, arg, 0, &number, error)) return std::nullopt;
      options.abortAfterMs = number;
    } else if (arg == QLatin1String("--event-after-ms")) {
      if (!TakeNumber(args, &i, arg, 0, &number, error)) return std::nullopt;
      options.eventAfterMs = number;
    } else if (arg.startsWith(QLatin1String("-"))) {
      *error = QStringLiteral("unknown option '%1'").arg(arg);
      return std::nullopt;
    } else if (options.command.isEmpty()) {
      options.command = arg;
    } else {
      *error = QStringLiteral("unexpected argument '%1'").arg(arg);
      return std::nullopt;
    }
  }
  if (options.command.isEmpty()) {
    *error = QStringLiteral("no command given");
    return std::nullopt;
  }
  static const QStringList commands = {QStringLiteral("info"), QStringLiteral("help"), QStringLiteral("list"),
                                       QStringLiteral("run")};
  if (!commands.contains(options.command)) {
    *error = QStringLiteral("unknown command '%1'").arg(options.command);
    return std::nullopt;
  }
  return options;
}

QString ChosenBackend() {
  const QString chosen = qEnvironmentVariable("FINGERPRINT_BACKEND");
  return chosen.isEmpty() ? QStringLiteral("sim") : chosen;
}
