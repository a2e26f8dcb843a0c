// diag-host as a user runs it: options, exit codes, the --json lines, a
// FINGERPRINT_SIM file that cannot be used and the chosen backend.
#include <gtest/gtest.h>
#include <tuple>

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/support/test_support.h"

namespace {

struct Result {
  int code = -1;
  QString out;
  QString err;
};

Result RunHost(const QStringList& arguments, const QString& simFile = {}, const char* backend = nullptr,
               const QProcessEnvironment& extra = {}) {
  QProcess host;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  // The user's language as the desktop gives it: English unless a case says otherwise.
  for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
    environment.remove(QLatin1String(variable));
  environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.remove(QStringLiteral("FINGERPRINT_SIM"));
  environment.remove(QStringLiteral("FINGERPRINT_BACKEND"));  // the simulated machine
  if (!simFile.isEmpty()) environment.insert(QStringLiteral("FINGERPRINT_SIM"), simFile);
  if (backend) environment.insert(QStringLiteral("FINGERPRINT_BACKEND"), QString::fromUtf8(backend));
  for (const QString& key : extra.keys()) environment.insert(key, extra.value(key));
  host.setProcessEnvironment(environment);
  host.start(QStringLiteral(FP_DIAG_HOST_PATH), arguments);
  EXPECT_TRUE(host.waitForFinished(120000)) << arguments.join(' ').toStdString();
  return {host.exitStatus() == QProcess::NormalExit ? host.exitCode() : -1,
          QString::fromUtf8(host.readAllStandardOutput()), QString::fromUtf8(host.readAllStandardError())};
}

class DiagHostTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  QString Write(const char* name, const QByteArray& content) {
    const QString path = dir_.filePath(QLatin1String(name));
    EXPECT_TRUE(fp_test::WriteFile(path, content));
    return path;
  }
  QTemporaryDir dir_;
};

