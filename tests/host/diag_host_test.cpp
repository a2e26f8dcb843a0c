// diag-host as a user runs it: options, exit codes, the --json lines, a
// FINGERPRINT_SIM file that cannot be used and the chosen backend.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <tuple>
#include <unistd.h>
#include <vector>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSize>
#include <QTemporaryDir>

#include "tests/support/test_support.h"

namespace {

struct Result {
  int code = -1;
  QString out;
  QString err;
};

QProcessEnvironment HostEnvironment(const QString& simFile, const char* backend,
                                    const QProcessEnvironment& extra) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  // The user's language as the desktop gives it: English unless a case says otherwise.
  for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
    environment.remove(QLatin1String(variable));
  environment.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.remove(QStringLiteral("FINGERPRINT_SIM"));
  environment.remove(QStringLiteral("FINGERPRINT_BACKEND"));
  if (!simFile.isEmpty()) environment.insert(QStringLiteral("FINGERPRINT_SIM"), simFile);
  if (*backend) environment.insert(QStringLiteral("FINGERPRINT_BACKEND"), QString::fromUtf8(backend));
  for (const QString& key : extra.keys()) {
    if (extra.value(key).isEmpty())
      environment.remove(key);
    else
      environment.insert(key, extra.value(key));
  }
  return environment;
}

Result Finish(QProcess& host) {
  EXPECT_TRUE(host.waitForFinished(120000)) << host.arguments().join(' ').toStdString();
  return {host.exitStatus() == QProcess::NormalExit ? host.exitCode() : -1,
          QString::fromUtf8(host.readAllStandardOutput()), QString::fromUtf8(host.readAllStandardError())};
}

// Runs diag-host on the simulated machine `simFile` (none: the built-in one),
// unless `backend` names another ("": the automatic choice), headless unless
// `extra` says otherwise; an empty value in `extra` removes the variable.
Result RunHost(const QStringList& arguments, const QString& simFile = {}, const char* backend = "sim",
               const QProcessEnvironment& extra = {}) {
  QProcess host;
  host.setProcessEnvironment(HostEnvironment(simFile, backend, extra));
  host.start(QStringLiteral(FP_DIAG_HOST_PATH), arguments);
  return Finish(host);
}

