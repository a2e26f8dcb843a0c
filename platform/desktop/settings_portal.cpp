#include "platform/desktop/settings_portal.h"

#include <atomic>
#include <cstdlib>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFileInfo>

namespace platform::desktop {
namespace {

constexpr int kCallLimitMilliseconds = 1000;

QString UniqueConnectionName() {
  static std::atomic<int> next{0};
  return QStringLiteral("fingerprint-settings-portal-%1").arg(next++);
}

// The session bus's address, without libdbus's fallback of launching a bus
// of its own: a process without one has no portal to ask.
QString SessionBusAddress() {
  const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
  if (!address.isEmpty()) return address;
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus")))
    return QStringLiteral("unix:path=") + runtime + QStringLiteral("/bus");
  return {};
}

}  // namespace

SettingsPortal::SettingsPortal() : connectionName_(UniqueConnectionName()) {}

SettingsPortal::~SettingsPortal() {
  if (connected_) QDBusConnection::disconnectFromBus(connectionName_);
}

std::optional<bool> SettingsPortal::HighContrast() {
  const std::optional<uint32_t> contrast =
      ReadNumber(QStringLiteral("org.freedesktop.appearance"), QStringLiteral("contrast"));
  if (!contrast) return std::nullopt;
  return *contrast == 1;  // 0: no preference, 1: higher contrast
}

std::optional<uint32_t> SettingsPortal::ReadNumber(const QString& group, const QString& key) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!connected_) {
    const QString address = SessionBusAddress();
    if (address.isEmpty()) return std::nullopt;
    connected_ = true;  // a failed connection is named too, and let go of the same way
    QDBusConnection::connectToBus(address, connectionName_);
  }
  QDBusConnection bus(connectionName_);
  if (!bus.isConnected()) return std::nullopt;
  QDBusMessage read = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/org/freedesktop/portal/desktop"),
      QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("Read"));
  read << group << key;
  read.setAutoStartService(false);
  const QDBusMessage reply = bus.call(read, QDBus::Block, kCallLimitMilliseconds);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return std::nullopt;
  // Read wraps the value in a variant, older portals in two.
  QVariant value = reply.arguments().first();
  while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
    value = value.value<QDBusVariant>().variant();
  bool ok = false;
  const uint32_t number = value.toUInt(&ok);
  return ok ? std::optional<uint32_t>(number) : std::nullopt;
}

}  // namespace platform::desktop
