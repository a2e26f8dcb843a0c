// Windows Biometric Framework calls answered by libfprint. Every libfprint
// call runs on the backend's own thread (FprintThread), except the one-time
// discovery of the devices: see Discover.
#include "platform/libfprint/libfprint_biometric_service.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fprint.h>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/libfprint/fprint_thread.h"
#include "platform/libfprint/glib_owner.h"

namespace platform::libfprint {
namespace {

constexpr HRESULT_T E_FAIL_T = static_cast<HRESULT_T>(0x80004005u);
constexpr HRESULT_T E_ACCESSDENIED_T = static_cast<HRESULT_T>(0x80070005u);
constexpr HRESULT_T E_OUTOFMEMORY_T = static_cast<HRESULT_T>(0x8007000Eu);
// HRESULT_FROM_WIN32(ERROR_BUSY) and (ERROR_DEVICE_NOT_CONNECTED).
constexpr HRESULT_T E_BUSY_T = static_cast<HRESULT_T>(0x800700AAu);
constexpr HRESULT_T E_NOT_CONNECTED_T = static_cast<HRESULT_T>(0x8007048Fu);
// Opening and closing a device ask it something; one that does not answer
// in this time is given up.
constexpr std::chrono::seconds kDeviceAnswerLimit{10};

struct UnitInfo {
  std::string name;
  std::string driver;
  std::string deviceId;
  bool canCapture = false;
};

std::string Text(const char* text) {
  return text ? text : "";
}

bool Contains(const char* text, const char* part) {
  return text && std::strstr(text, part) != nullptr;
}

// The framework's result for a libfprint failure.
HRESULT_T ResultOf(const GError* error) {
  if (!error) return S_OK_T;
  if (error->domain == G_IO_ERROR && error->code == G_IO_ERROR_CANCELLED) return WINBIO_E_CANCELED;
  if (error->domain == FP_DEVICE_ERROR) {
    switch (error->code) {
      case FP_DEVICE_ERROR_BUSY:
      case FP_DEVICE_ERROR_ALREADY_OPEN:
        return E_BUSY_T;
      case FP_DEVICE_ERROR_REMOVED:
        return E_NOT_CONNECTED_T;
      case FP_DEVICE_ERROR_NOT_SUPPORTED:
        return E_NOTIMPL_T;
      default:
        return E_FAIL_T;
    }
  }
  // USB and device-node errors come from the layers below libfprint, which
  // say what happened only in their message.
  if ((error->domain == G_IO_ERROR && error->code == G_IO_ERROR_PERMISSION_DENIED) ||
      Contains(error->message, "ermission") || Contains(error->message, "ccess denied"))
    return E_ACCESSDENIED_T;
  if (Contains(error->message, "busy") || Contains(error->message, "Busy")) return E_BUSY_T;
  return E_FAIL_T;
}

// What a user can do about a device that does not open.
const char* AdviceFor(HRESULT_T result) {
  if (result == E_ACCESSDENIED_T)
    return " (this user may not open the device node: see the README on permissions)";
  if (result == E_BUSY_T) return " (another program, for instance the fprintd daemon, is using it)";
  return "";
}

void CopyText(const std::string& utf8, WINBIO_STRING& target) {
  glong length = 0;
  gunichar2* text = g_utf8_to_utf16(utf8.c_str(), -1, nullptr, &length, nullptr);
  length = text ? std::min<glong>(length, WINBIO_STRING_LENGTH - 1) : 0;
  if (text) std::memcpy(target, text, static_cast<size_t>(length) * sizeof(char16_t));
  target[length] = u'\0';
  g_free(text);
}

// One sensor wait: a capture on every device of the session.
struct Wait {
  GObjectOwner<GCancellable> cancellable{g_cancellable_new()};
  size_t pending = 0;
  WINBIO_UNIT_ID touchedUnit = 0;
  HRESULT_T failure = S_OK_T;
  std::function<void(HRESULT_T, WINBIO_UNIT_ID)> done;
  std::vector<std::pair<FpDevice*, gulong>> handlers;
};

struct SessionDevice {
  GObjectOwner<FpDevice> device;
  WINBIO_UNIT_ID unitId = 0;
};

struct Session {
  std::vector<SessionDevice> devices;
  std::shared_ptr<Wait> wait;
  std::function<void()> afterWait;  // closing, once the wait has ended
};

class LibfprintBiometricService : public BiometricService {
 public:
  HRESULT_T EnumBiometricUnits(WINBIO_BIOMETRIC_TYPE factor, WINBIO_UNIT_SCHEMA** units,
                               size_t* count) override {
    if (!units || !count) return E_POINTER_T;
    *units = nullptr;
    *count = 0;
    const HRESULT_T discovered = Discover();
    if (discovered < 0) return discovered;
    if ((factor & WINBIO_TYPE_FINGERPRINT) == 0) return S_OK_T;

    const std::vector<UnitInfo> found = thread_.Call<std::vector<UnitInfo>>([this] { return ListUnits(); });
    if (found.empty()) return S_OK_T;
    auto* array = static_cast<WINBIO_UNIT_SCHEMA*>(Allocate(found.size() * sizeof(WINBIO_UNIT_SCHEMA)));
    if (!array) return E_OUTOFMEMORY_T;
    for (size_t i = 0; i < found.size(); ++i) {
      const UnitInfo& info = found[i];
      WINBIO_UNIT_SCHEMA& unit = array[i];
      unit.UnitId = static_cast<WINBIO_UNIT_ID>(i + 1);
      unit.PoolType = WINBIO_POOL_SYSTEM;
      unit.BiometricFactor = WINBIO_TYPE_FINGERPRINT;
      unit.Capabilities = info.canCapture ? WINBIO_CAPABILITY_SENSOR : 0;
      CopyText("LIBFPRINT\\" + info.driver + "\\" + info.deviceId, unit.DeviceInstanceId);
      CopyText(info.name, unit.Description);
      CopyText(info.driver, unit.Manufacturer);
      CopyText(info.deviceId, unit.Model);
    }
    *units = array;
    *count = found.size();
    return S_OK_T;
  }

