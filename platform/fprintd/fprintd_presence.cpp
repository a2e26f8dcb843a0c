#include "platform/fprintd/fprintd_presence.h"

#include <atomic>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>

namespace platform::fprintd {
namespace {

constexpr int kBusLimitMilliseconds = 2000;

QDBusMessage AskTheBus(const QDBusConnection& bus, const char* method, const QVariantList& arguments) {
  QDBusMessage question = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
      QStringLiteral("org.freedesktop.DBus"), QString::fromLatin1(method));
  question.setArguments(arguments);
  return bus.call(question, QDBus::Block, kBusLimitMilliseconds);
}

std::string Failure(const char* what, const QDBusMessage& reply) {
  return std::string(what) + ": " + reply.errorName().toStdString() + ": " +
         reply.errorMessage().toStdString();
}

}  // namespace

common::ServicePresence Presence() {
  static std::atomic<int> probes{0};
  const QString name = QStringLiteral("fingerprint-fprintd-presence-%1").arg(probes++);
  common::ServicePresence presence{false, "fprintd is not on the system bus"};
  {
    const QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SystemBus, name);
    if (!bus.isConnected()) {
      presence.detail = "no system bus to find fprintd on: " + bus.lastError().message().toStdString();
    } else {
      const QString service = QString::fromLatin1(kService);
      const QDBusMessage owned = AskTheBus(bus, "NameHasOwner", {service});
      if (owned.type() != QDBusMessage::ReplyMessage) {
        presence.detail = Failure("the system bus did not say whether fprintd runs", owned);
      } else if (owned.arguments().value(0).toBool()) {
        presence = {true, "fprintd is running on the system bus"};
      } else {
        const QDBusMessage activatable = AskTheBus(bus, "ListActivatableNames", {});
        if (activatable.type() != QDBusMessage::ReplyMessage)
          presence.detail = Failure("the system bus did not list the services it can start", activatable);
        else if (activatable.arguments().value(0).toStringList().contains(service))
          presence = {true, "fprintd can be started on the system bus"};
      }
    }
  }
  QDBusConnection::disconnectFromBus(name);
  return presence;
}

}  // namespace platform::fprintd
