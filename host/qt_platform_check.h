#pragma once

#include <QString>
#include <QStringList>

// Qt ends the process (abort) when it cannot start the platform plugin it is
// told to use, and some plugins start but cannot show diag-host's windows to
// anyone (vnc waits for a viewer, vkkhrdisplay draws Vulkan surfaces only).
// So the platform is checked before the application object exists.

// Checks `platformName` ("name[:options]", alternatives separated by ";")
// against the platform plugins in `pluginDirectories` and Qt's own plugin
// paths, and against the platforms diag-host runs on; false with `error`
// naming the platform and what can be used instead. When no plugin can be
// found at all, the installed ones are not checked: Qt may have one built in.
bool CheckQtPlatform(const QString& platformName, const QStringList& pluginDirectories, QString* error);

// Whether Qt has to reach a display server to start `platformName` (empty:
// Qt's default), which may be missing, refuse, or never answer.
bool QtPlatformNeedsDisplay(const QString& platformName);

// Starts `program` as a probe (below) that starts the Qt platform chosen by
// the environment, and waits for it at most a few seconds. False, with
// `error` saying why (Qt's own words, or that it did not answer), when the
// platform did not start or is not one diag-host can run on.
bool ProbeQtPlatform(const QString& program, QString* error);

// In the probe's process: true, and the probe is to be run instead of a command.
bool IsQtPlatformProbe();
// Starts the platform, prints its name and returns 0; Qt aborts when it cannot.
int RunQtPlatformProbe(char* program);