  HRESULT_T Free(void* address) override {
    if (!address) return S_OK_T;
    {
      std::lock_guard<std::mutex> lock(allocationsMutex_);
      if (allocations_.erase(address) == 0) return E_INVALIDARG_T;
    }
    std::free(address);
    return S_OK_T;
  }

  HRESULT_T OpenSession(WINBIO_BIOMETRIC_TYPE factor, WINBIO_POOL_TYPE poolType, WINBIO_SESSION_FLAGS,
                        WINBIO_UNIT_ID* unitArray, size_t unitCount, const WINBIO_GUID*,
                        WINBIO_SESSION_HANDLE* sessionHandle) override {
    if (!sessionHandle) return E_POINTER_T;
    *sessionHandle = 0;
    if (factor != WINBIO_TYPE_FINGERPRINT || poolType != WINBIO_POOL_SYSTEM || unitArray || unitCount != 0)
      return E_INVALIDARG_T;
    const HRESULT_T discovered = Discover();
    if (discovered < 0) return discovered;
    using Opened = std::pair<HRESULT_T, WINBIO_SESSION_HANDLE>;
    const std::optional<Opened> opened = thread_.Await<Opened>(
        [this](std::function<void(Opened)> done) { StartOpening(std::move(done)); }, kDeviceAnswerLimit);
    if (!opened) {
      std::fprintf(stderr, "libfprint: the reader did not open within %lld s\n",
                   static_cast<long long>(kDeviceAnswerLimit.count()));
      return E_FAIL_T;
    }
    *sessionHandle = opened->second;
    return opened->first;
  }

  HRESULT_T CloseSession(WINBIO_SESSION_HANDLE handle) override {
    const std::optional<HRESULT_T> closed = thread_.Await<HRESULT_T>(
        [this, handle](std::function<void(HRESULT_T)> done) { StartClosing(handle, std::move(done)); },
        kDeviceAnswerLimit);
    return closed.value_or(E_FAIL_T);
  }

  HRESULT_T LocateSensor(WINBIO_SESSION_HANDLE handle, WINBIO_UNIT_ID* unitId) override {
    if (!unitId) return E_POINTER_T;
    using Located = std::pair<HRESULT_T, WINBIO_UNIT_ID>;
    const std::optional<Located> located = thread_.Await<Located>(
        [this, handle](std::function<void(Located)> done) { StartWaiting(handle, std::move(done)); });
    if (located->first >= 0) *unitId = located->second;
    return located->first;
  }

