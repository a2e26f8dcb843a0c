#pragma once

#include <QString>

// diag-host's exit code when it could not do what was asked.
inline constexpr int kHostError = 2;

// Reports a problem of diag-host's own as "diag-host: <message>" on standard
// error and, for scripts that asked for --json, as the last line on standard
// output: {"call":"error","message":...,"code":2}. Returns kHostError.
int ReportHostError(bool json, const QString& message);
