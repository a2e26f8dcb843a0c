// Windows Biometric Framework calls answered by fprintd over the D-Bus system
// bus. Every call to fprintd has a deadline; the wait for a finger lasts until
// a touch, a failure, fprintd leaving the bus, or a cancel.
#include "platform/fprintd/fprintd_biometric_service.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QVariantMap>

#include "platform/fprintd/fprintd_presence.h"
#include "platform/fprintd/fprintd_signals.h"
#include "platform/posix/linux_biometric_service.h"
#if defined(FP_HAVE_UDEV)
#include "platform/udev/usb_readers.h"
#endif

namespace platform::fprintd {
namespace {

// Listing may have the bus start fprintd, and a claim opens the device: both
// may take seconds. Stopping a verification and releasing a device are
// bounded like any call after a cancel.
constexpr int kStartLimitMilliseconds = 10000;
constexpr int kStopLimitMilliseconds = static_cast<int>(kCancelGraceMilliseconds);
// A session over no device: HRESULT_FROM_WIN32(ERROR_NOT_FOUND).
constexpr HRESULT_T kNoUnit = static_cast<HRESULT_T>(0x80070490u);

bool Failed(const QDBusMessage& reply) {
  return reply.type() != QDBusMessage::ReplyMessage;
}

// The framework's result for fprintd's answer.
HRESULT_T ResultOf(const QDBusMessage& reply) {
  const QString error = reply.errorName();
  // The lock screen, sudo or another client has claimed the device.
  if (error == QLatin1String("net.reactivated.Fprint.Error.AlreadyInUse")) return WINBIO_E_DEVICE_BUSY;
  if (error == QLatin1String("net.reactivated.Fprint.Error.PermissionDenied")) return FP_E_NOT_AUTHORIZED;
  if (error == QLatin1String("net.reactivated.Fprint.Error.NoEnrolledPrints")) return FP_E_NO_ENROLLED_PRINTS;
  return WINBIO_E_DEVICE_FAILURE;
}

std::string ErrorText(const QDBusMessage& reply) {
  return reply.errorName().toStdString() + ": " + reply.errorMessage().toStdString();
}

// A verification status that is no reading of a finger.
bool IsFailure(const QString& verifyResult) {
  return verifyResult == QLatin1String("verify-disconnected") ||
         verifyResult == QLatin1String("verify-unknown-error");
}

struct Device {
  QString path;
  std::string name;
  WINBIO_UNIT_ID unit = 0;
};

struct Session {
  std::vector<Device> devices;  // claimed
  uint64_t owner = 0;           // the bus owner changes seen when it opened
  bool waiting = false;
  bool cancel = false;
  WINBIO_UNIT_ID touched = 0;
  HRESULT_T failure = S_OK_T;
  std::string why;
};

QString UniqueConnectionName() {
  static std::atomic<int> next{0};
  return QStringLiteral("fingerprint-fprintd-%1").arg(next++);
}

class FprintdBiometricService : public posix::LinuxBiometricService {
 public:
  FprintdBiometricService() : connectionName_(UniqueConnectionName()) {}

  ~FprintdBiometricService() override {
    signals_.reset();  // first: its handler uses this object
    if (connected_) QDBusConnection::disconnectFromBus(connectionName_);
  }

  HRESULT_T EnumBiometricUnits(WINBIO_BIOMETRIC_TYPE factor, WINBIO_UNIT_SCHEMA** units,
                               size_t* count) override {
    if (!units || !count) return E_POINTER_T;
    *units = nullptr;
    *count = 0;
    if ((factor & WINBIO_TYPE_FINGERPRINT) == 0) return S_OK_T;

    std::vector<Device> devices;
    std::vector<ListedUnit> listed;
    std::string unreachable;
    const QDBusMessage reply =
        Call(QString::fromLatin1(kManagerPath), kManagerInterface, "GetDevices", {}, kStartLimitMilliseconds);
    if (Failed(reply)) {
      unreachable = ErrorText(reply);
      std::fprintf(stderr, "fprintd: cannot list the readers: %s\n", unreachable.c_str());
    } else {
      for (const QDBusObjectPath& path : qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().value(0))) {
        const QVariantMap properties = DeviceProperties(path.path());
        const std::string name = properties.value(QStringLiteral("name")).toString().toStdString();
        const std::string scanType = properties.value(QStringLiteral("scan-type")).toString().toStdString();
        devices.push_back(Device{path.path(), name, static_cast<WINBIO_UNIT_ID>(devices.size() + 1)});
        listed.push_back(ListedUnit{true, "FPRINTD\\" + path.path().toStdString(),
                                    scanType.empty() ? name : name + " (" + scanType + " sensor)", "fprintd",
                                    name, S_OK_T, ""});
      }
    }
    AddUsbReaders(devices.size(), unreachable, listed);

    {
      std::lock_guard<std::mutex> lock(mutex_);
      devices_ = devices;
    }
    return HandOut(listed, units, count);
  }