// The run's "screenshot" line.
QJsonObject ScreenshotLine(const Result& result) {
  for (const QString& line : result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
    if (QJsonDocument::fromJson(line.toUtf8())[QLatin1String("call")] == QLatin1String("screenshot"))
      return QJsonDocument::fromJson(line.toUtf8()).object();
  return {};
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

// A display that no X server serves, and one whose server takes connections
// but never answers (a hung X server), on its TCP port.
QString DeadDisplay() {
  int number = 871;
  while (QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(number))) ++number;
  return QStringLiteral(":%1").arg(number);
}

struct SilentXServer {
  SilentXServer() {
    for (int number = 100; number < 200 && display.isEmpty(); ++number) {
      socket = ::socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_port = htons(static_cast<uint16_t>(6000 + number));
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      // The kernel completes connections in the backlog; nothing reads them.
      const bool bound = ::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
      if (bound && ::listen(socket, 8) == 0) display = QStringLiteral("127.0.0.1:%1").arg(number);
      if (display.isEmpty()) ::close(socket);
    }
  }
  ~SilentXServer() { ::close(socket); }
  int socket = -1;
  QString display;
};

// Every bad input ends with exit code 2, a message that names the thing and
// the problem, and, for scripts, a last JSON line that carries the message;
// within a few seconds, and with no more than a readable line of what the
// user gave (a binary file, a huge line, a hung display).
TEST_F(DiagHostTest, BadInputsAreNamedWithExitCodeTwoAndAJsonLine) {
  const QString notALibrary = Write("module_fingerprint.so", "not a shared object");
  const QString twoReaders = Write("two.json", R"({"readers": [{"unitId": 1}, {"unitId": 2}]})");
  const QString noReader = Write("none.json", R"({"readers": []})");
  const QString failing = Write("failing.json", R"({"enumerateHresult": 2147500037})");
  const QString absentSim = dir_.filePath(QStringLiteral("absent.json"));
  const QString wrongType = Write("wrong.json", R"({"readers": 5})");
  const QString badTimeout = Write("timeout.ini", "[CSAT]\nCSAT_TEST_TIMEOUT=abc\n");
  const QString noSeparator = Write("nokey.ini", "[CSAT]\nCSAT_TEST_TIMEOUT 5\n");
  const QString module = QStringLiteral(FP_NULL_MODULE_PATH);
  const SilentXServer silentX;
  ASSERT_FALSE(silentX.display.isEmpty());
  const auto display = [](const QString& value, const char* variable = "DISPLAY") {
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QString());  // removed: Qt's default
    environment.insert(QStringLiteral("DISPLAY"), QString());
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QString());
    environment.insert(QLatin1String(variable), value);
    return environment;
  };
  const QString dead = DeadDisplay();
  struct Row {
    QStringList arguments;
    QString message;
    QString sim = {};
    QProcessEnvironment environment = {};
  };
  const Row rows[] = {
      // The command line.
      {{}, "no command given"},
      {{"frob"}, "unknown command 'frob'"},
      {{"run", "--device=-1"}, "option --device expects a whole number of at least 0, not '-1'"},
      {{"run", "--answer", "maybe"}, "option --answer expects yes, no or none, not 'maybe'"},
      {{"run", "--settings"}, "option --settings needs a value"},
      {{"run", "--screenshot="}, "option --screenshot needs a value, not an empty one"},
      {{"run", "--platform", ""}, "option --platform needs a value, not an empty one"},
      {{"list", "--json=yes"}, "option --json takes no value"},
      {{"list", "--verbose"}, "unknown option '--verbose'"},
      {{"list", "extra"}, "unexpected argument 'extra'"},
      {{"list", "--device", "5"}, "option --device does not apply to 'list' (only to run)"},
      {{"info", "--version"}, "option --version stands alone"},
      {{"run", "--screenshot-after-ms", "5"}, "option --screenshot-after-ms needs --screenshot FILE"},
      {{"run", "--screenshot", "/nonexistent/folder/dialog.png"},
       "option --screenshot: '/nonexistent/folder' is not a folder (it does not exist)"},
      // Platforms: unknown, unusable, a display without a server, a server that never answers.
      {{"run", "--platform", "bogus"}, "option --platform: no Qt platform plugin 'bogus' (available: "},
      {{"run", "--platform", "vnc"}, "option --platform: diag-host does not run on Qt platform 'vnc'"},
      {{"run"},
       dead + ": Qt's default platform cannot start: Qt says 'could not connect to display " + dead,
       {},
       display(dead)},
      {{"run"},
       "WAYLAND_DISPLAY=wayland-9: Qt's default platform cannot start",
       {},
       display(QStringLiteral("wayland-9"), "WAYLAND_DISPLAY")},
      {{"run"},
       "DISPLAY=" + silentX.display + ": Qt's default platform did not start within 5 s",
       {},
       display(silentX.display)},
      // Module files.
      {{"--module", "/nonexistent/module_fingerprint.so", "info"}, "/nonexistent/module_fingerprint.so"},
      {{"--module", notALibrary, "info"}, notALibrary},
      {{"--module", FP_FOREIGN_LIBRARY_PATH, "info"}, "GetModuleInterfaceInstance"},
      {{"--module", module, "info"}, "module file '" + module + "': GetProductVersion gave no object (null)"},
      {{"--module", module, "list"}, "GetModuleInterfaceInstance gave no object (null)"},
      {{"--module", module, "run"}, "GetModuleInterfaceInstance gave no object (null)"},
      {{"--module", module, "help"}, "GetModuleInterfaceInstance gave no object (null)"},
      // Settings files.
      {{"run", "--settings", dir_.filePath("absent.ini")}, "settings file '" + dir_.filePath("absent.ini")},
      {{"run", "--settings", badTimeout},
       "'" + badTimeout + "': CSAT_TEST_TIMEOUT=abc: the timeout must be a whole number of seconds"},
      {{"run", "--settings", Write("range.ini", "[CSAT]\nCSAT_TEST_TIMEOUT=99999999999\n")},
       "CSAT_TEST_TIMEOUT=99999999999: the timeout is out of range"},
      {{"run", "--settings", noSeparator},
       "'" + noSeparator + "', line 2: expected [SECTION] or KEY=VALUE: 'CSAT_TEST_TIMEOUT 5'"},
      {{"run", "--settings", Write("first.ini", "; timeout\nCSAT_TEST_TIMEOUT=5\n")},
       "line 2: a key before the first [SECTION]"},
      {{"run", "--settings", Write("nul.ini", QByteArray(1 << 20, '\0'))},
       "line 1: a line longer than 4096 characters: '\\x00\\x00"},
      {{"run", "--settings", FP_DIAG_HOST_PATH}, "line 1: expected [SECTION] or KEY=VALUE: '\\x7fELF"},
      // The simulated machine the user named.
      {{"list"}, "FINGERPRINT_SIM: cannot read simulation file '" + absentSim + "'", absentSim},
      {{"list"},
       "FINGERPRINT_SIM: bad simulation file '" + wrongType + "': readers: expected an array",
       wrongType},
      {{"run", "--device", "2"}, "no reader 2: the machine has 2 (ids 0 to 1)", twoReaders},
      {{"run"},
       "no fingerprint reader found: the simulated machine '" + noReader + "' has no readers",
       noReader},
      {{"run"},
       "the simulated machine '" + failing + "' fails the listing with 0x80004005, unspecified failure",
       failing},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.arguments.join(' ').toStdString() + " " + row.sim.toStdString());
    // help has no --json: its output is the module's text.
    const bool json = !row.arguments.contains(QStringLiteral("help"));
    QElapsedTimer clock;
    clock.start();
    const Result result =
        RunHost((json ? QStringList{QStringLiteral("--json")} : QStringList{}) + row.arguments, row.sim,
                "sim", row.environment);
    // Generous for a loaded machine; a hang or a wait for a viewer would not end at all.
    EXPECT_LT(clock.elapsed(), 30000);
    EXPECT_EQ(result.code, 2);
    bool named = false;
    for (const QString& line : result.err.split(QLatin1Char('\n'))) {
      if (!line.startsWith(QLatin1String("diag-host: "))) continue;
      named = named || line.contains(row.message);
      EXPECT_LT(line.size(), 700) << line.left(200).toStdString();
      EXPECT_FALSE(line.contains(QRegularExpression(QStringLiteral("[\\x00-\\x08\\x0b-\\x1f\\x7f]"))));
    }
    EXPECT_TRUE(named) << result.err.toStdString();
    if (!json) continue;
    const QStringList lines = result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    const QJsonObject last = QJsonDocument::fromJson(lines.last().toUtf8()).object();
    EXPECT_EQ(last[QLatin1String("call")], QLatin1String("error"));
    EXPECT_TRUE(last[QLatin1String("message")].toString().contains(row.message))
        << lines.last().toStdString();
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
  // Asked after a command, the same.
  const Result runHelp = RunHost({QStringLiteral("run"), QStringLiteral("--help")});
  EXPECT_EQ(runHelp.code, 0);
  EXPECT_EQ(runHelp.out, help.out);
}

