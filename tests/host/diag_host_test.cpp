// diag-host as a user runs it: options, exit codes, the --json lines, a
// FINGERPRINT_SIM file that cannot be used and the chosen backend.
#include <gtest/gtest.h>
#include <tuple>

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

Result RunHost(const QStringList& arguments, const QString& simFile = {}, const char* backend = nullptr) {
  QProcess host;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.remove(QStringLiteral("FINGERPRINT_SIM"));
  environment.remove(QStringLiteral("FINGERPRINT_BACKEND"));  // the simulated machine
  if (!simFile.isEmpty()) environment.insert(QStringLiteral("FINGERPRINT_SIM"), simFile);
  if (backend) environment.insert(QStringLiteral("FINGERPRINT_BACKEND"), QString::fromUtf8(backend));
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

// A module file that is missing, not a library, or a library without the
// exports counts as a bad command line too.
TEST_F(DiagHostTest, BadCommandLinesAreNamedWithExitCodeTwo) {
  const QString notALibrary = Write("module_fingerprint.so", "not a shared object");
  const std::pair<QStringList, QString> cases[] = {
      {{}, "no command given"},
      {{"frob"}, "unknown command 'frob'"},
      {{"run", "--device", "-1"}, "option --device expects a whole number of at least 0, not '-1'"},
      {{"run", "--abort-after-ms", "soon"}, "option --abort-after-ms expects a whole number"},
      {{"run", "--answer", "maybe"}, "option --answer expects yes, no or none, not 'maybe'"},
      {{"run", "--settings"}, "option --settings needs a value"},
      {{"list", "--verbose"}, "unknown option '--verbose'"},
      {{"list", "extra"}, "unexpected argument 'extra'"},
      {{"--module", "/nonexistent/module_fingerprint.so", "info"}, "/nonexistent/module_fingerprint.so"},
      {{"--module", notALibrary, "info"}, notALibrary},
      {{"--module", FP_FOREIGN_LIBRARY_PATH, "info"}, "GetModuleInterfaceInstance"},
  };
  for (const auto& [arguments, message] : cases) {
    const Result result = RunHost(arguments);
    EXPECT_EQ(result.code, 2) << arguments.join(' ').toStdString();
    EXPECT_TRUE(result.err.contains(message)) << result.err.toStdString();
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
      {"bogus", "Backend: bogus", false, "FINGERPRINT_BACKEND=bogus: unknown backend"},
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
