#pragma once

#include <chrono>

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

// A machine with the system's fingerprint daemon, for the tests and the
// benchmarks: a private system bus (dbus-daemon, a configuration of its own),
// polkit played by python3-dbusmock's polkitd template, and Debian's fprintd
// (-t: it stays) on libfprint's virtual_device, with its prints in a
// temporary folder. This process's DBUS_SYSTEM_BUS_ADDRESS names the private
// bus from then on; libdbus reads it once per process, so one testbed each.
class FprintdTestbed {
 public:
  static constexpr char kFinger[] = "right-index-finger";
  static constexpr char kPrint[] = "the-enrolled-finger";  // the virtual device's name for the print

  FprintdTestbed();
  ~FprintdTestbed();
  FprintdTestbed(const FprintdTestbed&) = delete;
  FprintdTestbed& operator=(const FprintdTestbed&) = delete;

  const QString& Problem() const { return problem_; }  // empty when all runs

  // The actions polkit allows (at the start: verifying and enrolling).
  bool Allow(const QStringList& actions);
  static QStringList VerifyAndEnroll();
  bool StartFprintd();
  void KillFprintd();  // SIGKILL, from any thread
  // Enrols kFinger through fprintd, as the desktop's settings would.
  bool Enroll();
  // A method of fprintd's device from the testbed's own client (a Claim
  // holds the device as the lock screen would). Any thread.
  bool Device(const QString& method, const QVariantList& arguments = {}, QVariant* result = nullptr);
  // Until the device waits for a finger (finger-needed): then a command
  // reaches the verification. Any thread.
  bool WaitForFingerNeeded(std::chrono::milliseconds limit);
  // Hands the virtual device a command ("SCAN <print>", "FINGER 1"). Any thread.
  bool Send(const QByteArray& command);

 private:
  bool Owned(const QString& name);  // the name is on the bus
  bool Call(const QString& service, const QString& path, const QString& interface, const QString& method,
            const QVariantList& arguments, QVariant* result = nullptr);

  QTemporaryDir dir_;
  QString problem_;
  QProcess bus_;
  QProcess polkit_;
  QProcess fprintd_;
};
