#include "host/qt_platform_check.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>

namespace {

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

}  // namespace

bool CheckQtPlatform(const QString& platformName, const QStringList& pluginDirectories, QString* error) {
  const QStringList alternatives = platformName.split(QLatin1Char(';'), Qt::SkipEmptyParts);
  // xcb without an X display ends the process as an unknown plugin does.
  if (alternatives.size() == 1 && alternatives[0].section(QLatin1Char(':'), 0, 0) == QLatin1String("xcb") &&
      !alternatives[0].contains(QLatin1String("display=")) && qEnvironmentVariableIsEmpty("DISPLAY")) {
    *error = QStringLiteral("Qt platform 'xcb' needs an X display, and DISPLAY is not set");
    return false;
  }
  const QStringList available = AvailablePlatforms(pluginDirectories);
  if (available.isEmpty()) return true;
  QStringList names;
  for (const QString& alternative : alternatives) {
    const QString name = alternative.section(QLatin1Char(':'), 0, 0);
    if (available.contains(name, Qt::CaseInsensitive)) return true;
    names << name;
  }
  *error = QStringLiteral("no Qt platform plugin '%1' (available: %2)")
               .arg(names.isEmpty() ? platformName : names.join(QStringLiteral("', '")),
                    available.join(QStringLiteral(", ")));
  return false;
}