  // Claims every device fprintd listed last for the user who runs the test.
  // One that cannot be claimed fails the session, as a pool with a busy unit
  // does: the lock screen, sudo or another client holds it, or policy says no.
  HRESULT_T OpenSession(WINBIO_BIOMETRIC_TYPE factor, WINBIO_POOL_TYPE poolType, WINBIO_SESSION_FLAGS,
                        WINBIO_UNIT_ID* unitArray, size_t unitCount, const WINBIO_GUID*,
                        WINBIO_SESSION_HANDLE* sessionHandle) override {
    if (const HRESULT_T wrong = CheckPoolSession(factor, poolType, unitArray, unitCount, sessionHandle))
      return wrong;
    auto session = std::make_shared<Session>();
    std::vector<Device> devices;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      devices = devices_;
      session->owner = ownerChanges_;
    }
    if (devices.empty()) return kNoUnit;
    FprintdSignals& deviceSignals = Signals();
    for (const Device& device : devices) {
      deviceSignals.Watch(device.path);  // before any verification can report
      const QDBusMessage reply =
          Call(device.path, kDeviceInterface, "Claim", {QString()}, kStartLimitMilliseconds);
      if (Failed(reply)) {
        Report("claiming", device, ErrorText(reply));
        Release(session->devices);
        return ResultOf(reply);
      }
      session->devices.push_back(device);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    const WINBIO_SESSION_HANDLE handle = nextHandle_++;
    if (nextHandle_ == 0) nextHandle_ = 1;
    sessions_[handle] = session;
    *sessionHandle = handle;
    return S_OK_T;
  }

  HRESULT_T CloseSession(WINBIO_SESSION_HANDLE handle) override {
    std::shared_ptr<Session> session;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const auto it = sessions_.find(handle);
      if (it == sessions_.end()) return E_HANDLE_T;
      session = it->second;
      sessions_.erase(it);
      session->cancel = true;  // a wait still under way ends
    }
    changed_.notify_all();
    return Release(session->devices) ? S_OK_T : WINBIO_E_DEVICE_FAILURE;
  }