  HRESULT_T Cancel(WINBIO_SESSION_HANDLE handle) override {
    return thread_.Call<HRESULT_T>([this, handle] {
      const auto it = sessions_.find(handle);
      if (it == sessions_.end()) return E_HANDLE_T;
      // Reaches only a wait already under way, as WinBioCancel does.
      if (it->second->wait) g_cancellable_cancel(it->second->wait->cancellable.get());
      return S_OK_T;
    });
  }

  // libfprint keeps no templates by user identity: the call answers as a
  // biometric unit that does not support it.
  HRESULT_T DeleteTemplate(WINBIO_SESSION_HANDLE handle, WINBIO_UNIT_ID, const WINBIO_IDENTITY* identity,
                           WINBIO_BIOMETRIC_SUBTYPE) override {
    if (!HasSession(handle)) return E_HANDLE_T;
    if (!identity) return E_POINTER_T;
    return E_NOTIMPL_T;
  }

  // libfprint has no sample hint: no property is supported.
  HRESULT_T GetProperty(WINBIO_SESSION_HANDLE handle, WINBIO_PROPERTY_TYPE, WINBIO_PROPERTY_ID,
                        WINBIO_UNIT_ID, const WINBIO_IDENTITY*, WINBIO_BIOMETRIC_SUBTYPE,
                        void** propertyBuffer, size_t* propertyBufferSize) override {
    if (!propertyBuffer) return E_POINTER_T;
    *propertyBuffer = nullptr;
    if (propertyBufferSize) *propertyBufferSize = 0;
    if (!HasSession(handle)) return E_HANDLE_T;
    return E_NOTIMPL_T;
  }

 private:
  // libfprint discovers devices only through fp_context_enumerate, which
  // waits by iterating the process's default main context rather than the
  // thread's own. So discovery runs once, on the calling thread, while it
  // may own that context: the thread that runs it (the user-interface thread
  // under Qt) or any thread while no other does. Everything after it runs on
  // the backend's thread.
  HRESULT_T Discover() {
    std::lock_guard<std::mutex> lock(discoveryMutex_);
    if (discovered_) return S_OK_T;
    GMainContext* main = g_main_context_default();
    if (!g_main_context_acquire(main)) {
      std::fprintf(
          stderr,
          "libfprint: readers can be discovered only from the thread that runs the default GLib main "
          "context (the user-interface thread); none listed\n");
      return E_FAIL_T;
    }
    g_main_context_push_thread_default(main);
    GObjectOwner<FpContext> context(fp_context_new());
    fp_context_enumerate(context.get());
    g_main_context_pop_thread_default(main);
    g_main_context_release(main);
    thread_.Call<bool>([this, &context] {
      context_ = context;
      return true;
    });
    discovered_ = true;
    return S_OK_T;
  }

  void* Allocate(size_t bytes) {
    void* block = std::calloc(bytes == 0 ? 1 : bytes, 1);
    if (!block) return nullptr;
    std::lock_guard<std::mutex> lock(allocationsMutex_);
    allocations_.insert(block);
    return block;
  }

  bool HasSession(WINBIO_SESSION_HANDLE handle) {
    return thread_.Call<bool>([this, handle] { return sessions_.count(handle) == 1; });
  }

  // On the thread from here on.

  // The devices in libfprint's order; unit ids are positions from 1.
  std::vector<GObjectOwner<FpDevice>> Devices() {
    std::vector<GObjectOwner<FpDevice>> devices;
    if (!context_) return devices;
    GPtrArray* all = fp_context_get_devices(context_.get());  // enumerated already: does not wait
    for (guint i = 0; all && i < all->len; ++i)
      devices.push_back(GObjectOwner<FpDevice>::Ref(FP_DEVICE(g_ptr_array_index(all, i))));
    return devices;
  }

  std::vector<UnitInfo> ListUnits() {
    std::vector<UnitInfo> units;
    for (const auto& device : Devices()) {
      units.push_back(UnitInfo{Text(fp_device_get_name(device.get())),
                               Text(fp_device_get_driver(device.get())),
                               Text(fp_device_get_device_id(device.get())),
                               fp_device_has_feature(device.get(), FP_DEVICE_FEATURE_CAPTURE) != FALSE});
    }
    return units;
  }

