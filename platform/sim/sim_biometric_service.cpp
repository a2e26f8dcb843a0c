// The simulated Windows Biometric Framework: the readers of the simulated
// machine, sessions with distinct handles, and a sensor wait that blocks the
// way WinBioLocateSensor does until a touch, a failure or WinBioCancel.
#include "platform/sim/sim_biometric_service.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include <QString>

#include "platform/biometric_service.h"
#include "platform/sim/sim_machine.h"

namespace platform::sim {
namespace {

// Sample hint of the simulated touch sensor: one good sample makes a template.
constexpr uint32_t kSimSampleHint = 1;

struct Session {
  std::mutex mutex;
  std::condition_variable changed;
  // Bumped by every cancellation; a wait ends when it differs from the value
  // it started with, so a cancellation reaches only the waits already pending.
  uint64_t cancellations = 0;
  bool closed = false;
};

class SimState {
 public:
  static SimState& Instance() {
    // Never destroyed: a waiting thread may outlive static destruction.
    static SimState* state = new SimState();
    return *state;
  }

  WINBIO_SESSION_HANDLE Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    WINBIO_SESSION_HANDLE handle = nextHandle_++;
    if (nextHandle_ == 0) nextHandle_ = 1;  // 0 is never a session
    sessions_[handle] = std::make_shared<Session>();
    return handle;
  }

  std::shared_ptr<Session> Find(WINBIO_SESSION_HANDLE handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = sessions_.find(handle);
    return it == sessions_.end() ? nullptr : it->second;
  }

  std::shared_ptr<Session> Remove(WINBIO_SESSION_HANDLE handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = sessions_.find(handle);
    if (it == sessions_.end()) return nullptr;
    std::shared_ptr<Session> session = it->second;
    sessions_.erase(it);
    return session;
  }

  void* Allocate(size_t bytes) {
    void* block = std::calloc(bytes == 0 ? 1 : bytes, 1);
    if (!block) return nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    allocations_.insert(block);
    return block;
  }

  bool Release(void* block) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (allocations_.erase(block) == 0) return false;
    }
    std::free(block);
    return true;
  }

  size_t SessionCount() {
    std::lock_guard<std::mutex> lock(mutex_);
    return sessions_.size();
  }

  size_t AllocationCount() {
    std::lock_guard<std::mutex> lock(mutex_);
    return allocations_.size();
  }

  void RememberDeleted(const WINBIO_IDENTITY& identity) {
    std::lock_guard<std::mutex> lock(mutex_);
    lastDeleted_ = identity;
  }

  WINBIO_IDENTITY LastDeleted() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastDeleted_;
  }

  // The unit of the machine's next touch: its list in turn, counted afresh
  // for every machine put in force.
  WINBIO_UNIT_ID NextTouchedUnit(const std::shared_ptr<const SimMachine>& machine) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (touchesOf_ != machine) {
      touchesOf_ = machine;
      touches_ = 0;
    }
    const std::vector<uint32_t>& units = machine->sensor.touchedUnits;
    if (units.empty()) return machine->readers.empty() ? 0 : machine->readers.front().unitId;
    return units[std::min(touches_++, units.size() - 1)];
  }

 private:
  std::mutex mutex_;
  WINBIO_SESSION_HANDLE nextHandle_ = 1;
  std::map<WINBIO_SESSION_HANDLE, std::shared_ptr<Session>> sessions_;
  std::set<void*> allocations_;
  WINBIO_IDENTITY lastDeleted_{};
  std::shared_ptr<const SimMachine> touchesOf_;
  size_t touches_ = 0;
};

// How often a touch withheld for want of the foreground looks again.
constexpr auto kForegroundRecheck = std::chrono::milliseconds(20);

