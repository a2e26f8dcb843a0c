#include "host/qt_platform_check.h"

#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>
#include <QProcess>
#include <QRegularExpression>

#include "common/quoted_text.h"

namespace {

constexpr const char* kProbeVariable = "DIAG_HOST_QT_PLATFORM_PROBE";
// Qt starts a platform in well under a second; one that has not started
// after this is waiting for something that will not come.
constexpr int kProbeSeconds = 5;
const char* const kWhatRuns =
    "it shows its windows on xcb, wayland or windows, or runs headless on offscreen or minimal";

QStringList Alternatives(const QString& platformName) {
  QStringList names;
  for (const QString& alternative : platformName.split(QLatin1Char(';'), Qt::SkipEmptyParts))
    names << alternative.section(QLatin1Char(':'), 0, 0);
  return names;
}

bool Headless(const QString& name) {
  return name == QLatin1String("offscreen") || name == QLatin1String("minimal");
}

// Where diag-host can show its windows and message boxes to the person at
// the computer, or run without them.
bool RunsOn(const QString& name) {
  return Headless(name) || name == QLatin1String("xcb") || name.startsWith(QLatin1String("wayland")) ||
         name == QLatin1String("windows") || name == QLatin1String("cocoa");
}

QStringList AvailablePlatforms(const QStringList& directories) {
  QStringList keys;
  for (const QString& directory : directories + QCoreApplication::libraryPaths()) {
    const QDir platforms(QDir(directory).filePath(QStringLiteral("platforms")));
    for (const QString& file : platforms.entryList(QDir::Files)) {
      // Reads the plugin's metadata only; the library is not loaded.
      const QJsonObject meta = QPluginLoader(platforms.filePath(file)).metaData();
      for (const QJsonValue& key :
           meta.value(QLatin1String("MetaData")).toObject().value(QLatin1String("Keys")).toArray())
        if (!keys.contains(key.toString(), Qt::CaseInsensitive)) keys << key.toString();
    }
  }
  return keys;
}

QString NotRunOn(const QString& name) {
  return QStringLiteral("diag-host does not run on Qt platform %1: %2")
      .arg(common::QuotedText(name), QLatin1String(kWhatRuns));
}

// What Qt wrote before it gave up, without its advice to reinstall.
QString QtSays(const QByteArray& errors) {
  static const QRegularExpression category(QStringLiteral(R"(^qt\.[\w.]+: )"));
  QStringList said;
  for (QString line : QString::fromLocal8Bit(errors).split(QLatin1Char('\n'))) {
    line = line.trimmed().remove(category);
    if (line.isEmpty() || line.startsWith(QLatin1String("QStandardPaths:")) ||
        line.startsWith(QLatin1String("This application failed to start")) ||
        line.endsWith(QLatin1String("even though it was found.")) ||
        line.startsWith(QLatin1String("Available platform plugins")))
      continue;
    said << line;
  }
  return said.join(QStringLiteral("; "));
}

}  // namespace

bool CheckQtPlatform(const QString& platformName, const QStringList& pluginDirectories, QString* error) {
  const QStringList names = Alternatives(platformName);
  // xcb without an X display ends the process as an unknown plugin does.
  if (names.size() == 1 && names[0] == QLatin1String("xcb") &&
      !platformName.contains(QLatin1String("display=")) && qEnvironmentVariableIsEmpty("DISPLAY")) {
    *error = QStringLiteral("Qt platform 'xcb' needs an X display, and DISPLAY is not set");
    return false;
  }
  const QStringList available = AvailablePlatforms(pluginDirectories);
  bool installed = available.isEmpty();
  for (const QString& name : names) installed = installed || available.contains(name, Qt::CaseInsensitive);
  if (!installed) {
    *error = QStringLiteral("no Qt platform plugin %1 (available: %2)")
                 .arg(common::QuotedText(names.isEmpty() ? platformName : names.join(QStringLiteral("', '"))),
                      available.join(QStringLiteral(", ")));
    return false;
  }
  for (const QString& name : names)
    if (RunsOn(name)) return true;
  *error = NotRunOn(names.join(QLatin1Char(';')));
  return false;
}

bool QtPlatformNeedsDisplay(const QString& platformName) {
  const QStringList names = Alternatives(platformName);
#if defined(Q_OS_WIN)
  // Windows' own platform, Qt's default there, needs no server.
  if (names.isEmpty()) return false;
#endif
  for (const QString& name : names)
    if (!Headless(name) && name != QLatin1String("windows")) return true;
  return names.isEmpty();
}

bool ProbeQtPlatform(const QString& program, QString* error) {
  const QString requested = qEnvironmentVariable("QT_QPA_PLATFORM");
  const QString platform = requested.isEmpty() ? QStringLiteral("Qt's default platform")
                                               : QStringLiteral("Qt platform '%1'").arg(requested);
  QProcess probe;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QLatin1String(kProbeVariable), QStringLiteral("1"));
  probe.setProcessEnvironment(environment);
  probe.start(program, {});
  if (!probe.waitForFinished(kProbeSeconds * 1000)) {
    const bool started = probe.state() != QProcess::NotRunning;
    probe.kill();
    probe.waitForFinished(1000);
    *error = started ? QStringLiteral("%1 did not start within %2 s").arg(platform).arg(kProbeSeconds)
                     : QStringLiteral("cannot check %1: %2").arg(platform, probe.errorString());
    return false;
  }
  const QString name = QString::fromLocal8Bit(probe.readAllStandardOutput()).trimmed();
  if (probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0 || name.isEmpty()) {
    const QString said = QtSays(probe.readAllStandardError());
    *error = QStringLiteral("%1 cannot start: %2; --platform offscreen runs headless")
                 .arg(platform, said.isEmpty() ? QStringLiteral("Qt ended without saying why")
                                               : QStringLiteral("Qt says ") + common::QuotedText(said, 160));
    return false;
  }
  if (!RunsOn(name)) {
    *error = NotRunOn(name);
    return false;
  }
  return true;
}

bool IsQtPlatformProbe() {
  return qEnvironmentVariableIsSet(kProbeVariable);
}

int RunQtPlatformProbe(char* program) {
  int argc = 1;
  char* argv[] = {program, nullptr};
  const QGuiApplication application(argc, argv);
  std::printf("%s\n", QGuiApplication::platformName().toLocal8Bit().constData());
  return 0;
}