// Every bad input ends with exit code 2, a message that names the thing and
// the problem, and, for scripts, a last JSON line that carries the message.
TEST_F(DiagHostTest, BadInputsAreNamedWithExitCodeTwoAndAJsonLine) {
  const QString notALibrary = Write("module_fingerprint.so", "not a shared object");
  const QString twoReaders = Write("two.json", R"({"readers": [{"unitId": 1}, {"unitId": 2}]})");
  const QString noReader = Write("none.json", R"({"readers": []})");
  const QString settings = dir_.filePath(QStringLiteral("s.ini"));
  const std::tuple<QStringList, QString, QString> cases[] = {
      {{}, {}, "no command given"},
      {{"frob"}, {}, "unknown command 'frob'"},
      {{"run", "--device", "-1"}, {}, "option --device expects a whole number of at least 0, not '-1'"},
      {{"run", "--abort-after-ms", "soon"}, {}, "option --abort-after-ms expects a whole number"},
      {{"run", "--answer", "maybe"}, {}, "option --answer expects yes, no or none, not 'maybe'"},
      {{"run", "--settings"}, {}, "option --settings needs a value"},
      {{"list", "--verbose"}, {}, "unknown option '--verbose'"},
      {{"list", "extra"}, {}, "unexpected argument 'extra'"},
      {{"list", "--device", "5"}, {}, "option --device does not apply to 'list' (only to run)"},
      {{"help"}, {}, "option --json does not apply to 'help' (only to info, list, run)"},
      {{"info", "--version"}, {}, "option --version stands alone"},
      {{"run", "--platform", "bogus"}, {}, "option --platform: no Qt platform plugin 'bogus' (available: "},
      {{"--module", "/nonexistent/module_fingerprint.so", "info"}, {}, "/nonexistent/module_fingerprint.so"},
      {{"--module", notALibrary, "info"}, {}, notALibrary},
      {{"--module", FP_FOREIGN_LIBRARY_PATH, "info"}, {}, "GetModuleInterfaceInstance"},
      {{"run", "--settings", dir_.filePath("absent.ini")},
       {},
       "settings file '" + dir_.filePath("absent.ini")},
      {{"run", "--settings", settings},
       "[CSAT]\nCSAT_TEST_TIMEOUT=abc\n",
       "'" + settings + "': CSAT_TEST_TIMEOUT=abc: the timeout must be a whole number of seconds"},
      {{"run", "--settings", settings},
       "[CSAT]\nCSAT_TEST_TIMEOUT=99999999999\n",
       "CSAT_TEST_TIMEOUT=99999999999: the timeout is out of range"},
      {{"run", "--settings", settings},
       "[CSAT]\nCSAT_TEST_TIMEOUT_FINGERPRINT_RECOGNITION_TEST=5s\n",
       "CSAT_TEST_TIMEOUT_FINGERPRINT_RECOGNITION_TEST=5s: the timeout must be a whole number"},
      {{"run", "--settings", settings},
       "[CSAT]\nCSAT_TEST_TIMEOUT 5\n",
       "'" + settings + "', line 2: expected [SECTION] or KEY=VALUE: 'CSAT_TEST_TIMEOUT 5'"},
      {{"run", "--settings", settings},
       "; timeout\nCSAT_TEST_TIMEOUT=5\n",
       "line 2: a key before the first [SECTION]"},
      {{"run", "--device", "2"}, twoReaders, "no reader 2: the machine has 2 (ids 0 to 1)"},
      {{"run"}, noReader, "no fingerprint reader found"},
  };
  for (const auto& [arguments, input, message] : cases) {
    SCOPED_TRACE(arguments.join(' ').toStdString());
    QString sim;
    if (arguments.contains(settings))
      fp_test::WriteFile(settings, input.toUtf8());
    else
      sim = input;
    const Result result = RunHost(QStringList{QStringLiteral("--json")} + arguments, sim);
    EXPECT_EQ(result.code, 2);
    EXPECT_TRUE(result.err.startsWith(QLatin1String("diag-host: ") + message) || result.err.contains(message))
        << result.err.toStdString();
    const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    const QJsonObject last = QJsonDocument::fromJson(lines.last().toUtf8()).object();
    EXPECT_EQ(last[QLatin1String("call")], QLatin1String("error"));
    EXPECT_TRUE(last[QLatin1String("message")].toString().contains(message)) << lines.last().toStdString();
    EXPECT_EQ(last[QLatin1String("code")], 2);
  }
}

// --help and --version need no module; the help names what a user can set.
TEST(DiagHostUsageTest, HelpAndVersionStandAlone) {
  const Result version = RunHost({QStringLiteral("--version")});
  EXPECT_EQ(version.code, 0);
  EXPECT_EQ(version.out, QStringLiteral("diag-host 4.42.0.92\n"));
  const Result help = RunHost({QStringLiteral("--help")});
  EXPECT_EQ(help.code, 0);
  for (const char* text : {"FINGERPRINT_SIM", "FINGERPRINT_BACKEND", "Exit codes:", "6 Error", "--version"})
    EXPECT_TRUE(help.out.contains(QLatin1String(text))) << text;
}

