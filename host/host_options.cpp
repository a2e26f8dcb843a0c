#include "host/host_options.h"

#include <functional>

#include "common/quoted_text.h"

const char* const kHostUsage =
    "Usage: diag-host [--module PATH] COMMAND [OPTIONS]\n"
    "       diag-host --help | --version\n"
    "\n"
    "Loads the fingerprint module the way the diagnostics suite does and drives it.\n"
    "\n"
    "Commands:\n"
    "  info [--json]        product version, module names, diagnostics and tests\n"
    "  help                 the module's command-line help text\n"
    "  list [--json]        the backend in use and why, the fingerprint readers and their properties\n"
    "  run  [--device N] [--settings FILE] [--answer yes|no|none]\n"
    "       [--abort-after-ms N] [--event-after-ms N] [--screenshot FILE]\n"
    "       [--screenshot-after-ms N] [--platform NAME] [--unload] [--json]\n"
    "                       runs the Fingerprint Recognition Test; exit code = status\n"
    "\n"
    "Options (also written --option=VALUE):\n"
    "  --module PATH        module file (default: beside diag-host, else the installed one)\n"
    "  --json               machine-readable output; the last line is always a JSON object\n"
    "  --device N           run: the reader's index in the listing (default 0)\n"
    "  --settings FILE      run: INI file, section CSAT, key CSAT_TEST_TIMEOUT (seconds, default 9)\n"
    "  --answer yes|no|none run: the answer to the module's questions without a person (default none)\n"
    "  --abort-after-ms N   run: the host asks the test to abort after N ms\n"
    "  --event-after-ms N   run: the host reports a pending event after N ms\n"
    "  --screenshot FILE    run: saves a picture of the dialog (PNG) into an existing folder\n"
    "  --screenshot-after-ms N\n"
    "                       run: takes it N ms after the dialog appears (default 700)\n"
    "  --platform NAME      run: Qt platform: xcb, wayland, windows (with windows) or offscreen, minimal\n"
    "                       (headless); QT_QPA_PLATFORM does not reach Windows programs under Wine\n"
    "  --unload             run: afterwards releases and unloads the module, then closes the window\n"
    "  --help, -h           this text, also after a command\n"
    "  --version            diag-host's product version\n"
    "\n"
    "Environment:\n"
    "  FINGERPRINT_BACKEND  sim, fprintd or libfprint, in any case; unset: the machine's real readers,\n"
    "                       through fprintd where it is on the system bus, else libfprint (non-Windows)\n"
    "  FINGERPRINT_SIM      JSON file describing the simulated machine; set, it chooses that machine\n"
    "  QT_QPA_PLATFORM      Qt platform plugin; run is headless without a display\n"
    "\n"
    "Exit codes:\n"
    "  info, help, list     0, or 2 on an error\n"
    "  run                  the test's status: 0 Passed, 1 Failed, 3 NotSupported, 4 Aborted,\n"
    "                       5 NotRecognized, 6 Error\n"
    "  2                    diag-host could not do what was asked: a bad option, settings file or\n"
    "                       FINGERPRINT_SIM file, a missing module file or export, a module that\n"
    "                       gives no interface, no such reader, a platform that cannot start\n";

