#pragma once

#include <optional>

#include <QString>
#include <QStringList>

// diag-host's command line.
struct HostOptions {
  QString command;  // info, help, list, run
  QString modulePath;
  bool json = false;
  uint32_t device = 0;
  QString settingsFile;
  QString answer = QStringLiteral("none");  // yes, no, none
  std::optional<int> abortAfterMs;
  std::optional<int> eventAfterMs;
  QString screenshotFile;  // run: picture of the dialog; answers come from the script
};

// Parses the arguments (without the program name). On failure returns nullopt
// and sets `error` to a message that names the bad argument.
std::optional<HostOptions> ParseHostOptions(const QStringList& arguments, QString* error);

extern const char* const kHostUsage;
