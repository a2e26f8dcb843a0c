// Windows Biometric Framework calls answered by libfprint, which runs in a
// helper process of its own (helper/): a driver that crashes or hangs ends
// the helper, never the host. Every request to it has a deadline.
#include "platform/libfprint/libfprint_biometric_service.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <limits.h>
#include <map>
#include <mutex>
#include <set>
#include <stdlib.h>
#include <string>
#include <unistd.h>
#include <vector>

#include <QString>

#include "platform/libfprint/helper_process.h"
#include "platform/libfprint/helper_protocol.h"
#include "platform/posix/module_pin.h"

namespace platform::libfprint {
namespace {

constexpr HRESULT_T E_OUTOFMEMORY_T = static_cast<HRESULT_T>(0x8007000Eu);
// Listing, opening and closing ask the devices something; a helper that does
// not answer in this time is ended.
constexpr std::chrono::milliseconds kAnswerLimit{10000};

// The helper lives beside the file that holds this code (the module, or a
// test or benchmark that links the backend), never found on the PATH.
std::string HelperPath() {
  Dl_info info{};
  std::string file;
  if (dladdr(reinterpret_cast<void*>(&HelperPath), &info) && info.dli_fname) file = info.dli_fname;
  char resolved[PATH_MAX];
  if (file.empty() || !realpath(file.c_str(), resolved)) {
    const ssize_t n = readlink("/proc/self/exe", resolved, sizeof resolved - 1);
    resolved[n > 0 ? n : 0] = '\0';
  }
  file = resolved;
  return file.substr(0, file.rfind('/') + 1) + kHelperName;
}

// A helper's reader thread runs the module's code until the helper ends,
// which may be after the host has released the module: the module stays
// loaded from the first helper on (the handle is never closed: that is the pin).
void PinModule() {
  static const char anchor = 0;
  posix::PinModuleContaining(&anchor);
}

void CopyText(const std::string& utf8, WINBIO_STRING& target) {
  const QString text = QString::fromUtf8(utf8.c_str());
  const auto length = std::min<qsizetype>(text.size(), WINBIO_STRING_LENGTH - 1);
  std::memcpy(target, text.utf16(), static_cast<size_t>(length) * sizeof(char16_t));
  target[length] = u'\0';
}

HRESULT_T ResultField(const HelperProcess::Fields& answer) {
  return answer.empty() ? WINBIO_E_DEVICE_FAILURE
                        : static_cast<HRESULT_T>(std::strtol(answer[0].c_str(), nullptr, 10));
}

uint32_t NumberField(const HelperProcess::Fields& answer, size_t index) {
  return index < answer.size() ? static_cast<uint32_t>(std::strtoul(answer[index].c_str(), nullptr, 10)) : 0;
}

class LibfprintBiometricService : public BiometricService {
 public:
  HRESULT_T EnumBiometricUnits(WINBIO_BIOMETRIC_TYPE factor, WINBIO_UNIT_SCHEMA** units,
                               size_t* count) override {
    if (!units || !count) return E_POINTER_T;
    *units = nullptr;
    *count = 0;
    if ((factor & WINBIO_TYPE_FINGERPRINT) == 0) return S_OK_T;
    const std::optional<HelperProcess::Fields> answer = Ask(Helper(), protocol::kList, "", "listing readers");
    if (!answer) return WINBIO_E_DEVICE_FAILURE;
    if (ResultField(*answer) < 0) return ResultField(*answer);
    const size_t found = NumberField(*answer, 1);
    if (found == 0 || answer->size() != 2 + found * protocol::kReaderFields) return S_OK_T;
    auto* array = static_cast<WINBIO_UNIT_SCHEMA*>(Allocate(found * sizeof(WINBIO_UNIT_SCHEMA)));
    if (!array) return E_OUTOFMEMORY_T;
    for (size_t i = 0; i < found; ++i) {
      const std::string* field = &(*answer)[2 + i * protocol::kReaderFields];
      WINBIO_UNIT_SCHEMA& unit = array[i];
      unit.UnitId = static_cast<WINBIO_UNIT_ID>(i + 1);
      unit.PoolType = WINBIO_POOL_SYSTEM;
      unit.BiometricFactor = WINBIO_TYPE_FINGERPRINT;
      unit.Capabilities = field[0] == "1" ? WINBIO_CAPABILITY_SENSOR : 0;
      CopyText(field[1], unit.DeviceInstanceId);
      CopyText(field[2], unit.Description);
      CopyText(field[3], unit.Manufacturer);
      CopyText(field[4], unit.Model);
    }
    *units = array;
    *count = found;
    return S_OK_T;
  }