namespace {

using Apply = std::function<bool(HostOptions&, const QString& value, QString* error)>;

// One command-line option: its name, whether it takes a value, the commands
// it applies to (none listed: all) and what it sets.
struct OptionSpec {
  const char* name;
  bool takesValue;
  QStringList commands;
  Apply apply;
};

bool Number(const QString& name, const QString& text, int minimum, int* number, QString* error) {
  bool ok = false;
  *number = text.toInt(&ok);
  if (!ok || *number < minimum) {
    *error = QStringLiteral("option %1 expects a whole number of at least %2, not %3")
                 .arg(name)
                 .arg(minimum)
                 .arg(common::QuotedText(text));
    return false;
  }
  return true;
}

const std::vector<OptionSpec>& Options() {
  const QStringList run{QStringLiteral("run")};
  static const std::vector<OptionSpec> options = {
      {"--module",
       true,
       {},
       [](HostOptions& o, const QString& v, QString*) { return o.modulePath = v, true; }},
      {"--json",
       false,
       {QStringLiteral("info"), QStringLiteral("list"), QStringLiteral("run")},
       [](HostOptions& o, const QString&, QString*) { return o.json = true; }},
      {"--device", true, run,
       [](HostOptions& o, const QString& v, QString* e) {
         int n = 0;
         if (!Number(QStringLiteral("--device"), v, 0, &n, e)) return false;
         o.device = static_cast<uint32_t>(n);
         return true;
       }},
      {"--settings", true, run,
       [](HostOptions& o, const QString& v, QString*) { return o.settingsFile = v, true; }},
      {"--answer", true, run,
       [](HostOptions& o, const QString& v, QString* e) {
         if (v != QLatin1String("yes") && v != QLatin1String("no") && v != QLatin1String("none")) {
           *e = QStringLiteral("option --answer expects yes, no or none, not %1").arg(common::QuotedText(v));
           return false;
         }
         o.answer = v;
         return true;
       }},
      {"--abort-after-ms", true, run,
       [](HostOptions& o, const QString& v, QString* e) {
         int n = 0;
         if (!Number(QStringLiteral("--abort-after-ms"), v, 0, &n, e)) return false;
         o.abortAfterMs = n;
         return true;
       }},
      {"--event-after-ms", true, run,
       [](HostOptions& o, const QString& v, QString* e) {
         int n = 0;
         if (!Number(QStringLiteral("--event-after-ms"), v, 0, &n, e)) return false;
         o.eventAfterMs = n;
         return true;
       }},
      {"--screenshot", true, run,
       [](HostOptions& o, const QString& v, QString*) { return o.screenshotFile = v, true; }},
      {"--screenshot-after-ms", true, run,
       [](HostOptions& o, const QString& v, QString* e) {
         return Number(QStringLiteral("--screenshot-after-ms"), v, 0, &o.screenshotAfterMs, e);
       }},
      {"--platform", true, run,
       [](HostOptions& o, const QString& v, QString*) { return o.platform = v, true; }},
      {"--unload", false, run, [](HostOptions& o, const QString&, QString*) { return o.unload = true; }},
  };
  return options;
}

const OptionSpec* FindOption(const QString& name) {
  for (const OptionSpec& option : Options())
    if (name == QLatin1String(option.name)) return &option;
  return nullptr;
}

}  // namespace

std::optional<HostOptions> ParseHostOptions(const QStringList& args, QString* error) {
  HostOptions options;
  if (args.size() == 1 && args[0] == QLatin1String("--version")) {
    options.showVersion = true;
    return options;
  }
  QStringList given;
  for (int i = 0; i < args.size(); ++i) {
    const QString& arg = args.at(i);
    // --name=value, or --name value.
    const qsizetype equals = arg.startsWith(QLatin1String("--")) ? arg.indexOf(QLatin1Char('=')) : -1;
    const QString name = equals < 0 ? arg : arg.left(equals);
    if (const OptionSpec* option = FindOption(name)) {
      QString value;
      if (!option->takesValue) {
        if (equals >= 0) {
          *error = QStringLiteral("option %1 takes no value").arg(name);
          return std::nullopt;
        }
      } else if (equals >= 0) {
        value = arg.mid(equals + 1);
      } else if (i + 1 < args.size()) {
        value = args.at(++i);
      } else {
        *error = QStringLiteral("option %1 needs a value").arg(name);
        return std::nullopt;
      }
      if (option->takesValue && value.isEmpty()) {
        *error = QStringLiteral("option %1 needs a value, not an empty one").arg(name);
        return std::nullopt;
      }
      if (!option->apply(options, value, error)) return std::nullopt;
      given << name;
    } else if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
      options.showUsage = true;  // with a command too: "run --help"
    } else if (arg == QLatin1String("--version")) {
      *error = QStringLiteral("option --version stands alone, without a command or other options");
      return std::nullopt;
    } else if (arg.startsWith(QLatin1String("-"))) {
      *error = QStringLiteral("unknown option %1").arg(common::QuotedText(name));
      return std::nullopt;
    } else if (options.command.isEmpty()) {
      options.command = arg;
    } else {
      *error = QStringLiteral("unexpected argument %1").arg(common::QuotedText(arg));
      return std::nullopt;
    }
  }
  if (options.showUsage) return options;
  if (options.command.isEmpty()) {
    *error = QStringLiteral("no command given");
    return std::nullopt;
  }
  static const QStringList commands = {QStringLiteral("info"), QStringLiteral("help"), QStringLiteral("list"),
                                       QStringLiteral("run")};
  if (!commands.contains(options.command)) {
    *error = QStringLiteral("unknown command %1").arg(common::QuotedText(options.command));
    return std::nullopt;
  }
  for (const QString& name : given) {
    const OptionSpec* option = FindOption(name);
    if (!option->commands.isEmpty() && !option->commands.contains(options.command)) {
      *error = QStringLiteral("option %1 does not apply to '%2' (only to %3)")
                   .arg(name, options.command, option->commands.join(QStringLiteral(", ")));
      return std::nullopt;
    }
  }
  if (given.contains(QLatin1String("--screenshot-after-ms")) && options.screenshotFile.isEmpty()) {
    *error = QStringLiteral("option --screenshot-after-ms needs --screenshot FILE");
    return std::nullopt;
  }
  return options;
}

bool WantsJson(const QStringList& arguments) {
  return arguments.contains(QStringLiteral("--json"));
}
