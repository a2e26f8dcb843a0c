#pragma once

#include <QString>
#include <QStringList>

// Qt ends the process (abort) when it cannot start the platform plugin it is
// told to use. Checks `platformName` ("name[:options]", alternatives separated by
// ";") against the platform plugins in `pluginDirectories` and Qt's own
// plugin paths before Qt is started; false with `error` naming the platform
// and the ones available. When no plugin can be found at all, nothing is
// refused: Qt may still have one built in.
bool CheckQtPlatform(const QString& platformName, const QStringList& pluginDirectories, QString* error);