  struct Opening {
    std::shared_ptr<Session> session = std::make_shared<Session>();
    size_t pending = 0;
    HRESULT_T failure = S_OK_T;
    std::function<void(std::pair<HRESULT_T, WINBIO_SESSION_HANDLE>)> done;
  };

  void StartOpening(std::function<void(std::pair<HRESULT_T, WINBIO_SESSION_HANDLE>)> done) {
    auto opening = std::make_shared<Opening>();
    opening->done = std::move(done);
    const std::vector<GObjectOwner<FpDevice>> devices = Devices();
    for (size_t i = 0; i < devices.size(); ++i) {
      if (!fp_device_has_feature(devices[i].get(), FP_DEVICE_FEATURE_CAPTURE)) continue;
      ++opening->pending;
      auto* call = new std::pair<LibfprintBiometricService*, std::shared_ptr<Opening>>(this, opening);
      const auto unitId = static_cast<WINBIO_UNIT_ID>(i + 1);
      opening->session->devices.push_back(SessionDevice{devices[i], unitId});
      fp_device_open(devices[i].get(), nullptr, &LibfprintBiometricService::Opened, call);
    }
    // A session without a device that can capture is open, but no wait in it
    // will find a sensor.
    if (opening->pending == 0) FinishOpening(*opening);
  }

  static void Opened(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<std::pair<LibfprintBiometricService*, std::shared_ptr<Opening>>> call(
        static_cast<std::pair<LibfprintBiometricService*, std::shared_ptr<Opening>>*>(data));
    Opening& opening = *call->second;
    FpDevice* device = FP_DEVICE(source);
    ErrorOwner error;
    if (!fp_device_open_finish(device, result, error.out())) {
      const HRESULT_T failure = ResultOf(error.get());
      std::fprintf(stderr, "libfprint: cannot open the reader \"%s\": %s%s\n", fp_device_get_name(device),
                   error.get()->message, AdviceFor(failure));
      if (opening.failure >= 0) opening.failure = failure;
      auto& devices = opening.session->devices;
      devices.erase(
          std::remove_if(devices.begin(), devices.end(),
                         [device](const SessionDevice& entry) { return entry.device.get() == device; }),
          devices.end());
    }
    if (--opening.pending == 0) call->first->FinishOpening(opening);
  }

  void FinishOpening(Opening& opening) {
    // Some devices opened: the session uses them, as a system pool goes on
    // without a unit that failed.
    if (opening.failure < 0 && opening.session->devices.empty()) {
      opening.done({opening.failure, 0});
      return;
    }
    const WINBIO_SESSION_HANDLE handle = nextHandle_++;
    if (nextHandle_ == 0) nextHandle_ = 1;
    sessions_[handle] = opening.session;
    opening.done({S_OK_T, handle});
  }

  void StartClosing(WINBIO_SESSION_HANDLE handle, std::function<void(HRESULT_T)> done) {
    const auto it = sessions_.find(handle);
    if (it == sessions_.end()) {
      done(E_HANDLE_T);
      return;
    }
    std::shared_ptr<Session> session = it->second;
    sessions_.erase(it);
    auto close = [session, done = std::move(done)] {
      auto pending =
          std::make_shared<std::pair<size_t, std::function<void(HRESULT_T)>>>(session->devices.size(), done);
      if (pending->first == 0) {
        done(S_OK_T);
        return;
      }
      for (const SessionDevice& entry : session->devices) {
        fp_device_close(entry.device.get(), nullptr, &LibfprintBiometricService::Closed,
                        new std::shared_ptr<std::pair<size_t, std::function<void(HRESULT_T)>>>(pending));
      }
    };
    // A wait still under way ends as cancelled first.
    if (session->wait) {
      session->afterWait = std::move(close);
      g_cancellable_cancel(session->wait->cancellable.get());
    } else {
      close();
    }
  }

  static void Closed(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<std::shared_ptr<std::pair<size_t, std::function<void(HRESULT_T)>>>> pending(
        static_cast<std::shared_ptr<std::pair<size_t, std::function<void(HRESULT_T)>>>*>(data));
    ErrorOwner error;
    // A device that went away is closed already; nothing more to say.
    fp_device_close_finish(FP_DEVICE(source), result, error.out());
    if (--(*pending)->first == 0) (*pending)->second(S_OK_T);
  }

