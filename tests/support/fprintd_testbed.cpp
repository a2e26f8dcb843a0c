#include "tests/support/fprintd_testbed.h"

#include <csignal>
#include <thread>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>

#include "tests/support/virtual_device_socket.h"

namespace {

const QString kConnection = QStringLiteral("fprintd-testbed");
const QString kFprintd = QStringLiteral("net.reactivated.Fprint");
const QString kDeviceInterface = QStringLiteral("net.reactivated.Fprint.Device");
constexpr std::chrono::seconds kStartLimit{30};
constexpr int kCallLimitMilliseconds = 10000;

// A bus for one test run: anyone may own any name and send anything, as the
// system bus's own policy files would allow fprintd and polkit.
constexpr char kBusConfiguration[] = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_type="method_return"/>
    <allow send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="signal"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
  </policy>
</busconfig>
)";

}  // namespace

FprintdTestbed::FprintdTestbed() {
  if (!dir_.isValid()) {
    problem_ = QStringLiteral("no temporary folder");
    return;
  }
  socket_ = dir_.filePath(QStringLiteral("virtual-device"));
  const QString configuration = dir_.filePath(QStringLiteral("bus.conf"));
  QFile file(configuration);
  if (!file.open(QIODevice::WriteOnly) ||
      file.write(QString::fromLatin1(kBusConfiguration).arg(dir_.filePath("bus")).toUtf8()) < 0) {
    problem_ = QStringLiteral("cannot write %1").arg(configuration);
    return;
  }
  file.close();
  bus_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + configuration,
                                             QStringLiteral("--nofork"), QStringLiteral("--print-address")});
  if (!bus_.waitForStarted() || !bus_.waitForReadyRead(30000)) {
    problem_ = QStringLiteral("dbus-daemon did not start: ") + bus_.errorString();
    return;
  }
  const QByteArray address = bus_.readLine().trimmed();
  qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
  QDBusConnection::connectToBus(QString::fromUtf8(address), kConnection);

  polkit_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  polkit_.start(QStringLiteral(FP_DBUSMOCK_PYTHON),
                {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
                 QStringLiteral("--template"), QStringLiteral("polkitd")});
  if (!WaitForName(QStringLiteral("org.freedesktop.PolicyKit1"), kStartLimit) || !Allow(VerifyAndEnroll())) {
    problem_ = QStringLiteral("python3-dbusmock's polkitd did not start");
    return;
  }
  if (!StartFprintd()) problem_ = QStringLiteral("fprintd did not start: ") + fprintd_.errorString();
}

FprintdTestbed::~FprintdTestbed() {
  QDBusConnection::disconnectFromBus(kConnection);
  for (QProcess* process : {&fprintd_, &polkit_, &bus_}) {
    process->kill();
    process->waitForFinished();
  }
}

QStringList FprintdTestbed::VerifyAndEnroll() {
  return {QStringLiteral("net.reactivated.fprint.device.verify"),
          QStringLiteral("net.reactivated.fprint.device.enroll")};
}

bool FprintdTestbed::Allow(const QStringList& actions) {
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.PolicyKit1"), QStringLiteral("/org/freedesktop/PolicyKit1/Authority"),
      QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("SetAllowed"));
  call << actions;
  return QDBusConnection(kConnection).call(call, QDBus::Block, kCallLimitMilliseconds).type() ==
         QDBusMessage::ReplyMessage;
}

bool FprintdTestbed::StartFprintd() {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("FP_DRIVERS_WHITELIST"), QStringLiteral("virtual_device"));
  environment.insert(QStringLiteral("FP_DRIVERS_ALLOWLIST"), QStringLiteral("virtual_device"));
  environment.insert(QStringLiteral("FP_VIRTUAL_DEVICE"), socket_);
  environment.insert(QStringLiteral("STATE_DIRECTORY"), dir_.filePath(QStringLiteral("prints")));
  fprintd_.setProcessEnvironment(environment);
  // Its log goes nowhere: it tells of every poll of the tests.
  fprintd_.setStandardOutputFile(QProcess::nullDevice());
  fprintd_.setStandardErrorFile(QProcess::nullDevice());
  fprintd_.start(QStringLiteral(FP_FPRINTD_DAEMON), {QStringLiteral("-t")});
  return fprintd_.waitForStarted() && WaitForName(kFprintd, kStartLimit);
}

void FprintdTestbed::KillFprintd() {
  if (const qint64 pid = fprintd_.processId()) ::kill(static_cast<pid_t>(pid), SIGKILL);
}

bool FprintdTestbed::Enroll() {
  const QString device = QString::fromLatin1(kDevice);
  QVariant stages;
  if (!Call(device, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
            {kDeviceInterface, QStringLiteral("num-enroll-stages")}, &stages) ||
      !Call(device, kDeviceInterface, QStringLiteral("Claim"), {QString()}) ||
      !Call(device, kDeviceInterface, QStringLiteral("EnrollStart"), {QString::fromLatin1(kFinger)}))
    return false;
  // One scan per stage; the device takes them in turn.
  bool enrolled = true;
  for (int stage = 0; stage < stages.toInt() && enrolled; ++stage)
    enrolled = Send(QByteArray("SCAN ") + kPrint);
  const auto until = std::chrono::steady_clock::now() + kStartLimit;
  for (QVariant fingers; enrolled;) {
    if (Call(device, kDeviceInterface, QStringLiteral("ListEnrolledFingers"), {QString()}, &fingers) &&
        fingers.toStringList().contains(QString::fromLatin1(kFinger)))
      break;
    if (std::chrono::steady_clock::now() > until) enrolled = false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Call(device, kDeviceInterface, QStringLiteral("EnrollStop"), {});
  return Call(device, kDeviceInterface, QStringLiteral("Release"), {}) && enrolled;
}

bool FprintdTestbed::ClaimElsewhere() {
  return Call(QString::fromLatin1(kDevice), kDeviceInterface, QStringLiteral("Claim"), {QString()});
}

bool FprintdTestbed::ReleaseElsewhere() {
  return Call(QString::fromLatin1(kDevice), kDeviceInterface, QStringLiteral("Release"), {});
}

bool FprintdTestbed::WaitForFingerNeeded(std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < until) {
    QVariant needed;
    if (Call(QString::fromLatin1(kDevice), QStringLiteral("org.freedesktop.DBus.Properties"),
             QStringLiteral("Get"), {kDeviceInterface, QStringLiteral("finger-needed")}, &needed) &&
        needed.toBool())
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

bool FprintdTestbed::Send(const QByteArray& command) {
  return SendVirtualDeviceCommand(socket_.toStdString(), command.toStdString()).has_value();
}

bool FprintdTestbed::Call(const QString& path, const QString& interface, const QString& method,
                          const QVariantList& arguments, QVariant* result) {
  QDBusMessage call = QDBusMessage::createMethodCall(kFprintd, path, interface, method);
  call.setArguments(arguments);
  const QDBusMessage reply = QDBusConnection(kConnection).call(call, QDBus::Block, kCallLimitMilliseconds);
  if (reply.type() != QDBusMessage::ReplyMessage) return false;
  if (result) {
    *result = reply.arguments().value(0);
    if (result->userType() == qMetaTypeId<QDBusVariant>()) *result = result->value<QDBusVariant>().variant();
  }
  return true;
}

bool FprintdTestbed::WaitForName(const QString& name, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  QDBusMessage owned = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
  owned << name;
  while (std::chrono::steady_clock::now() < until) {
    const QDBusMessage reply = QDBusConnection(kConnection).call(owned, QDBus::Block, kCallLimitMilliseconds);
    if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}
