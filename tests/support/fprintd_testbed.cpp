#include "tests/support/fprintd_testbed.h"

#include <csignal>
#include <sys/prctl.h>
#include <thread>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

#include "tests/support/virtual_device_socket.h"

namespace {

const QString kConnection = QStringLiteral("fprintd-testbed");
const QString kFprintd = QStringLiteral("net.reactivated.Fprint");
const QString kPolkit = QStringLiteral("org.freedesktop.PolicyKit1");
const QString kDevice = QStringLiteral("/net/reactivated/Fprint/Device/0");
const QString kDeviceInterface = QStringLiteral("net.reactivated.Fprint.Device");
const QString kBus = QStringLiteral("org.freedesktop.DBus");
constexpr int kLimitMilliseconds = 30000;

// Asks `question` every 20 ms until it says yes, within the limit.
template <class Question>
bool Eventually(Question question) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLimitMilliseconds);
  for (; std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(std::chrono::milliseconds(20)))
    if (question()) return true;
  return false;
}

}  // namespace

FprintdTestbed::FprintdTestbed() {
  // The daemons end with this process, however it ends.
  for (QProcess* process : {&bus_, &polkit_, &fprintd_})
    process->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
  bus_.start(QStringLiteral("dbus-daemon"),
             {"--config-file=" FP_TEST_DATA "/dbus/system-bus.conf", "--nofork",
              "--address=unix:path=" + dir_.filePath("bus"), "--print-address"});
  if (!bus_.waitForStarted() || !bus_.waitForReadyRead(kLimitMilliseconds)) {
    problem_ = QStringLiteral("dbus-daemon did not start: ") + bus_.errorString();
    return;
  }
  const QByteArray address = bus_.readLine().trimmed();
  qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
  QDBusConnection::connectToBus(QString::fromUtf8(address), kConnection);
  polkit_.start(QStringLiteral(FP_DBUSMOCK_PYTHON), {"-m", "dbusmock", "--system", "--template", "polkitd"});
  if (!Eventually([this] { return Owned(kPolkit); }) || !Allow(VerifyAndEnroll()))
    problem_ = QStringLiteral("python3-dbusmock's polkitd did not start");
  else if (!StartFprintd())
    problem_ = QStringLiteral("fprintd did not start: ") + fprintd_.errorString();
}

FprintdTestbed::~FprintdTestbed() {
  QDBusConnection::disconnectFromBus(kConnection);
  for (QProcess* process : {&fprintd_, &polkit_, &bus_}) {
    process->kill();
    process->waitForFinished();
  }
}

QStringList FprintdTestbed::VerifyAndEnroll() {
  return {"net.reactivated.fprint.device.verify", "net.reactivated.fprint.device.enroll"};
}

bool FprintdTestbed::Allow(const QStringList& actions) {
  return Call(kPolkit, "/org/freedesktop/PolicyKit1/Authority", "org.freedesktop.DBus.Mock", "SetAllowed",
              {actions});
}

bool FprintdTestbed::StartFprintd() {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  for (const char* variable : {"FP_DRIVERS_WHITELIST", "FP_DRIVERS_ALLOWLIST"})
    environment.insert(QString::fromLatin1(variable), QStringLiteral("virtual_device"));
  environment.insert(QStringLiteral("FP_VIRTUAL_DEVICE"), dir_.filePath(QStringLiteral("virtual-device")));
  environment.insert(QStringLiteral("STATE_DIRECTORY"), dir_.filePath(QStringLiteral("prints")));
  fprintd_.setProcessEnvironment(environment);
  // Its log tells of every poll of the tests: it goes nowhere.
  fprintd_.setStandardOutputFile(QProcess::nullDevice());
  fprintd_.setStandardErrorFile(QProcess::nullDevice());
  fprintd_.start(QStringLiteral(FP_FPRINTD_DAEMON), {QStringLiteral("-t")});
  return fprintd_.waitForStarted() && Eventually([this] { return Owned(kFprintd); });
}

void FprintdTestbed::KillFprintd() {
  if (const qint64 pid = fprintd_.processId()) ::kill(static_cast<pid_t>(pid), SIGKILL);
}

bool FprintdTestbed::Enroll() {
  QVariant stages;
  if (!Call(kFprintd, kDevice, "org.freedesktop.DBus.Properties", "Get",
            {kDeviceInterface, "num-enroll-stages"}, &stages) ||
      !Device("Claim", {QString()}) || !Device("EnrollStart", {QString::fromLatin1(kFinger)}))
    return false;
  // One scan a stage; the device takes them in turn.
  bool enrolled = true;
  for (int stage = 0; stage < stages.toInt(); ++stage)
    enrolled = enrolled && Send(QByteArray("SCAN ") + kPrint);
  enrolled = enrolled && Eventually([this] {
               QVariant fingers;
               return Device("ListEnrolledFingers", {QString()}, &fingers) &&
                      fingers.toStringList().contains(QString::fromLatin1(kFinger));
             });
  Device("EnrollStop");
  return Device("Release") && enrolled;
}

bool FprintdTestbed::Device(const QString& method, const QVariantList& arguments, QVariant* result) {
  return Call(kFprintd, kDevice, kDeviceInterface, method, arguments, result);
}

bool FprintdTestbed::WaitForFingerNeeded(std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  for (QVariant needed; std::chrono::steady_clock::now() < until;
       std::this_thread::sleep_for(std::chrono::milliseconds(10)))
    if (Call(kFprintd, kDevice, "org.freedesktop.DBus.Properties", "Get", {kDeviceInterface, "finger-needed"},
             &needed) &&
        needed.toBool())
      return true;
  return false;
}

bool FprintdTestbed::Send(const QByteArray& command) {
  return SendVirtualDeviceCommand(dir_.filePath("virtual-device").toStdString(), command.toStdString())
      .has_value();
}

bool FprintdTestbed::Owned(const QString& name) {
  QVariant owned;
  return Call(kBus, "/org/freedesktop/DBus", kBus, "NameHasOwner", {name}, &owned) && owned.toBool();
}

bool FprintdTestbed::Call(const QString& service, const QString& path, const QString& interface,
                          const QString& method, const QVariantList& arguments, QVariant* result) {
  QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
  call.setArguments(arguments);
  const QDBusMessage reply = QDBusConnection(kConnection).call(call, QDBus::Block, kLimitMilliseconds);
  if (reply.type() != QDBusMessage::ReplyMessage) return false;
  if (result) {
    *result = reply.arguments().value(0);
    if (result->userType() == qMetaTypeId<QDBusVariant>()) *result = result->value<QDBusVariant>().variant();
  }
  return true;
}
