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
  QString platform;        // run: Qt platform plugin (with its options); empty: Qt's choice
};

// Parses the arguments (without the program name). On failure returns nullopt
// and sets `error` to a message that names the bad argument.
// The module's backend as the user chose it in FINGERPRINT_BACKEND ("sim"
// when unset), for display: the host sees only the module's exports, so it
// reads the variable the module reads.
QString ChosenBackend();

std::optional<HostOptions> ParseHostOptions(const QStringList& arguments, QString* error);

extern const char* const kHostUsage;