// A call of a driver that takes its time; real time, as the service's own.
void Stall(uint32_t milliseconds) {
  if (milliseconds) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void CopyText(const std::string& utf8, WINBIO_STRING& target) {
  const std::u16string text = QString::fromStdString(utf8).toStdU16String();
  const size_t length = std::min<size_t>(text.size(), WINBIO_STRING_LENGTH - 1);
  std::memcpy(target, text.data(), length * sizeof(char16_t));
  target[length] = u'\0';
}

class SimBiometricService : public BiometricService {
 public:
  explicit SimBiometricService(std::function<bool()> ownsForeground)
      : ownsForeground_(std::move(ownsForeground)) {}

  HRESULT_T EnumBiometricUnits(WINBIO_BIOMETRIC_TYPE factor, WINBIO_UNIT_SCHEMA** units,
                               size_t* count) override {
    if (!units || !count) return E_POINTER_T;
    *units = nullptr;
    *count = 0;
    const auto machine = sim::CurrentMachine();
    Stall(machine->enumerateMs);
    if (machine->enumerateHresult < 0) return machine->enumerateHresult;
    if ((factor & WINBIO_TYPE_FINGERPRINT) == 0 || machine->readers.empty()) return S_OK_T;

    const size_t n = machine->readers.size();
    auto* array =
        static_cast<WINBIO_UNIT_SCHEMA*>(SimState::Instance().Allocate(n * sizeof(WINBIO_UNIT_SCHEMA)));
    if (!array) return static_cast<HRESULT_T>(0x8007000Eu);  // E_OUTOFMEMORY
    for (size_t i = 0; i < n; ++i) {
      const sim::SimReader& reader = machine->readers[i];
      WINBIO_UNIT_SCHEMA& unit = array[i];
      unit.UnitId = reader.unitId;
      unit.PoolType = WINBIO_POOL_SYSTEM;
      unit.BiometricFactor = WINBIO_TYPE_FINGERPRINT;
      unit.SensorSubType = 2;  // WINBIO_FP_SENSOR_SUBTYPE_TOUCH
      unit.Capabilities = reader.capabilities;
      CopyText(reader.deviceInstanceId, unit.DeviceInstanceId);
      CopyText(reader.description, unit.Description);
      CopyText(reader.manufacturer, unit.Manufacturer);
      CopyText(reader.model, unit.Model);
      CopyText(std::string(), unit.SerialNumber);
      unit.FirmwareVersion = {1, 0};
    }
    *units = array;
    *count = n;
    return S_OK_T;
  }

  HRESULT_T Free(void* address) override {
    if (!address) return S_OK_T;
    return SimState::Instance().Release(address) ? S_OK_T : E_INVALIDARG_T;
  }

  HRESULT_T OpenSession(WINBIO_BIOMETRIC_TYPE factor, WINBIO_POOL_TYPE poolType, WINBIO_SESSION_FLAGS,
                        WINBIO_UNIT_ID* unitArray, size_t unitCount, const WINBIO_GUID*,
                        WINBIO_SESSION_HANDLE* sessionHandle) override {
    if (!sessionHandle) return E_POINTER_T;
    *sessionHandle = 0;
    const auto machine = sim::CurrentMachine();
    Stall(machine->sensor.openSessionMs);
    if (machine->openSessionHresult < 0) return machine->openSessionHresult;
    // A system pool names no units.
    if (factor != WINBIO_TYPE_FINGERPRINT ||
        (poolType == WINBIO_POOL_SYSTEM && (unitArray || unitCount != 0)))
      return E_INVALIDARG_T;
    *sessionHandle = SimState::Instance().Open();
    return S_OK_T;
  }

  HRESULT_T CloseSession(WINBIO_SESSION_HANDLE sessionHandle) override {
    Stall(sim::CurrentMachine()->sensor.closeSessionMs);
    const std::shared_ptr<Session> session = SimState::Instance().Remove(sessionHandle);
    if (!session) return E_HANDLE_T;
    // A wait still pending on the session ends as cancelled.
    std::lock_guard<std::mutex> lock(session->mutex);
    session->closed = true;
    session->changed.notify_all();
    return S_OK_T;
  }

  HRESULT_T LocateSensor(WINBIO_SESSION_HANDLE sessionHandle, WINBIO_UNIT_ID* unitId) override {
    const auto start = std::chrono::steady_clock::now();
    if (!unitId) return E_POINTER_T;
    const std::shared_ptr<Session> session = SimState::Instance().Find(sessionHandle);
    if (!session) return E_HANDLE_T;
    const auto machine = sim::CurrentMachine();
    if (machine->sensor.locateHresult < 0) return machine->sensor.locateHresult;

    std::unique_lock<std::mutex> lock(session->mutex);
    const uint64_t startedAt = session->cancellations;
    const bool ignoresCancel = machine->sensor.ignoresCancel;
    const auto interrupted = [&] {
      return !ignoresCancel && (session->closed || session->cancellations != startedAt);
    };
    if (machine->sensor.touchAfterMs) {
      const auto touch = start + std::chrono::milliseconds(*machine->sensor.touchAfterMs);
      if (session->changed.wait_until(lock, touch, interrupted)) return WINBIO_E_CANCELED;
    } else {
      session->changed.wait(lock, interrupted);
      return WINBIO_E_CANCELED;
    }
    // The system pool hands a touch only to the application in the foreground.
    while (machine->sensor.needsForeground && ownsForeground_ && !ownsForeground_()) {
      if (session->changed.wait_for(lock, kForegroundRecheck, interrupted)) return WINBIO_E_CANCELED;
    }
    *unitId = SimState::Instance().NextTouchedUnit(machine);
    return S_OK_T;
  }

  HRESULT_T IsESSCapable(bool* capable) override {
    if (!capable) return E_POINTER_T;
    *capable = sim::CurrentMachine()->essCapable;
    return S_OK_T;
  }

  HRESULT_T Cancel(WINBIO_SESSION_HANDLE sessionHandle) override {
    const std::shared_ptr<Session> session = SimState::Instance().Find(sessionHandle);
    if (!session) return E_HANDLE_T;
    std::lock_guard<std::mutex> lock(session->mutex);
    ++session->cancellations;
    session->changed.notify_all();
    return S_OK_T;
  }

  HRESULT_T DeleteTemplate(WINBIO_SESSION_HANDLE sessionHandle, WINBIO_UNIT_ID,
                           const WINBIO_IDENTITY* identity, WINBIO_BIOMETRIC_SUBTYPE) override {
    if (!SimState::Instance().Find(sessionHandle)) return E_HANDLE_T;
    if (!identity) return E_POINTER_T;
    SimState::Instance().RememberDeleted(*identity);
    // The simulated machine keeps no templates, so there is nothing left to delete.
    return S_OK_T;
  }

  HRESULT_T GetProperty(WINBIO_SESSION_HANDLE sessionHandle, WINBIO_PROPERTY_TYPE propertyType,
                        WINBIO_PROPERTY_ID propertyId, WINBIO_UNIT_ID, const WINBIO_IDENTITY*,
                        WINBIO_BIOMETRIC_SUBTYPE, void** propertyBuffer,
                        size_t* propertyBufferSize) override {
    if (!propertyBuffer) return E_POINTER_T;
    *propertyBuffer = nullptr;
    if (propertyBufferSize) *propertyBufferSize = 0;
    if (!SimState::Instance().Find(sessionHandle)) return E_HANDLE_T;
    if (propertyType != WINBIO_PROPERTY_TYPE_UNIT || propertyId != WINBIO_PROPERTY_SAMPLE_HINT)
      return E_NOTIMPL_T;
    void* buffer = SimState::Instance().Allocate(sizeof(uint32_t));
    if (!buffer) return static_cast<HRESULT_T>(0x8007000Eu);
    std::memcpy(buffer, &kSimSampleHint, sizeof(kSimSampleHint));
    *propertyBuffer = buffer;
    if (propertyBufferSize) *propertyBufferSize = sizeof(uint32_t);
    return S_OK_T;
  }

 private:
  std::function<bool()> ownsForeground_;
};

}  // namespace

std::unique_ptr<BiometricService> CreateSimBiometricService(std::function<bool()> ownsForeground) {
  return std::make_unique<SimBiometricService>(std::move(ownsForeground));
}

size_t OpenSimSessionCount() {
  return SimState::Instance().SessionCount();
}
size_t OutstandingSimAllocations() {
  return SimState::Instance().AllocationCount();
}
WINBIO_IDENTITY LastDeletedIdentity() {
  return SimState::Instance().LastDeleted();
}

}  // namespace platform::sim