  // Verifies the user's enrolled prints on every claimed device: any result
  // (match or not: either is a finger read) or a finger on the sensor is the
  // touch. The verifications are stopped before it returns.
  HRESULT_T LocateSensor(WINBIO_SESSION_HANDLE handle, WINBIO_UNIT_ID* unitId) override {
    if (!unitId) return E_POINTER_T;
    std::shared_ptr<Session> session;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const auto it = sessions_.find(handle);
      if (it == sessions_.end()) return E_HANDLE_T;
      session = it->second;
      if (session->waiting) return WINBIO_E_SESSION_BUSY;
      // From here on a cancel and the device's signals reach this wait.
      session->waiting = true;
      session->cancel = false;
      session->touched = 0;
      session->failure = S_OK_T;
    }
    std::vector<Device> started;
    HRESULT_T result = S_OK_T;
    for (const Device& device : session->devices) {
      const QDBusMessage reply = Call(device.path, kDeviceInterface, "VerifyStart", {QStringLiteral("any")},
                                      kStartLimitMilliseconds);
      if (Failed(reply)) {
        Report("verifying a finger on", device, ErrorText(reply));
        result = ResultOf(reply);
        break;
      }
      started.push_back(device);
    }
    bool gone = false;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      if (result >= 0) {
        changed_.wait(lock, [&] {
          return session->cancel || session->touched != 0 || session->failure < 0 ||
                 ownerChanges_ != session->owner;
        });
        gone = ownerChanges_ != session->owner;
        if (session->touched != 0) {
          *unitId = session->touched;
        } else if (gone) {
          result = WINBIO_E_DEVICE_FAILURE;
          session->why = "fprintd left the system bus while waiting for a finger";
        } else if (session->failure < 0) {
          result = session->failure;
        } else {
          result = WINBIO_E_CANCELED;
        }
        if (result < 0 && result != WINBIO_E_CANCELED)
          std::fprintf(stderr, "fprintd: %s\n", session->why.c_str());
      }
      session->waiting = false;
    }
    // A daemon that left took its verifications with it.
    if (!gone)
      for (const Device& device : started)
        Call(device.path, kDeviceInterface, "VerifyStop", {}, kStopLimitMilliseconds);
    return result;
  }

  // Returns at once; reaches only a wait under way, as WinBioCancel does.
  HRESULT_T Cancel(WINBIO_SESSION_HANDLE handle) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const auto it = sessions_.find(handle);
      if (it == sessions_.end()) return E_HANDLE_T;
      if (it->second->waiting) it->second->cancel = true;
    }
    changed_.notify_all();
    return S_OK_T;
  }

 protected:
  bool HasSession(WINBIO_SESSION_HANDLE handle) override {
    std::lock_guard<std::mutex> lock(mutex_);
    return sessions_.count(handle) == 1;
  }

 private:
  // The USB readers present that libfprint's database knows, matched to the
  // one device fprintd lists when there is exactly one of each, since only
  // then can they be told to be the same; those fprintd does not serve are
  // listed with why.
  void AddUsbReaders(size_t served, const std::string& unreachable, std::vector<ListedUnit>& listed) {
#if defined(FP_HAVE_UDEV)
    std::vector<udev::UsbReader> supported;
    for (udev::UsbReader& reader : udev::SurveyUsbReaders()) {
      const udev::UsbIdentity& usb = reader.usb;
      if (!reader.driver.empty()) {
        supported.push_back(std::move(reader));
        continue;
      }
      listed.push_back(ListedUnit{true, usb.InstanceId(usb.Ids()), reader.Description(), usb.Manufacturer(),
                                  reader.Model(), E_NOT_SUPPORTED_T, udev::kNoDriverForReader});
    }
    if (served == 1 && supported.size() == 1) {
      const udev::UsbIdentity& usb = supported.front().usb;
      ListedUnit& device = listed.front();
      device.instanceId = usb.InstanceId(usb.Ids());
      device.manufacturer = usb.Manufacturer();
      device.model = supported.front().Model(", through fprintd");
      return;
    }
    if (served > 0) return;  // which of them fprintd serves cannot be told
    for (const udev::UsbReader& reader : supported) {
      const udev::UsbIdentity& usb = reader.usb;
      const std::string why =
          unreachable.empty()
              ? "fprintd does not serve this reader, though libfprint driver " + reader.driver +
                    " supports it: the driver may have failed to start it (see fprintd's log, journalctl "
                    "-u fprintd)"
              : "fprintd, which serves the readers, cannot be reached: " + unreachable;
      listed.push_back(ListedUnit{true, usb.InstanceId(usb.Ids()), reader.Description(), usb.Manufacturer(),
                                  reader.Model(), WINBIO_E_DEVICE_FAILURE, why});
    }
#else
    static_cast<void>(served);
    static_cast<void>(unreachable);
    static_cast<void>(listed);
#endif
  }

  QVariantMap DeviceProperties(const QString& path) {
    const QDBusMessage reply = Call(path, "org.freedesktop.DBus.Properties", "GetAll",
                                    {QString::fromLatin1(kDeviceInterface)}, kStopLimitMilliseconds);
    if (Failed(reply)) return {};
    return qdbus_cast<QVariantMap>(reply.arguments().value(0));
  }

  // Releases the devices; false when one of them did not answer in time.
  bool Release(const std::vector<Device>& devices) {
    bool answered = true;
    for (const Device& device : devices) {
      const QDBusMessage reply = Call(device.path, kDeviceInterface, "Release", {}, kStopLimitMilliseconds);
      if (Failed(reply) && reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply"))
        answered = false;
    }
    return answered;
  }

  static void Report(const char* doing, const Device& device, const std::string& error) {
    std::fprintf(stderr, "fprintd: %s the reader \"%s\" failed: %s\n", doing, device.name.c_str(),
                 error.c_str());
  }

  // On the signals' thread.
  void OnSignal(const FprintdSignals::Event& event) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (event.kind == FprintdSignals::Event::Vanished) ++ownerChanges_;
      for (const auto& [handle, session] : sessions_) {
        if (!session->waiting || session->touched != 0) continue;
        for (const Device& device : session->devices) {
          if (device.path != event.device) continue;
          if (event.kind == FprintdSignals::Event::VerifyStatus && IsFailure(event.result)) {
            if (session->failure >= 0) {
              session->failure = WINBIO_E_DEVICE_FAILURE;
              session->why = "the reader \"" + device.name + "\" reported " + event.result.toStdString() +
                             " while waiting for a finger";
            }
          } else {
            session->touched = device.unit;
          }
        }
      }
    }
    changed_.notify_all();
  }

  QDBusMessage Call(const QString& path, const char* interface, const char* method,
                    const QVariantList& arguments, int limitMilliseconds) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kService), path, QString::fromLatin1(interface), QString::fromLatin1(method));
    call.setArguments(arguments);
    return Bus().call(call, QDBus::Block, limitMilliseconds);
  }

  // The service's own connection to the system bus, made on first use, so
  // that letting go of it leaves nothing of the module in Qt's D-Bus threads.
  QDBusConnection Bus() {
    std::lock_guard<std::mutex> lock(connectionMutex_);
    if (!connected_) {
      QDBusConnection::connectToBus(QDBusConnection::SystemBus, connectionName_);
      connected_ = true;
    }
    return QDBusConnection(connectionName_);
  }

  FprintdSignals& Signals() {
    Bus();
    std::lock_guard<std::mutex> lock(connectionMutex_);
    if (!signals_)
      signals_ = std::make_unique<FprintdSignals>(
          connectionName_, [this](const FprintdSignals::Event& event) { OnSignal(event); });
    return *signals_;
  }

  const QString connectionName_;
  std::mutex connectionMutex_;
  bool connected_ = false;
  std::unique_ptr<FprintdSignals> signals_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Device> devices_;  // fprintd's, as last listed
  uint64_t ownerChanges_ = 0;    // times fprintd left the bus or was replaced
  std::map<WINBIO_SESSION_HANDLE, std::shared_ptr<Session>> sessions_;
  WINBIO_SESSION_HANDLE nextHandle_ = 1;
};

}  // namespace

std::unique_ptr<BiometricService> CreateFprintdBiometricService() {
  return std::make_unique<FprintdBiometricService>();
}

}  // namespace platform::fprintd