  struct WaitCall {
    LibfprintBiometricService* service;
    std::shared_ptr<Session> session;
    WINBIO_UNIT_ID unitId;
  };

  void StartWaiting(WINBIO_SESSION_HANDLE handle,
                    std::function<void(std::pair<HRESULT_T, WINBIO_UNIT_ID>)> done) {
    const auto it = sessions_.find(handle);
    if (it == sessions_.end()) {
      done({E_HANDLE_T, 0});
      return;
    }
    const std::shared_ptr<Session>& session = it->second;
    if (session->wait) {
      done({E_BUSY_T, 0});
      return;
    }
    if (session->devices.empty()) {
      done({E_FAIL_T, 0});
      return;
    }
    auto wait = std::make_shared<Wait>();
    wait->done = [done](HRESULT_T result, WINBIO_UNIT_ID unit) { done({result, unit}); };
    session->wait = wait;
    for (const SessionDevice& entry : session->devices) {
      FpDevice* device = entry.device.get();
      auto* call = new WaitCall{this, session, entry.unitId};
      const gulong handler = g_signal_connect_data(
          device, "notify::finger-status", G_CALLBACK(&LibfprintBiometricService::FingerStatusChanged),
          new WaitCall{*call}, [](gpointer data, GClosure*) { delete static_cast<WaitCall*>(data); },
          GConnectFlags(0));
      wait->handlers.emplace_back(device, handler);
      ++wait->pending;
      fp_device_capture(device, TRUE, wait->cancellable.get(), &LibfprintBiometricService::Captured, call);
    }
  }

  // The touch: the device reports the finger on the sensor. The capture
  // itself is not needed, so it is cancelled.
  static void FingerStatusChanged(FpDevice* device, GParamSpec*, gpointer data) {
    const auto* call = static_cast<WaitCall*>(data);
    const std::shared_ptr<Wait>& wait = call->session->wait;
    if (!wait || wait->touchedUnit != 0) return;
    if ((fp_device_get_finger_status(device) & FP_FINGER_STATUS_PRESENT) == 0) return;
    wait->touchedUnit = call->unitId;
    g_cancellable_cancel(wait->cancellable.get());
  }

  static void Captured(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<WaitCall> call(static_cast<WaitCall*>(data));
    const std::shared_ptr<Wait> wait = call->session->wait;
    ErrorOwner error;
    GObjectOwner<FpImage> image(fp_device_capture_finish(FP_DEVICE(source), result, error.out()));
    if (image && wait->touchedUnit == 0) {
      // An image without a finger report first: the finger was there.
      wait->touchedUnit = call->unitId;
      g_cancellable_cancel(wait->cancellable.get());
    } else if (error && !g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
      std::fprintf(stderr, "libfprint: the reader \"%s\" failed while waiting for a finger: %s\n",
                   fp_device_get_name(FP_DEVICE(source)), error.get()->message);
      if (wait->failure >= 0) wait->failure = ResultOf(error.get());
      g_cancellable_cancel(wait->cancellable.get());  // the session's wait ends with the failure
    }
    if (--wait->pending == 0) call->service->FinishWaiting(*call->session);
  }

  void FinishWaiting(Session& session) {
    const std::shared_ptr<Wait> wait = std::move(session.wait);
    for (const auto& [device, handler] : wait->handlers) g_signal_handler_disconnect(device, handler);
    // A touch wins over a failure of another device; a failure over a cancel.
    HRESULT_T result = WINBIO_E_CANCELED;
    if (wait->touchedUnit != 0)
      result = S_OK_T;
    else if (wait->failure < 0)
      result = wait->failure;
    wait->done(result, wait->touchedUnit);
    if (session.afterWait) std::exchange(session.afterWait, nullptr)();
  }

  FprintThread thread_;
  std::mutex discoveryMutex_;
  bool discovered_ = false;  // under discoveryMutex_
  std::mutex allocationsMutex_;
  std::set<void*> allocations_;
  // The thread's own.
  GObjectOwner<FpContext> context_;
  std::map<WINBIO_SESSION_HANDLE, std::shared_ptr<Session>> sessions_;
  WINBIO_SESSION_HANDLE nextHandle_ = 1;
};

}  // namespace

std::unique_ptr<BiometricService> CreateLibfprintBiometricService() {
  return std::make_unique<LibfprintBiometricService>();
}

}  // namespace platform::libfprint