// On real readers (here libfprint's virtual device) the dialog and the log
// speak the desktop's language. The screenshot line shows the window title
// and the labels.
TEST_F(DiagHostTest, RealReadersSpeakTheDesktopsLanguage) {
  if (!QFileInfo::exists(
          QFileInfo(QStringLiteral(FP_DIAG_HOST_PATH)).dir().filePath("fingerprint-libfprint-helper")))
    GTEST_SKIP() << "a build without libfprint";
  QProcessEnvironment germanDesktop;
  germanDesktop.insert(QStringLiteral("LANG"), QStringLiteral("de_DE.UTF-8"));
  germanDesktop.insert(QStringLiteral("FP_DRIVERS_WHITELIST"), QStringLiteral("virtual_image"));
  germanDesktop.insert(QStringLiteral("FP_VIRTUAL_IMAGE"), dir_.filePath(QStringLiteral("image-socket")));
  const Result result = RunHost(
      {"run", "--screenshot", dir_.filePath(QStringLiteral("dialog.png")), "--abort-after-ms", "4500"}, {},
      "libfprint", germanDesktop);
  EXPECT_EQ(result.code, 4) << result.err.toStdString();
  for (const char* text :
       {"\"Fingerabdruck-Diagnose\" \"Fingerabdruck-Erkennungstest\" \"Berühren Sie den Sensor",
        "RECOGNITION_TEST (\"Fingerabdruck-Erkennungstest\")"})
    EXPECT_TRUE((result.err + result.out).contains(QString::fromUtf8(text)))
        << text << "\n"
        << result.err.toStdString() << result.out.toStdString();
}

