#pragma once

#include <QString>

#include "contract/settings.h"

// Reads a settings file in the suite's INI form ([SECTION], KEY=VALUE, ";"
// comments; names in upper case) into the map the test takes, and checks the
// test's timeout keys. On failure `error` names the file, and the line or the
// key and value at fault.
bool ReadSettingsFile(const QString& path, Settings* settings, QString* error);
