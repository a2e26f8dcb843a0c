#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>

#include "platform/sim/sim_machine.h"
#include "tests/support/test_backend.h"
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
    if (step[0] == '!') {
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
    std::printf("%d %d %d %d %d %d\n", instance->dpi(), fitted.width(), fitted.height(), scaled.width(),
                scaled.height(), Dpi::scaledSize(QSize(29, 144)).width());
  }
  return 0;
}

// Consecutive rows on the same screen run in one child, in order.
struct Row {
  int width, height, logicalDpi;
  const char* step;
  int dpi;
  QSize fitted, scaled;
  double dpr = 1.0;  // Qt's own scale (QT_SCALE_FACTOR, the desktop's)
};

TEST(ScreenScalingTest, EveryScreenAndStep) {
  const std::vector<Row> rows = {{1920, 1080, 96, "96", 96, {800, 600}, {360, 144}},
                                 {1920, 1080, 96, "120", 120, {1000, 750}, {450, 180}},
                                 {1920, 1080, 96, "144", 144, {1200, 900}, {540, 216}},
                                 {1920, 1080, 96, "192", 192, {1600, 1080}, {720, 259}},
                                 // Screens that bound the result.
                                 {1366, 768, 96, "110", 96, {800, 600}, {360, 144}},
                                 {1280, 720, 96, "144", 144, {1200, 720}, {540, 172}},
                                 {3840, 2160, 96, "288", 192, {1600, 1200}, {720, 288}},
                                 {640, 480, 96, "192", 192, {800, 600}, {360, 144}},
                                 // A failing query falls back to the screen, then to the last measurement.
                                 {1280, 720, 120, "!0", 120, {1000, 720}, {450, 172}},
                                 {1280, 720, 120, "168", 168, {1280, 720}, {576, 172}},
                                 {1280, 720, 120, "0", 168, {1280, 720}, {576, 172}},
                                 // Qt draws at 1.5 where the system says 96: scaled as for 144, in
                                 // Qt's logical pixels the design size.
                                 {1280, 1024, 96, "96", 144, {1200, 900}, {360, 144}, 1.5}};
  for (size_t first = 0, end = 0; first < rows.size(); first = end) {
    const Row& screen = rows[first];
    QStringList arguments{QStringLiteral("--probe")};
    for (end = first;
         end < rows.size() && rows[end].width == screen.width && rows[end].height == screen.height &&
         rows[end].logicalDpi == screen.logicalDpi && rows[end].dpr == screen.dpr;
         ++end)
      arguments << QString::fromLatin1(rows[end].step);
    SCOPED_TRACE(QString::asprintf("%dx%d at logical %d", screen.width, screen.height, screen.logicalDpi)
                     .toStdString());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // With the base DPI equal to the logical one Qt applies no scaling of its
    // own, so the screen keeps its size and reports that logical DPI.
    const QString config = dir.filePath(QStringLiteral("screen.json"));
    ASSERT_TRUE(fp_test::WriteFile(
        config,
        QString::asprintf("{\"screens\":[{\"name\":\"s\",\"x\":0,\"y\":0,\"width\":%d,\"height\":%d,"
                          "\"logicalDpi\":%d,\"logicalBaseDpi\":%d,\"dpr\":%.2f}]}",
                          screen.width, screen.height, screen.logicalDpi, screen.logicalDpi, screen.dpr)
            .toUtf8()));

    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config);
    probe.setProcessEnvironment(environment);
    probe.start(QCoreApplication::applicationFilePath(), arguments);
    ASSERT_TRUE(probe.waitForFinished(120000));
    const std::string errors = probe.readAllStandardError().toStdString();
    ASSERT_TRUE(probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0) << errors;

    const QStringList lines =
        QString::fromUtf8(probe.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), static_cast<qsizetype>(end - first)) << errors;
    for (size_t i = first; i < end; ++i) {
      const Row& r = rows[i];
      QString expected = QString::asprintf("%d %d %d %d %d ", r.dpi, r.fitted.width(), r.fitted.height(),
                                           r.scaled.width(), r.scaled.height());
      // 800 * (29 / 800.0) is just below 29 in double precision; at 96 dpi that shows.
      if (r.dpi == 96 && r.fitted == QSize(800, 600)) expected += QStringLiteral("28");
      const QString& line = lines[static_cast<qsizetype>(i - first)];
      EXPECT_TRUE(line.startsWith(expected)) << "step " << r.step << ": " << line.toStdString();
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  UseTheSimulatedMachine();
  if (argc >= 2 && std::string(argv[1]) == "--probe") return RunProbe(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