// The exit code is the status; with --json every line is one object and the
// last one carries the status.
TEST_F(DiagHostTest, RunExitCodesAndJsonLines) {
  const QString neverTouched = Write("never.json", R"({"sensor": {"touchAfterMs": null}})");
  const QString settings = Write("settings.ini", "[CSAT]\nCSAT_TEST_TIMEOUT=0\n");
  const std::tuple<QStringList, QString, int, const char*, QStringList> cases[] = {
      {{"--settings", settings, "--answer", "no"}, neverTouched, 4, "Aborted", {"TIMEOUT_REACHED"}},
      {{}, Write("touched.json", R"({"sensor": {"touchAfterMs": 0}})"), 0, "Passed", {}},
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
  // A folder in the picture's place: no image can be written there, not even by root.
  const QString aFolder = dir_.filePath(QStringLiteral("folder.png"));
  ASSERT_TRUE(QDir().mkdir(aFolder));
  const std::tuple<QString, QString, QString> cases[] = {
      {R"({"sensor": {"touchAfterMs": 2000}})", aFolder, "cannot write an image there"},
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
    const QJsonObject screenshot = ScreenshotLine(result);
    EXPECT_EQ(screenshot[QLatin1String("saved")], false);
    EXPECT_EQ(screenshot[QLatin1String("problem")], problem);
  }
}

// info and list print one JSON object on one line, like every other --json
// output; a listing without readers says why where the machine's file does.
TEST_F(DiagHostTest, InfoAndListAnswerInOneLine) {
  const QString failing = Write("failing.json", R"({"enumerateHresult": 2147500037})");
  const Result info = RunHost({"info", "--json"});
  const Result list = RunHost({"list", "--json"}, failing);
  for (const Result* result : {&info, &list})
    EXPECT_EQ(result->out.count(QLatin1Char('\n')), 1) << result->out.toStdString();
  EXPECT_EQ(QJsonDocument::fromJson(info.out.toUtf8())[QLatin1String("moduleNameTranslation")],
            "Fingerprint");
  const QString why = "the simulated machine '" + failing +
                      "' fails the listing with 0x80004005, unspecified failure (enumerateHresult)";
  EXPECT_EQ(QJsonDocument::fromJson(list.out.toUtf8())[QLatin1String("whyNoReaders")], why);
  EXPECT_TRUE(RunHost({"list"}, failing).out.endsWith("No fingerprint readers found: " + why + ".\n"));
}

// The dialog shows its whole texts, with their characters' glyphs, in the
// longest languages and in CJK, at every scale Qt draws at, on the offscreen
// platform's own screen (800x800, small for a large scale) and on a
// 1280x1024 one. The pictures stay in the build folder for people to look at.
TEST_F(DiagHostTest, DialogShowsItsWholeTextsAtEveryScaleAndLanguage) {
  const QString pictures = QStringLiteral(FP_SCREENSHOT_DIR);
  ASSERT_TRUE(QDir().mkpath(pictures));
  const QString screen = Write("screen.json", R"({"screens": [{"name": "s", "x": 0, "y": 0, "width": 1280,
      "height": 1024, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1.0}]})");
  const std::tuple<const char*, const char*, const char*> languages[] = {
      {"en", "en-US", "Touch or slide your finger"},
      {"de", "de-DE", "Berühren Sie den Sensor"},
      {"ja", "ja-JP", "テストが終了するまで"},
  };
  const std::tuple<const char*, QString, QSize> screens[] = {
      {"800x800", QStringLiteral("offscreen"), QSize(800, 800)},
      {"1280x1024", "offscreen:configfile=" + screen, QSize(1280, 1024)},
  };
  struct Run {
    QString name, instruction;
    QSize screen;
    std::unique_ptr<QProcess> host;
  };
  std::vector<Run> runs;
  for (const auto& [language, uiLanguage, instruction] : languages) {
    // Touched well after the picture, so that the run ends by itself.
    const QString machine = Write(
        uiLanguage, QStringLiteral(R"({"sensor": {"touchAfterMs": 3000}, "system": {"uiLanguages": ["%1"]}})")
                        .arg(QLatin1String(uiLanguage))
                        .toUtf8());
    for (const auto& [screenName, platform, screenSize] : screens)
      for (const char* scale : {"1", "1.25", "1.5", "2"}) {
        QProcessEnvironment extra;
        extra.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        extra.insert(QStringLiteral("QT_SCALE_FACTOR"), QLatin1String(scale));
        Run run{QStringLiteral("recognition-dialog-%1-%2-scale-%3").arg(language, screenName, scale),
                QString::fromUtf8(instruction), screenSize, std::make_unique<QProcess>()};
        run.host->setProcessEnvironment(HostEnvironment(machine, "sim", extra));
        run.host->setArguments({"run", "--json", "--screenshot-after-ms", "300", "--screenshot",
                                QDir(pictures).filePath(run.name + ".png")});
        runs.push_back(std::move(run));
      }
  }
  // A few at a time: the machine may be busy.
  for (size_t first = 0; first < runs.size(); first += 4) {
    const size_t end = std::min(runs.size(), first + 4);
    for (size_t i = first; i < end; ++i) {
      runs[i].host->setProgram(QStringLiteral(FP_DIAG_HOST_PATH));
      runs[i].host->start();
    }
    for (size_t i = first; i < end; ++i) {
      const Run& run = runs[i];
      SCOPED_TRACE(run.name.toStdString());
      const Result result = Finish(*run.host);
      EXPECT_EQ(result.code, 0) << result.err.toStdString();
      EXPECT_TRUE(ScreenshotLine(result)[QLatin1String("saved")].toBool()) << result.err.toStdString();
      const QJsonObject dialog = ScreenshotLine(result)[QLatin1String("dialog")].toObject();
      EXPECT_TRUE(dialog[QLatin1String("texts")].toArray().last().toString().startsWith(run.instruction))
          << result.err.toStdString();
      EXPECT_EQ(dialog[QLatin1String("cut")].toArray(), QJsonArray()) << result.err.toStdString();
      EXPECT_EQ(dialog[QLatin1String("withoutGlyphs")].toArray(), QJsonArray()) << result.err.toStdString();
      const QStringList size = dialog[QLatin1String("size")].toString().split(QLatin1Char('x')) << "";
      EXPECT_TRUE(size[0].toInt() <= run.screen.width() && size[1].toInt() <= run.screen.height())
          << size.join(QLatin1Char('x')).toStdString();
    }
  }
}

