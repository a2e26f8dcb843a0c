#pragma once

#include <optional>

#include <QString>
#include <QStringList>

// diag-host's command line.
struct HostOptions {
  QString command;           // info, help, list, run; empty with --help or --version
  bool showUsage = false;    // --help, -h
  bool showVersion = false;  // --version
  QString modulePath;
  bool json = false;
  uint32_t device = 0;
  QString settingsFile;
  QString answer = QStringLiteral("none");  // yes, no, none
  std::optional<int> abortAfterMs;
  std::optional<int> eventAfterMs;
  QString screenshotFile;       // run: picture of the dialog; answers come from the script
  int screenshotAfterMs = 700;  // after the dialog appears: styling and the first tick have settled
  QString platform;             // run: Qt platform plugin (with its options); empty: Qt's choice
  bool unload = false;          // run: release and unload the module before the window goes
};

// Parses the arguments (without the program name). On failure returns nullopt
// and sets `error` to a message that names the bad argument. An option that
// does not apply to the command given is refused.
std::optional<HostOptions> ParseHostOptions(const QStringList& arguments, QString* error);

// Whether the arguments ask for machine-readable output, even when they do
// not parse: a script that asked for --json gets its last line as JSON.
bool WantsJson(const QStringList& arguments);

// --help, and the source the manual page is checked against.
extern const char* const kHostUsage;