// The dialog and the log speak the module's language: the simulated machine's
// unless config.ini names one, whatever LANG says; on real readers (here
// libfprint's virtual device) the desktop's. The screenshot line shows the
// window title and the labels.
TEST_F(DiagHostTest, DialogAndLogSpeakTheModulesLanguage) {
  QProcessEnvironment germanDesktop;
  germanDesktop.insert(QStringLiteral("LANG"), QStringLiteral("de_DE.UTF-8"));
  QProcessEnvironment virtualReader = germanDesktop;
  virtualReader.insert(QStringLiteral("FINGERPRINT_BACKEND"), QStringLiteral("libfprint"));
  virtualReader.insert(QStringLiteral("FP_DRIVERS_WHITELIST"), QStringLiteral("virtual_image"));
  virtualReader.insert(QStringLiteral("FP_VIRTUAL_IMAGE"), dir_.filePath(QStringLiteral("image-socket")));
  const QStringList german = {
      "\"Fingerabdruck-Diagnose\" \"Fingerabdruck-Erkennungstest\" \"Berühren Sie den Sensor",
      "RECOGNITION_TEST (\"Fingerabdruck-Erkennungstest\")"};
  const std::tuple<const char*, QString, QProcessEnvironment, int, QStringList> cases[] = {
      {"sim de-DE",
       Write("de.json", R"({"system": {"uiLanguages": ["de-DE"]}, "sensor": {"touchAfterMs": 2000}})"),
       germanDesktop, 0, german},
      {"sim default, LANG=de_DE",
       Write("en.json", R"({"sensor": {"touchAfterMs": 2000}})"),
       germanDesktop,
       0,
       {"\"Fingerprint Diagnostics\" \"Fingerprint Recognition Test\" \"Touch or slide",
        "RECOGNITION_TEST (\"Fingerprint Recognition Test\")"}},
      {"libfprint, LANG=de_DE", {}, virtualReader, 4, german},
  };
  for (const auto& [name, sim, environment, code, texts] : cases) {
    SCOPED_TRACE(name);
    if (environment.contains(QStringLiteral("FINGERPRINT_BACKEND")) &&
        !QFileInfo::exists(
            QFileInfo(QStringLiteral(FP_DIAG_HOST_PATH)).dir().filePath("fingerprint-libfprint-helper")))
      continue;  // a build without libfprint
    const QString picture = dir_.filePath(QStringLiteral("dialog.png"));
    const Result result =
        RunHost({"run", "--screenshot", picture, "--abort-after-ms", "4500"}, sim, nullptr, environment);
    EXPECT_EQ(result.code, code) << result.err.toStdString();
    for (const QString& text : texts)
      EXPECT_TRUE(result.err.contains(text) || result.out.contains(text))
          << text.toStdString() << "\n"
          << result.err.toStdString() << result.out.toStdString();
  }
}

// The exit code is the status; with --json every line is one object and the
// last one carries the status.
TEST_F(DiagHostTest, RunExitCodesAndJsonLines) {
  const QString neverTouched = Write("never.json", R"({"sensor": {"touchAfterMs": null}})");
  const QString settings = Write("settings.ini", "[CSAT]\nCSAT_TEST_TIMEOUT=0\n");
  const std::tuple<QStringList, QString, int, const char*, QStringList> cases[] = {
      {{"--settings", settings, "--answer", "no"}, neverTouched, 4, "Aborted", {"TIMEOUT_REACHED"}},
      {{}, Write("touched.json", R"({"sensor": {"touchAfterMs": 0}})"), 0, "Passed", {}},
      // A reader that ignores the abort's cancellation is given up on, and the
      // host ends while its wait is still stuck.
      {{"--abort-after-ms", "2000"},
       Write("stuck.json", R"({"sensor": {"touchAfterMs": null, "ignoresCancel": true}})"),
       6,
       "Error",
       {"CANNOT_ACCESS_DEVICE"}},
      // Known from the listing alone: not supported, and the reader is not blamed.
      {{"--answer", "yes"},
       Write("policy.json", R"({"enumerateHresult": 2148106290})"),
       3,
       "NotSupported",
       {"BIOMETRICS_TURNED_OFF_BY_POLICY"}},
  };
  for (const auto& [arguments, sim, code, status, expectedMessages] : cases) {
    const Result result = RunHost(QStringList{"run", "--json"} + arguments, sim);
    SCOPED_TRACE(status);
    EXPECT_EQ(result.code, code) << result.err.toStdString();
    const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    QStringList messages;
    for (const QString& line : lines) {
      const QJsonDocument document = QJsonDocument::fromJson(line.toUtf8());
      ASSERT_TRUE(document.isObject()) << "not one object per line: " << line.toStdString();
      if (document[QLatin1String("call")] == QLatin1String("AddMessage"))
        messages << document[QLatin1String("message")].toString();
    }
    EXPECT_EQ(messages, expectedMessages);
    const QJsonObject last = QJsonDocument::fromJson(lines.last().toUtf8()).object();
    EXPECT_EQ(last[QLatin1String("call")], QLatin1String("status"));
    EXPECT_EQ(last[QLatin1String("status")], QLatin1String(status));
    EXPECT_EQ(last[QLatin1String("code")], code);
  }
}

