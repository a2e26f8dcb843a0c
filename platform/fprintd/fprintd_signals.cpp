#include "platform/fprintd/fprintd_signals.h"

#include <chrono>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QEventLoop>
#include <QObject>
#include <QVariantMap>

#include "platform/biometric_service.h"
#include "platform/fprintd/fprintd_presence.h"
#include "platform/platform.h"

namespace platform::fprintd {
namespace {

const QString kBusService = QStringLiteral("org.freedesktop.DBus");
const QString kBusPath = QStringLiteral("/org/freedesktop/DBus");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

}  // namespace

class FprintdSignals::Receiver : public QObject {
  Q_OBJECT

 public:
  Receiver(const Handler& handler, QEventLoop& loop) : handler_(handler), loop_(loop) {}

 public slots:
  void OnVerifyStatus(const QString& result, bool /*done*/, const QDBusMessage& message) {
    handler_({Event::VerifyStatus, message.path(), result});
  }
  void OnPropertiesChanged(const QString& /*interface*/, const QVariantMap& changed,
                           const QStringList& /*invalidated*/, const QDBusMessage& message) {
    const auto present = changed.find(QStringLiteral("finger-present"));
    if (present != changed.end() && present->toBool()) handler_({Event::FingerPresent, message.path(), {}});
  }
  void OnNameOwnerChanged(const QString& /*name*/, const QString& oldOwner, const QString& /*newOwner*/) {
    if (!oldOwner.isEmpty()) handler_({Event::Vanished, {}, {}});
  }
  void Quit() { loop_.quit(); }

 private:
  const Handler& handler_;
  QEventLoop& loop_;
};

FprintdSignals::FprintdSignals(const QString& connectionName, Handler handler)
    : connectionName_(connectionName), handler_(std::move(handler)) {
  std::promise<Receiver*> started;
  std::future<Receiver*> receiver = started.get_future();
  thread_ = std::thread(&FprintdSignals::Run, this, std::move(started));
  receiver_ = receiver.get();
  QDBusConnection(connectionName_)
      .connect(kBusService, kBusPath, kBusService, QStringLiteral("NameOwnerChanged"),
               {QString::fromLatin1(kService)}, QString(), receiver_,
               SLOT(OnNameOwnerChanged(QString, QString, QString)));
}

void FprintdSignals::Run(std::promise<Receiver*> started) {
  {
    QEventLoop loop;
    Receiver receiver(handler_, loop);
    started.set_value(&receiver);
    loop.exec();
  }
  ended_.set_value();
}

void FprintdSignals::Watch(const QString& devicePath) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!watched_.insert(devicePath).second) return;
  QDBusConnection bus(connectionName_);
  const QString service = QString::fromLatin1(kService);
  bus.connect(service, devicePath, QString::fromLatin1(kDeviceInterface), QStringLiteral("VerifyStatus"),
              receiver_, SLOT(OnVerifyStatus(QString, bool, QDBusMessage)));
  bus.connect(service, devicePath, kProperties, QStringLiteral("PropertiesChanged"), receiver_,
              SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList, QDBusMessage)));
}

FprintdSignals::~FprintdSignals() {
  QDBusConnection bus(connectionName_);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const QString service = QString::fromLatin1(kService);
    for (const QString& path : watched_) {
      bus.disconnect(service, path, QString::fromLatin1(kDeviceInterface), QStringLiteral("VerifyStatus"),
                     receiver_, SLOT(OnVerifyStatus(QString, bool, QDBusMessage)));
      bus.disconnect(service, path, kProperties, QStringLiteral("PropertiesChanged"), receiver_,
                     SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList, QDBusMessage)));
    }
  }
  bus.disconnect(kBusService, kBusPath, kBusService, QStringLiteral("NameOwnerChanged"),
                 {QString::fromLatin1(kService)}, QString(), receiver_,
                 SLOT(OnNameOwnerChanged(QString, QString, QString)));
  QMetaObject::invokeMethod(receiver_, "Quit", Qt::QueuedConnection);
  if (ended_.get_future().wait_for(std::chrono::milliseconds(kCancelGraceMilliseconds)) ==
      std::future_status::ready) {
    thread_.join();
    return;
  }
  // Its code must stay while the thread may still run it.
  PinModule();
  thread_.detach();
}

}  // namespace platform::fprintd

#include "fprintd_signals.moc"
