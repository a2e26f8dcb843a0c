#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <QApplication>
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

#include "platform/sim/sim_machine.h"
#include "tests/support/test_support.h"
#include "utils/dpi.h"

// The screen is fixed when the application starts, so each screen of the
// table is measured by a child process of this test on an offscreen screen
// of that size: "<test> --probe STEP..." prints one line per step.
namespace {

using kivra::utils::Dpi;

// A step is the DPI the system reports ("0": the query fails), optionally
// prefixed with "!" to start from a process that never measured.
int RunProbe(int argc, char** argv) {
  QApplication application(argc, argv);
  for (int i = 2; i < argc; ++i) {
    std::string step = argv[i];
    if (!step.empty() && step[0] == '!') {
      Dpi::ForgetMeasurement();
      step.erase(0, 1);
    }
    const int32_t dpi = std::stoi(step);
    platform::sim::ScopedMachine machine(
        fp_test::Machine([dpi](platform::sim::SimMachine& m) { m.system.dpi = dpi; }));
    QWidget window;
    const Dpi* instance = Dpi::instance();
    if (!instance) return 3;
    const QSize fitted = Dpi::fitToScreen(instance->dpi() / 96.0);
    const QSize scaled = Dpi::scaledSize(QSize(360, 144));
    const QSize narrow = Dpi::scaledSize(QSize(29, 144));
    std::printf("%d %d %d %d %d %d\n", instance->dpi(), fitted.width(), fitted.height(), scaled.width(),
                scaled.height(), narrow.width());
  }
  return 0;
}

struct Row {
  const char* step;
  int dpi;
  QSize fitted;
  QSize scaled;
};

struct Screen {
  int width;
  int height;
  int logicalDpi;
  std::vector<Row> rows;
};

// Runs the rows of one screen in a child and compares line by line.
void CheckScreen(const Screen& screen) {
  SCOPED_TRACE(std::to_string(screen.width) + "x" + std::to_string(screen.height) + " at logical " +
               std::to_string(screen.logicalDpi));
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // With the base DPI equal to the logical one Qt applies no scaling of its
  // own, so the screen keeps its size and reports that logical DPI.
  const QString config = dir.filePath(QStringLiteral("screen.json"));
  ASSERT_TRUE(fp_test::WriteFile(
      config, QStringLiteral("{\"screens\":[{\"name\":\"s\",\"x\":0,\"y\":0,\"width\":%1,\"height\":%2,"
                             "\"logicalDpi\":%3,\"logicalBaseDpi\":%3,\"dpr\":1.0}]}")
                  .arg(screen.width)
                  .arg(screen.height)
                  .arg(screen.logicalDpi)
                  .toUtf8()));
  QStringList arguments{QStringLiteral("--probe")};
  for (const Row& row : screen.rows) arguments << QString::fromLatin1(row.step);

  QProcess probe;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config);
  probe.setProcessEnvironment(environment);
  probe.start(QCoreApplication::applicationFilePath(), arguments);
  ASSERT_TRUE(probe.waitForFinished(120000));
  const QByteArray errors = probe.readAllStandardError();
  ASSERT_EQ(probe.exitStatus(), QProcess::NormalExit) << errors.toStdString();
  ASSERT_EQ(probe.exitCode(), 0) << errors.toStdString();

  const QStringList lines =
      QString::fromUtf8(probe.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), static_cast<qsizetype>(screen.rows.size())) << errors.toStdString();
  for (size_t i = 0; i < screen.rows.size(); ++i) {
    const Row& row = screen.rows[i];
    const QStringList v = lines[static_cast<qsizetype>(i)].split(QLatin1Char(' '));
    ASSERT_EQ(v.size(), 6);
    SCOPED_TRACE(std::string("step ") + row.step);
    EXPECT_EQ(v[0].toInt(), row.dpi);
    EXPECT_EQ(QSize(v[1].toInt(), v[2].toInt()), row.fitted);
    EXPECT_EQ(QSize(v[3].toInt(), v[4].toInt()), row.scaled);
    // 800 * (29 / 800.0) is just below 29 in double precision; at 96 dpi that shows.
    if (row.dpi == 96 && row.fitted == QSize(800, 600)) {
      EXPECT_EQ(v[5].toInt(), 28);
    }
  }
}

TEST(ScreenScalingTest, FullHdScreenAtEveryStep) {
  CheckScreen({1920,
               1080,
               96,
               {{"96", 96, {800, 600}, {360, 144}},
                {"120", 120, {1000, 750}, {450, 180}},
                {"144", 144, {1200, 900}, {540, 216}},
                {"168", 168, {1400, 1050}, {630, 252}},
                {"192", 192, {1600, 1080}, {720, 259}}}});
}

TEST(ScreenScalingTest, ScreensThatBoundTheResult) {
  CheckScreen({1366, 768, 96, {{"110", 96, {800, 600}, {360, 144}}}});
  CheckScreen({1280, 720, 96, {{"144", 144, {1200, 720}, {540, 172}}}});
  CheckScreen({3840, 2160, 96, {{"288", 192, {1600, 1200}, {720, 288}}}});
  CheckScreen({640, 480, 96, {{"96", 96, {800, 600}, {360, 144}}, {"192", 192, {800, 600}, {360, 144}}}});
}

TEST(ScreenScalingTest, FailingQueryFallsBackToTheScreenThenToTheLastMeasurement) {
  CheckScreen({1280,
               720,
               120,
               {{"!0", 120, {1000, 720}, {450, 172}},
                {"168", 168, {1280, 720}, {576, 172}},
                {"0", 168, {1280, 720}, {576, 172}}}});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "--probe") return RunProbe(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
