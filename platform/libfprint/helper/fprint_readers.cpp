#include "platform/libfprint/helper/fprint_readers.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/libfprint/helper/usb_identity_of.h"

namespace platform::libfprint::helper {
namespace {

constexpr HRESULT_T E_FAIL_T = static_cast<HRESULT_T>(0x80004005u);
// HRESULT_FROM_WIN32(ERROR_BUSY) and (ERROR_DEVICE_NOT_CONNECTED).
constexpr HRESULT_T E_BUSY_T = static_cast<HRESULT_T>(0x800700AAu);
constexpr HRESULT_T E_NOT_CONNECTED_T = static_cast<HRESULT_T>(0x8007048Fu);

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

bool Has(FpDevice* device, FpDeviceFeature feature) {
  return fp_device_has_feature(device, feature) != FALSE;
}

// A reader is tested by an image capture, or, on a match-on-chip reader that
// never hands one out, by an identify against the prints in its own storage:
// neither writes anything.
bool Captures(FpDevice* device) {
  return Has(device, FP_DEVICE_FEATURE_CAPTURE);
}
bool Testable(FpDevice* device) {
  return Captures(device) ||
         (Has(device, FP_DEVICE_FEATURE_IDENTIFY) && Has(device, FP_DEVICE_FEATURE_STORAGE));
}

FprintReaders::Reader ReaderOf(FpDevice* device) {
  FprintReaders::Reader reader;
  const std::string driver = Text(fp_device_get_driver(device));
  reader.testable = Testable(device);
  reader.description = Text(fp_device_get_name(device));
  const std::optional<udev::UsbIdentity> usb = UsbIdentityOf(device);
  if (!usb) {
    // Not a USB device: libfprint's name for it is all there is.
    reader.instanceId = "LIBFPRINT\\" + driver + "\\" + Text(fp_device_get_device_id(device));
    reader.manufacturer = "libfprint";
    reader.model = "libfprint driver " + driver;
    return reader;
  }
  reader.instanceId = usb->InstanceId(Text(fp_device_get_device_id(device)));
  reader.manufacturer = usb->Manufacturer();
  reader.model = usb->Model("libfprint driver " + driver);
  return reader;
}

}  // namespace

// One sensor wait: a capture or an identify on every device of the session.
struct FprintReaders::Waiting {
  GObjectOwner<GCancellable> cancellable{g_cancellable_new()};
  size_t pending = 0;
  WINBIO_UNIT_ID touchedUnit = 0;
  HRESULT_T failure = S_OK_T;
  Done done;
  std::vector<std::pair<FpDevice*, gulong>> handlers;
};

struct FprintReaders::Session {
  struct Device {
    GObjectOwner<FpDevice> device;
    WINBIO_UNIT_ID unitId = 0;
  };
  std::vector<Device> devices;
  std::shared_ptr<Waiting> wait;
  std::function<void()> afterWait;  // closing, once the wait has ended
};

struct FprintReaders::Opening {
  FprintReaders* readers = nullptr;
  std::shared_ptr<Session> session = std::make_shared<Session>();
  size_t pending = 0;
  HRESULT_T failure = S_OK_T;
  Done done;
};

struct FprintReaders::WaitCall {
  FprintReaders* readers;
  std::shared_ptr<Session> session;
  WINBIO_UNIT_ID unitId;
};

std::vector<GObjectOwner<FpDevice>> FprintReaders::Devices() {
  // The first call enumerates, iterating the default main context: this
  // thread's, so it may.
  if (!context_) context_ = GObjectOwner<FpContext>(fp_context_new());
  std::vector<GObjectOwner<FpDevice>> devices;
  GPtrArray* all = fp_context_get_devices(context_.get());
  for (guint i = 0; all && i < all->len; ++i)
    devices.push_back(GObjectOwner<FpDevice>::Ref(FP_DEVICE(g_ptr_array_index(all, i))));
  return devices;
}

std::vector<FprintReaders::Reader> FprintReaders::List() {
  std::vector<Reader> readers;
  for (const auto& device : Devices()) readers.push_back(ReaderOf(device.get()));
  return readers;
}

void FprintReaders::Open(Done done) {
  auto opening = std::make_shared<Opening>();
  opening->readers = this;
  opening->done = std::move(done);
  const std::vector<GObjectOwner<FpDevice>> devices = Devices();
  for (size_t i = 0; i < devices.size(); ++i) {
    if (!Testable(devices[i].get())) continue;
    ++opening->pending;
    opening->session->devices.push_back(Session::Device{devices[i], static_cast<WINBIO_UNIT_ID>(i + 1)});
    fp_device_open(devices[i].get(), nullptr, &FprintReaders::Opened, new std::shared_ptr<Opening>(opening));
  }
  // A session without a testable device is open, but no wait in it will
  // find a sensor.
  if (opening->pending == 0) FinishOpening(*opening);
}

void FprintReaders::Opened(GObject* source, GAsyncResult* result, gpointer data) {
  const std::unique_ptr<std::shared_ptr<Opening>> call(static_cast<std::shared_ptr<Opening>*>(data));
  Opening& opening = **call;
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
                       [device](const Session::Device& entry) { return entry.device.get() == device; }),
        devices.end());
  }
  if (--opening.pending == 0) opening.readers->FinishOpening(opening);
}