// A text that appears at the dialog's one-second tick can be pictured; the
// picture's time and the close button's name are told.
TEST_F(DiagHostTest, APictureCanBeTakenLater) {
  const QString otherReader = QString::fromUtf8(FP_SIM_DATA "/two-readers-other-touched.json");
  const Result result = RunHost({"run", "--json", "--screenshot-after-ms", "1500", "--screenshot",
                                 dir_.filePath(QStringLiteral("later.png")), "--abort-after-ms", "4000"},
                                otherReader);
  const QJsonObject screenshot = ScreenshotLine(result);
  ASSERT_TRUE(screenshot[QLatin1String("saved")].toBool())
      << result.out.toStdString() << result.err.toStdString();
  EXPECT_GE(screenshot[QLatin1String("takenAt")].toDouble(), 1.5);
  EXPECT_LT(screenshot[QLatin1String("takenAt")].toDouble(), screenshot[QLatin1String("time")].toDouble());
  const QJsonObject dialog = screenshot[QLatin1String("dialog")].toObject();
  EXPECT_EQ(dialog[QLatin1String("texts")].toArray().last(),
            QStringLiteral("That was another reader. Touch the reader “Touch sensor”."));
  EXPECT_EQ(dialog[QLatin1String("buttons")].toArray(), QJsonArray{QStringLiteral("Close")});
}

// diag-host names the backend and why it was chosen. A backend that cannot be
// had lists no reader: a diagnostic tool must not pass a simulated reader off
// as the machine's, which it shows only when asked. Without a system bus
// fprintd cannot be there: the real machine is libfprint's (in a build with
// it), here without readers.
TEST_F(DiagHostTest, ListNamesTheChosenBackendAndWhyAndListsItsReadersOnly) {
  const bool libfprint = QFileInfo::exists(
      QFileInfo(QStringLiteral(FP_DIAG_HOST_PATH)).dir().filePath("fingerprint-libfprint-helper"));
  QProcessEnvironment noSystemBus;
  noSystemBus.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/bus"));
  const QString sim = Write("one.json", "{}");
  const std::tuple<const char*, QString, QString, bool, const char*> choices[] = {
      {"sim", {}, "Backend: sim (FINGERPRINT_BACKEND=sim)", true, ""},
      {"", sim, "Backend: sim (FINGERPRINT_SIM is set)", true, ""},
      {"bogus", sim,
       "Backend: none (FINGERPRINT_BACKEND=bogus names no backend; known: sim, fprintd, libfprint)", false,
       "No fingerprint readers are listed: FINGERPRINT_BACKEND=bogus names no backend"},
      {"",
       {},
       libfprint ? "Backend: libfprint (no system bus to find fprintd on: "
                 : "Backend: none (no system bus to find fprintd on: ",
       false,
       ""},
  };
  for (const auto& [backend, simFile, line, listed, error] : choices) {
    const Result result = RunHost({QStringLiteral("list")}, simFile, backend, noSystemBus);
    SCOPED_TRACE(line.toStdString());
    EXPECT_EQ(result.code, 0);
    EXPECT_TRUE(result.out.startsWith(line)) << result.out.toStdString();
    EXPECT_EQ(result.out.contains(QLatin1String("Simulated fingerprint reader")), listed);
    if (!listed) {
      EXPECT_TRUE(result.out.endsWith(QLatin1String("No fingerprint readers found.\n")));
    }
    EXPECT_TRUE(result.err.contains(QLatin1String(error))) << result.err.toStdString();
  }
}

}  // namespace
