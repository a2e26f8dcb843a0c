#include "host/backend_in_use.h"

#include <QDir>
#include <QFileInfo>

QString BackendInUse(const QString& modulePath) {
#if defined(Q_OS_WIN)
  Q_UNUSED(modulePath);
  return QStringLiteral("win32");
#else
  const QString chosen = qEnvironmentVariable("FINGERPRINT_BACKEND").toLower();
  if (chosen.isEmpty() || chosen == QLatin1String("sim")) return QStringLiteral("sim");
  if (chosen == QLatin1String("libfprint")) {
    const QString helper =
        QFileInfo(modulePath).dir().filePath(QStringLiteral("fingerprint-libfprint-helper"));
    return QFileInfo::exists(helper) ? chosen : QStringLiteral("none (libfprint not built)");
  }
  return QStringLiteral("none (unknown backend '%1')").arg(qEnvironmentVariable("FINGERPRINT_BACKEND"));
#endif
}