// A screenshot that was asked for and not made is reported, on standard
// error and in the JSON; the exit code stays the run's status.
TEST_F(DiagHostTest, AScreenshotNotMadeIsReported) {
  const QString notAFolder = Write("file.txt", "");
  const std::tuple<QString, QString, QString> cases[] = {
      {R"({"sensor": {"touchAfterMs": 2000}})", notAFolder + "/dialog.png", "cannot write an image there"},
      {R"({"sensor": {"touchAfterMs": 0}})", dir_.filePath("quick.png"),
       "the dialog closed before the picture was taken"},
  };
  for (const auto& [machine, file, problem] : cases) {
    SCOPED_TRACE(problem.toStdString());
    const Result result =
        RunHost({"run", "--json", "--screenshot", file}, Write("machine.json", machine.toUtf8()));
    EXPECT_EQ(result.code, 0);
    EXPECT_TRUE(
        result.err.contains(QStringLiteral("diag-host: no screenshot in '%1': %2").arg(file, problem)))
        << result.err.toStdString();
    const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 2);
    const QJsonObject screenshot = QJsonDocument::fromJson(lines[lines.size() - 2].toUtf8()).object();
    EXPECT_EQ(screenshot[QLatin1String("call")], QLatin1String("screenshot"));
    EXPECT_EQ(screenshot[QLatin1String("saved")], false);
    EXPECT_EQ(screenshot[QLatin1String("problem")], problem);
  }
}

// A simulation file that cannot be used is named on standard error, and the
// machine then has no readers.
TEST_F(DiagHostTest, UnusableSimulationFileGivesAMachineWithoutReaders) {
  const QString missing = dir_.filePath(QStringLiteral("absent.json"));
  const std::pair<QString, QString> cases[] = {
      {missing, QStringLiteral("cannot read simulation file '%1'").arg(missing)},
      {Write("bad.json", R"({"readers": 5})"),
       QStringLiteral("bad simulation file '%1': readers: expected an array").arg(dir_.filePath("bad.json"))},
  };
  for (const auto& [file, message] : cases) {
    const Result result = RunHost({QStringLiteral("list")}, file);
    EXPECT_EQ(result.code, 0) << file.toStdString();
    EXPECT_TRUE(result.err.contains(message)) << result.err.toStdString();
    EXPECT_TRUE(result.out.endsWith(QStringLiteral("No fingerprint readers found.\n")))
        << result.out.toStdString();
    EXPECT_FALSE(result.out.contains(QStringLiteral("Reader 0")));
  }
}

// A backend that cannot be had must list no reader: a diagnostic tool must not
// pass a simulated reader off as the machine's.
TEST(DiagHostBackendTest, ListsTheReadersOfTheChosenBackendOnly) {
  const std::tuple<const char*, const char*, bool, const char*> choices[] = {
      {nullptr, "Backend: sim", true, ""},
      {"sim", "Backend: sim", true, ""},
      {"SIM", "Backend: sim", true, ""},
      {"bogus", "Backend: none (unknown backend 'bogus')", false,
       "FINGERPRINT_BACKEND=bogus: unknown backend"},
  };
  for (const auto& [backend, line, listed, error] : choices) {
    const Result result = RunHost({QStringLiteral("list")}, {}, backend);
    SCOPED_TRACE(backend ? backend : "(unset)");
    EXPECT_EQ(result.code, 0);
    EXPECT_TRUE(result.out.startsWith(QLatin1String(line) + QLatin1Char('\n'))) << result.out.toStdString();
    EXPECT_EQ(result.out.contains(QLatin1String("Simulated fingerprint reader")), listed);
    EXPECT_TRUE(result.err.contains(QLatin1String(error))) << result.err.toStdString();
  }
}

}  // namespace
