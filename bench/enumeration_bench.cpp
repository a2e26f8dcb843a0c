// Enumeration time of the readers through the exports, as a host sees it, on
// simulated machines of 1, 100 and 200 readers (or the counts given), or on
// the machines described by the .json files given: under Wine, the staged
// machine's (two-readers.json, the build's fifty-readers.json), whose readers'
// driver versions come from SetupAPI and the registry of the prefix. The
// simulated machine is read once per process, so each machine runs in a child
// process of this program.
//
// "hung" instead: a service whose enumeration takes 20 s. Four listings and
// the release, then the end of the process, as a host sees them: the goal is
// one grace period (3 s) in all, and an exit at once.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTemporaryFile>

#include "contract/module_interface.h"
#include "contract/system_component_manager.h"
#include "host/module_library.h"

namespace {

constexpr int kRounds = 15;

QByteArray Machine(int readers) {
  QByteArray json = "{\"readers\": [";
  for (int i = 0; i < readers; ++i) {
    if (i) json += ',';
    json +=
        QStringLiteral(R"({"unitId": %1, "model": "Sensor %1", "deviceInstanceId": "ROOT\\BIOMETRIC\\%2"})")
            .arg(i + 1)
            .arg(i, 4, 10, QLatin1Char('0'))
            .toUtf8();
  }
  return json + "]}";
}

// The module's manager, once loaded (in a child); null, said why, when it cannot be.
SystemComponentManager* LoadManager(ModuleLibrary& module) {
  QString error;
  if (module.Load(QStringLiteral(FP_MODULE_PATH), &error)) return module.Interface()->GetComponentManager();
  std::fprintf(stderr, "%s\n", qPrintable(error));
  return nullptr;
}

// In the child: the median time of EnumerateComponents, in microseconds.
int Measure(int readers) {
  ModuleLibrary module;
  SystemComponentManager* manager = LoadManager(module);
  if (!manager) return 1;
  std::vector<double> times;
  for (int round = 0; round < kRounds; ++round) {
    QElapsedTimer timer;
    timer.start();
    manager->EnumerateComponents();
    times.push_back(timer.nsecsElapsed() / 1e3);
  }
  if (manager->GetComponentCount() != static_cast<uint64_t>(readers)) {
    std::fprintf(stderr, "expected %d readers, got %llu\n", readers,
                 static_cast<unsigned long long>(manager->GetComponentCount()));
    return 1;
  }
  std::sort(times.begin(), times.end());
  std::printf("%.0f %.0f\n", times[times.size() / 2], times.front());
  module.Release();
  return 0;
}

// In the child: four listings of a service that hangs, and the release.
int ListHung() {
  ModuleLibrary module;
  SystemComponentManager* manager = LoadManager(module);
  if (!manager) return 1;
  QElapsedTimer timer;
  timer.start();
  for (int listing = 0; listing < 4; ++listing) manager->EnumerateComponents();
  const qint64 listed = timer.elapsed();
  module.Release();
  std::printf("%lld %lld\n", static_cast<long long>(listed), static_cast<long long>(timer.elapsed()));
  return 0;
}

int BenchHungService() {
  QTemporaryFile machine;
  if (!machine.open()) return 1;
  machine.write(R"({"enumerateMs": 20000})");
  machine.flush();
  QProcess child;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("FINGERPRINT_SIM"), machine.fileName());
  environment.remove(QStringLiteral("FINGERPRINT_BACKEND"));
  child.setProcessEnvironment(environment);
  QElapsedTimer timer;
  timer.start();
  child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hung-child")});
  child.waitForFinished(-1);
  const qint64 ended = timer.elapsed();
  const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
  if (child.exitCode() != 0 || fields.size() != 2) return 1;
  std::printf(
      "a service that hangs: four listings %s ms, with the release %s ms, process ended after %lld ms "
      "(goal: 3500 ms in all)\n",
      fields[0].constData(), fields[1].constData(), static_cast<long long>(ended));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc == 3 && std::string(argv[1]) == "--child") return Measure(std::stoi(argv[2]));
  if (argc == 2 && std::string(argv[1]) == "--hung-child") return ListHung();
  if (argc == 2 && std::string(argv[1]) == "hung") return BenchHungService();

  QStringList machines{QStringLiteral("1"), QStringLiteral("100"), QStringLiteral("200")};
  if (argc > 1) machines = app.arguments().mid(1);
  // The fastest round shows the cost without other processes' share of the
  // machine (under Wine every registry call is a round trip to its server).
  std::printf(
      "readers  median enumeration  per reader   fastest  per reader   (%d rounds, through the exports)\n",
      kRounds);
  for (const QString& machine : machines) {
    QTemporaryFile generated;
    QString file = machine;
    int readers = 0;
    if (machine.endsWith(QStringLiteral(".json"))) {
      QFile described(machine);
      if (!described.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(machine));
        return 1;
      }
      readers = static_cast<int>(QJsonDocument::fromJson(described.readAll())
                                     .object()
                                     .value(QStringLiteral("readers"))
                                     .toArray()
                                     .size());
    } else {
      readers = machine.toInt();
      if (!generated.open()) return 1;
      generated.write(Machine(readers));
      generated.flush();
      file = generated.fileName();
    }
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("FINGERPRINT_SIM"), file);
    environment.remove(QStringLiteral("FINGERPRINT_BACKEND"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), QString::number(readers)});
    child.waitForFinished(-1);
    const QByteArray output = child.readAllStandardOutput().trimmed();
    if (child.exitCode() != 0 || output.isEmpty()) {
      std::fprintf(stderr, "%s: %s\n", qPrintable(machine), child.readAllStandardError().constData());
      return 1;
    }
    const QList<QByteArray> fields = output.split(' ');
    const double median = fields.value(0).toDouble();
    const double fastest = fields.value(1).toDouble();
    std::printf("%7d  %15.2f ms  %8.1f us  %6.2f ms  %8.1f us\n", readers, median / 1e3, median / readers,
                fastest / 1e3, fastest / readers);
  }
  return 0;
}