void FprintReaders::FinishOpening(Opening& opening) {
  // Some devices opened: the session uses them, as a system pool goes on
  // without a unit that failed.
  if (opening.failure < 0 && opening.session->devices.empty()) {
    opening.done(opening.failure, 0);
    return;
  }
  const uint32_t handle = nextHandle_++;
  if (nextHandle_ == 0) nextHandle_ = 1;
  sessions_[handle] = opening.session;
  opening.done(S_OK_T, handle);
}

void FprintReaders::Close(uint32_t handle, Done done) {
  const auto it = sessions_.find(handle);
  if (it == sessions_.end()) {
    done(E_HANDLE_T, 0);
    return;
  }
  std::shared_ptr<Session> session = it->second;
  sessions_.erase(it);
  auto close = [session, done = std::move(done)] {
    struct Closing {
      size_t pending;
      Done done;
    };
    auto closing = std::make_shared<Closing>(Closing{session->devices.size(), done});
    if (closing->pending == 0) {
      done(S_OK_T, 0);
      return;
    }
    for (const Session::Device& entry : session->devices) {
      fp_device_close(
          entry.device.get(), nullptr,
          [](GObject* source, GAsyncResult* result, gpointer data) {
            const std::unique_ptr<std::shared_ptr<Closing>> call(
                static_cast<std::shared_ptr<Closing>*>(data));
            ErrorOwner error;
            // A device that went away is closed already; nothing more to say.
            fp_device_close_finish(FP_DEVICE(source), result, error.out());
            if (--(*call)->pending == 0) (*call)->done(S_OK_T, 0);
          },
          new std::shared_ptr<Closing>(closing));
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

void FprintReaders::Cancel(uint32_t handle) {
  const auto it = sessions_.find(handle);
  if (it != sessions_.end() && it->second->wait) g_cancellable_cancel(it->second->wait->cancellable.get());
}

void FprintReaders::Wait(uint32_t handle, Done done) {
  const auto it = sessions_.find(handle);
  if (it == sessions_.end()) {
    done(E_HANDLE_T, 0);
    return;
  }
  const std::shared_ptr<Session>& session = it->second;
  if (session->wait) {
    done(E_BUSY_T, 0);
    return;
  }
  if (session->devices.empty()) {
    done(E_FAIL_T, 0);
    return;
  }
  auto wait = std::make_shared<Waiting>();
  wait->done = std::move(done);
  session->wait = wait;
  for (const Session::Device& entry : session->devices) {
    FpDevice* device = entry.device.get();
    const gulong handler = g_signal_connect_data(
        device, "notify::finger-status", G_CALLBACK(&FprintReaders::FingerStatusChanged),
        new WaitCall{this, session, entry.unitId},
        [](gpointer data, GClosure*) { delete static_cast<WaitCall*>(data); }, GConnectFlags(0));
    wait->handlers.emplace_back(device, handler);
    ++wait->pending;
    auto* call = new WaitCall{this, session, entry.unitId};
    if (Captures(device))
      fp_device_capture(device, TRUE, wait->cancellable.get(), &FprintReaders::Captured, call);
    else if (Has(device, FP_DEVICE_FEATURE_STORAGE_LIST))
      fp_device_list_prints(device, wait->cancellable.get(), &FprintReaders::ListedPrints, call);
    else
      Identify(device, nullptr, call);
  }
}

// The touch: the device reports the finger on the sensor. The capture or
// identify itself is not needed, so it is cancelled.
void FprintReaders::FingerStatusChanged(FpDevice* device, GParamSpec*, gpointer data) {
  const auto* call = static_cast<WaitCall*>(data);
  const std::shared_ptr<Waiting>& wait = call->session->wait;
  if (!wait || wait->touchedUnit != 0) return;
  if ((fp_device_get_finger_status(device) & FP_FINGER_STATUS_PRESENT) == 0) return;
  wait->touchedUnit = call->unitId;
  g_cancellable_cancel(wait->cancellable.get());
}

void FprintReaders::Captured(GObject* source, GAsyncResult* result, gpointer data) {
  ErrorOwner error;
  GObjectOwner<FpImage> image(fp_device_capture_finish(FP_DEVICE(source), result, error.out()));
  // An image without a finger report first: the finger was there.
  Ended(FP_DEVICE(source), static_cast<WaitCall*>(data), image.get() != nullptr, error.get());
}

// The prints the reader holds: the gallery its identify matches against. A
// reader whose list fails identifies against none, which still reads the finger.
void FprintReaders::ListedPrints(GObject* source, GAsyncResult* result, gpointer data) {
  auto* call = static_cast<WaitCall*>(data);
  ErrorOwner error;
  GPtrArray* prints = fp_device_list_prints_finish(FP_DEVICE(source), result, error.out());
  if (g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
    Ended(FP_DEVICE(source), call, false, nullptr);
    return;
  }
  Identify(FP_DEVICE(source), prints, call);
  if (prints) g_ptr_array_unref(prints);
}

void FprintReaders::Identify(FpDevice* device, GPtrArray* prints, WaitCall* call) {
  GPtrArray* gallery = prints ? g_ptr_array_ref(prints) : g_ptr_array_new();
  fp_device_identify(device, gallery, call->session->wait->cancellable.get(), nullptr, nullptr, nullptr,
                     &FprintReaders::Identified, call);
  g_ptr_array_unref(gallery);
}

// Any answer means the reader read a finger: a match, no match, a finger it
// asks to present again, or one its storage does not hold.
void FprintReaders::Identified(GObject* source, GAsyncResult* result, gpointer data) {
  ErrorOwner error;
  FpPrint* match = nullptr;
  const bool answered = fp_device_identify_finish(FP_DEVICE(source), result, &match, nullptr, error.out());
  if (match) g_object_unref(match);
  const GError* failure = error.get();
  const bool read =
      answered || (failure && (failure->domain == FP_DEVICE_RETRY ||
                               g_error_matches(failure, FP_DEVICE_ERROR, FP_DEVICE_ERROR_DATA_NOT_FOUND)));
  Ended(FP_DEVICE(source), static_cast<WaitCall*>(data), read, read ? nullptr : failure);
}

void FprintReaders::Ended(FpDevice* device, WaitCall* data, bool fingerRead, const GError* error) {
  const std::unique_ptr<WaitCall> call(data);
  const std::shared_ptr<Waiting> wait = call->session->wait;
  if (fingerRead && wait->touchedUnit == 0) {
    wait->touchedUnit = call->unitId;
    g_cancellable_cancel(wait->cancellable.get());
  } else if (error && !g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
    std::fprintf(stderr, "libfprint: the reader \"%s\" failed while waiting for a finger: %s\n",
                 fp_device_get_name(device), error->message);
    if (wait->failure >= 0) wait->failure = ResultOf(error);
    g_cancellable_cancel(wait->cancellable.get());  // the session's wait ends with the failure
  }
  if (--wait->pending == 0) call->readers->FinishWaiting(*call->session);
}

void FprintReaders::FinishWaiting(Session& session) {
  const std::shared_ptr<Waiting> wait = std::move(session.wait);
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

}  // namespace platform::libfprint::helper