  HRESULT_T Free(void* address) override {
    if (!address) return S_OK_T;
    {
      std::lock_guard<std::mutex> lock(mutex_);
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
    const std::shared_ptr<HelperProcess> helper = Helper();
    const std::optional<HelperProcess::Fields> answer =
        Ask(helper, protocol::kOpen, "", "opening the readers");
    if (!answer) return WINBIO_E_DEVICE_FAILURE;
    if (ResultField(*answer) < 0) return ResultField(*answer);
    std::lock_guard<std::mutex> lock(mutex_);
    const WINBIO_SESSION_HANDLE handle = nextHandle_++;
    if (nextHandle_ == 0) nextHandle_ = 1;
    sessions_[handle] = Session{helper, std::to_string(NumberField(*answer, 1)), 0};
    *sessionHandle = handle;
    return S_OK_T;
  }

  HRESULT_T CloseSession(WINBIO_SESSION_HANDLE handle) override {
    Session session;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const auto it = sessions_.find(handle);
      if (it == sessions_.end()) return E_HANDLE_T;
      session = it->second;
      sessions_.erase(it);
    }
    // A helper that ended took the session's devices with it.
    if (session.helper->Ended()) return S_OK_T;
    const std::optional<HelperProcess::Fields> answer =
        Ask(session.helper, protocol::kClose, session.remote, "closing the readers");
    return answer ? ResultField(*answer) : WINBIO_E_DEVICE_FAILURE;
  }

  HRESULT_T LocateSensor(WINBIO_SESSION_HANDLE handle, WINBIO_UNIT_ID* unitId) override {
    if (!unitId) return E_POINTER_T;
    std::shared_ptr<HelperProcess> helper;
    uint64_t id = 0;
    {
      // Under the lock, so that a cancel finds the wait it is meant for.
      std::lock_guard<std::mutex> lock(mutex_);
      const auto it = sessions_.find(handle);
      if (it == sessions_.end()) return E_HANDLE_T;
      helper = it->second.helper;
      // Lasts until a finger, a failure or a cancel: the caller's watchdog
      // cancels it at the test's limit.
      id = helper->Request(protocol::kWait, it->second.remote, "waiting for a finger", std::nullopt);
      it->second.wait = id;
    }
    const std::optional<HelperProcess::Fields> answer = id ? helper->Await(id) : std::nullopt;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const auto it = sessions_.find(handle);
      if (it != sessions_.end() && it->second.wait == id) it->second.wait = 0;
    }
    if (!answer) return WINBIO_E_DEVICE_FAILURE;
    const HRESULT_T result = ResultField(*answer);
    if (result >= 0) *unitId = NumberField(*answer, 1);
    return result;
  }

  // Returns at once: the cancel is on its way to the helper, and the wait
  // it is for now has the grace period to end before the helper is ended.
  HRESULT_T Cancel(WINBIO_SESSION_HANDLE handle) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = sessions_.find(handle);
    if (it == sessions_.end()) return E_HANDLE_T;
    // Reaches only a wait already under way, as WinBioCancel does.
    if (it->second.wait != 0) {
      it->second.helper->Notify(protocol::kCancel, it->second.remote);
      it->second.helper->Shorten(it->second.wait, std::chrono::milliseconds(kCancelGraceMilliseconds),
                                 "of a cancel");
    }
    return S_OK_T;
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
  struct Session {
    std::shared_ptr<HelperProcess> helper;  // the run of the helper that opened it
    std::string remote;                     // the helper's handle
    uint64_t wait = 0;                      // the request of the wait under way
  };

  // The running helper, or a fresh one when it has ended: each listing and
  // each run starts at most one, so a driver that always crashes costs one
  // helper per attempt and never loops.
  std::shared_ptr<HelperProcess> Helper() {
    std::shared_ptr<HelperProcess> ended;  // let go of outside the lock: it may still be reaping
    std::lock_guard<std::mutex> lock(mutex_);
    if (helper_ && !helper_->Ended()) return helper_;
    ended = std::move(helper_);
    PinModule();
    helper_ = HelperProcess::Start(HelperPath());
    return helper_;
  }

  static std::optional<HelperProcess::Fields> Ask(const std::shared_ptr<HelperProcess>& helper,
                                                  const char* verb, const std::string& argument,
                                                  const char* doing) {
    if (!helper) return std::nullopt;
    const uint64_t id = helper->Request(verb, argument, doing, kAnswerLimit);
    return id ? helper->Await(id) : std::nullopt;
  }

  void* Allocate(size_t bytes) {
    void* block = std::calloc(bytes == 0 ? 1 : bytes, 1);
    if (!block) return nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    allocations_.insert(block);
    return block;
  }

  bool HasSession(WINBIO_SESSION_HANDLE handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    return sessions_.count(handle) == 1;
  }

  std::mutex mutex_;
  std::shared_ptr<HelperProcess> helper_;
  std::map<WINBIO_SESSION_HANDLE, Session> sessions_;
  WINBIO_SESSION_HANDLE nextHandle_ = 1;
  std::set<void*> allocations_;
};

}  // namespace

std::unique_ptr<BiometricService> CreateLibfprintBiometricService() {
  return std::make_unique<LibfprintBiometricService>();
}

}  // namespace platform::libfprint
