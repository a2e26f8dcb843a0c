#pragma once

#include <chrono>

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A machine with the system's fingerprint daemon for the tests and
// benchmarks: a private system bus (dbus-daemon with a configuration of its
// own), polkit played by python3-dbusmock's polkitd template, and Debian's
// real fprintd (-t: it stays) on libfprint's virtual_device, which keeps its
// prints in a temporary folder. This process's DBUS_SYSTEM_BUS_ADDRESS names
// the private bus from then on (libdbus reads it once per process, so one
// testbed per process). The virtual device takes its commands (SCAN <id>,
// FINGER 1, ...) on a socket.
class FprintdTestbed {
 public:
  static constexpr char kFinger[] = "right-index-finger";
  static constexpr char kPrint[] = "the-enrolled-finger";  // the virtual device's name for its print
  static constexpr char kDevice[] = "/net/reactivated/Fprint/Device/0";

  FprintdTestbed();
  ~FprintdTestbed();
  FprintdTestbed(const FprintdTestbed&) = delete;
  FprintdTestbed& operator=(const FprintdTestbed&) = delete;

  // Empty when everything runs; else what did not start.
  const QString& Problem() const { return problem_; }

  // polkit's answer to fprintd: which actions it allows (at the start:
  // verifying and enrolling, as for the active session's user).
  bool Allow(const QStringList& actions);
  static QStringList VerifyAndEnroll();

  bool StartFprintd();
  // SIGKILL, at once, from any thread.
  void KillFprintd();
  // Enrols kFinger through fprintd, as the desktop's settings would.
  bool Enroll();
  // Claims the device from a client of its own, as the lock screen would.
  bool ClaimElsewhere();
  bool ReleaseElsewhere();

  // Waits until the device waits for a finger (fprintd's finger-needed);
  // then a command reaches the verification. Any thread.
  bool WaitForFingerNeeded(std::chrono::milliseconds limit);
  // Hands the virtual device a command and waits until it has taken it. Any thread.
  bool Send(const QByteArray& command);

 private:
  bool Call(const QString& path, const QString& interface, const QString& method,
            const QVariantList& arguments, QVariant* result = nullptr);
  bool WaitForName(const QString& name, std::chrono::milliseconds limit);

  QTemporaryDir dir_;
  QString problem_;
  QProcess bus_;
  QProcess polkit_;
  QProcess fprintd_;
  QString socket_;
};
