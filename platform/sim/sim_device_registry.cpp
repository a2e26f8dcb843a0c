// The simulated SetupAPI and registry. The biometric device class lists one
// device per simulated reader, which opens by the reader's device instance id; the registry holds each
// device's driver key (with "DriverVersion"), built afresh from the machine in force at every call.
#include "platform/sim/sim_device_registry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <QString>

#include "platform/device_registry.h"
#include "platform/sim/sim_machine.h"

namespace platform::sim {
namespace {

constexpr char kClassKey[] = "SYSTEM\\CurrentControlSet\\Control\\Class\\";
constexpr char kBiometricClass[] = "{53d29ef7-377c-4d14-864b-eb3a85769359}";

struct Value {
  uint32_t type = 0;
  std::vector<uint8_t> data;
};

bool IsBiometricClass(const WINBIO_GUID* classGuid) {
  return classGuid && std::memcmp(classGuid, &kGuidDevClassBiometric, sizeof(WINBIO_GUID)) == 0;
}

// Registry paths and device instance ids compare without regard to ASCII
// case, as Windows does.
std::string Fold(std::string path) {
  for (char& c : path) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return path;
}

std::string FromUtf16(const char16_t* text) {
  return text ? QString::fromStdU16String(std::u16string(text)).toStdString() : std::string();
}

std::vector<uint8_t> StringValue(const std::string& utf8) {
  std::u16string text = QString::fromStdString(utf8).toStdU16String();
  text.push_back(u'\0');
  std::vector<uint8_t> bytes(text.size() * sizeof(char16_t));
  std::memcpy(bytes.data(), text.data(), bytes.size());
  return bytes;
}

std::string DriverKeyName(size_t index) {
  char number[16];
  std::snprintf(number, sizeof(number), "%04zu", index);
  return std::string(kBiometricClass) + "\\" + number;
}

struct Key {
  std::string name;                     // as written, for enumeration
  std::map<std::string, Value> values;  // by folded name
};

// The registry of one machine: keys by folded full path. Every prefix of a
// key's path is a key too.
class Hive {
 public:
  explicit Hive(const sim::SimMachine& machine) {
    // A removed device's driver key stays, numbered after the readers'.
    for (size_t i = 0; i < machine.removedDevices.size(); ++i) {
      Key& driver = Add(std::string(kClassKey) + DriverKeyName(machine.readers.size() + i));
      driver.values[Fold("DriverVersion")] =
          Value{REG_SZ_T, StringValue(machine.removedDevices[i].driverVersion)};
    }
    for (size_t i = 0; i < machine.readers.size(); ++i) {
      Key& driver = Add(std::string(kClassKey) + DriverKeyName(i));
      if (!machine.driverVersion.empty())
        driver.values[Fold("DriverVersion")] = Value{REG_SZ_T, StringValue(machine.driverVersion)};
    }
  }

  const Key* Find(const std::string& path) const {
    const auto it = keys_.find(Fold(path));
    return it == keys_.end() ? nullptr : &it->second;
  }

 private:
  Key& Add(const std::string& path) {
    size_t end = 0;
    Key* key = nullptr;
    do {
      end = path.find('\\', end + 1);
      const std::string prefix = path.substr(0, end);
      key = &keys_[Fold(prefix)];
      key->name = prefix.substr(prefix.rfind('\\') == std::string::npos ? 0 : prefix.rfind('\\') + 1);
    } while (end != std::string::npos);
    return *key;
  }

  std::map<std::string, Key> keys_;
};

// The registry of the machine in force, built once per machine: building it
// afresh at every call made listing n readers cost n times n.
std::shared_ptr<const Hive> CurrentHive() {
  static std::mutex* mutex = new std::mutex();  // never destroyed, like the services
  static auto* builtFor = new std::shared_ptr<const sim::SimMachine>();
  static auto* hive = new std::shared_ptr<const Hive>();
  std::shared_ptr<const sim::SimMachine> machine = sim::CurrentMachine();
  std::lock_guard<std::mutex> lock(*mutex);
  // The machine is held, so its address cannot be reused by another one.
  if (*builtFor != machine) {
    *hive = std::make_shared<const Hive>(*machine);
    *builtFor = std::move(machine);
  }
  return *hive;
}

// Open sets and keys, shared by every instance of the service.
struct OpenHandles {
  static OpenHandles& Instance() {
    static OpenHandles* handles = new OpenHandles();  // never destroyed, like the services
    return *handles;
  }
  std::mutex mutex;
  uint64_t next = 1;
  std::map<DevInfoSet, std::vector<size_t>> sets;  // each member's reader
  std::map<RegKey, std::string> keys;
};

class SimDeviceRegistry : public DeviceRegistry {
 public:
  // Devices are numbered readers first, then removed devices; a list of the
  // whole class names the removed ones first, as they were installed first.
  DevInfoSet SetupDiGetClassDevs(const WINBIO_GUID* classGuid, const char16_t*, void*,
                                 uint32_t flags) override {
    std::vector<size_t> devices;
    if (IsBiometricClass(classGuid)) {
      const auto machine = sim::CurrentMachine();
      if ((flags & kDigcfPresent) == 0) {
        for (size_t i = 0; i < machine->removedDevices.size(); ++i)
          devices.push_back(machine->readers.size() + i);
      }
      for (size_t i = 0; i < machine->readers.size(); ++i) devices.push_back(i);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    const DevInfoSet set = NewHandle();
    sets_[set] = std::move(devices);
    return set;
  }

  bool SetupDiEnumDeviceInfo(DevInfoSet set, uint32_t memberIndex, DEVINFO_DATA* info) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = sets_.find(set);
    if (it == sets_.end() || !info || info->cbSize != sizeof(DEVINFO_DATA) ||
        memberIndex >= it->second.size())
      return false;
    info->ClassGuid = kGuidDevClassBiometric;
    info->DevInst = memberIndex + 1;
    info->Reserved = 0;
    return true;
  }

  bool SetupDiGetDeviceRegistryProperty(DevInfoSet set, DEVINFO_DATA* info, uint32_t property, uint32_t* type,
                                        uint8_t* buffer, uint32_t bufferSize,
                                        uint32_t* requiredSize) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const auto it = sets_.find(set);
      if (it == sets_.end() || !info || info->DevInst == 0 || info->DevInst > it->second.size()) return false;
    }
    size_t device = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      device = sets_.at(set).at(info->DevInst - 1);
    }
    const auto machine = sim::CurrentMachine();
    const sim::SimReader* reader = device < machine->readers.size() ? &machine->readers[device] : nullptr;
    std::vector<uint8_t> value;
    if (property == kSpdrpDriver)
      value = StringValue(DriverKeyName(device));
    else if (property == kSpdrpDeviceDesc && reader)
      value = StringValue(reader->description);
    else if (property == kSpdrpMfg && reader)
      value = StringValue(reader->manufacturer);
    else
      return false;
    const auto size = static_cast<uint32_t>(value.size());
    if (requiredSize) *requiredSize = size;
    if (type) *type = REG_SZ_T;
    if (!buffer || bufferSize < size) return false;  // ERROR_INSUFFICIENT_BUFFER
    std::memcpy(buffer, value.data(), size);
    return true;
  }

  DevInfoSet SetupDiCreateDeviceInfoList(const WINBIO_GUID*) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const DevInfoSet set = NewHandle();
    sets_[set] = {};
    return set;
  }

  bool SetupDiOpenDeviceInfo(DevInfoSet set, const char16_t* instanceId, DEVINFO_DATA* info) override {
    if (!instanceId || !info || info->cbSize != sizeof(DEVINFO_DATA)) return false;
    const std::string wanted = Fold(FromUtf16(instanceId));
    const std::shared_ptr<const sim::SimMachine> machine = sim::CurrentMachine();
    for (size_t reader = 0; reader < machine->readers.size(); ++reader) {
      if (Fold(machine->readers[reader].deviceInstanceId) != wanted) continue;
      std::lock_guard<std::mutex> lock(mutex_);
      const auto it = sets_.find(set);
      if (it == sets_.end()) return false;
      it->second.push_back(reader);
      info->ClassGuid = kGuidDevClassBiometric;
      info->DevInst = static_cast<uint32_t>(it->second.size());
      info->Reserved = 0;
      return true;
    }
    return false;  // ERROR_NO_SUCH_DEVINST
  }

  bool SetupDiGetDeviceInstanceId(DevInfoSet set, DEVINFO_DATA* info, char16_t* buffer, uint32_t bufferLength,
                                  uint32_t* requiredLength) override {
    size_t device = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const auto it = sets_.find(set);
      if (it == sets_.end() || !info || info->DevInst == 0 || info->DevInst > it->second.size()) return false;
      device = it->second[info->DevInst - 1];
    }
    const auto machine = sim::CurrentMachine();
    if (device >= machine->readers.size()) return false;
    const std::u16string id =
        QString::fromStdString(machine->readers[device].deviceInstanceId).toStdU16String();
    const auto length = static_cast<uint32_t>(id.size() + 1);
    if (requiredLength) *requiredLength = length;
    if (!buffer || bufferLength < length) return false;  // ERROR_INSUFFICIENT_BUFFER
    std::copy(id.c_str(), id.c_str() + length, buffer);
    return true;
  }

  bool SetupDiDestroyDeviceInfoList(DevInfoSet set) override {
    std::lock_guard<std::mutex> lock(mutex_);
    return sets_.erase(set) == 1;
  }

  RegKey SetupDiOpenDevRegKey(DevInfoSet set, DEVINFO_DATA* info, uint32_t scope, uint32_t, uint32_t keyType,
                              uint32_t access) override {
    if (scope != kDicsFlagGlobal || keyType != kDiregDrv || (access & ~kKeyReadWow64) != 0 || !info)
      return nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = sets_.find(set);
    if (it == sets_.end() || info->DevInst == 0 || info->DevInst > it->second.size()) return nullptr;
    const RegKey opened = NewHandle();
    keys_[opened] = std::string(kClassKey) + DriverKeyName(it->second[info->DevInst - 1]);
    return opened;
  }

  int32_t RegGetValue(RegKey key, const char16_t* subKey, const char16_t* valueName, uint32_t flags,
                      uint32_t* type, void* data, uint32_t* dataSize) override {
    std::string path;
    if (!Resolve(key, subKey, &path)) return ERROR_INVALID_HANDLE_T;
    const Key* found = CurrentHive()->Find(path);
    if (!found) return ERROR_FILE_NOT_FOUND_T;
    const auto value = found->values.find(Fold(FromUtf16(valueName)));
    if (value == found->values.end()) return ERROR_FILE_NOT_FOUND_T;
    const bool allowed = (value->second.type == REG_SZ_T && (flags & kRrfRtRegSz)) ||
                         (value->second.type == REG_DWORD_T && (flags & kRrfRtRegDword));
    if (!allowed) return ERROR_UNSUPPORTED_TYPE_T;
    if (data && !dataSize) return ERROR_INVALID_PARAMETER_T;
    const auto size = static_cast<uint32_t>(value->second.data.size());
    if (type) *type = value->second.type;
    if (!data) {
      if (dataSize) *dataSize = size;
      return ERROR_SUCCESS_T;
    }
    if (*dataSize < size) {
      *dataSize = size;
      return ERROR_MORE_DATA_T;
    }
    std::memcpy(data, value->second.data.data(), size);
    *dataSize = size;
    return ERROR_SUCCESS_T;
  }

  int32_t RegCloseKey(RegKey key) override {
    std::lock_guard<std::mutex> lock(mutex_);
    return keys_.erase(key) == 1 ? ERROR_SUCCESS_T : ERROR_INVALID_HANDLE_T;
  }

 private:
  // Handles are small distinct numbers; they are never dereferenced.
  void* NewHandle() { return reinterpret_cast<void*>(static_cast<uintptr_t>(0x1000 + 0x10 * nextHandle_++)); }

  // The full path of `subKey` below `key` (HKEY_LOCAL_MACHINE or an open key).
  bool Resolve(RegKey key, const char16_t* subKey, std::string* path) {
    std::string base;
    if (key != kHkeyLocalMachine) {
      std::lock_guard<std::mutex> lock(mutex_);
      const auto it = keys_.find(key);
      if (it == keys_.end()) return false;
      base = it->second;
    }
    const std::string below = FromUtf16(subKey);
    *path = base.empty() ? below : below.empty() ? base : base + "\\" + below;
    return true;
  }

  std::mutex& mutex_ = OpenHandles::Instance().mutex;
  uint64_t& nextHandle_ = OpenHandles::Instance().next;
  std::map<DevInfoSet, std::vector<size_t>>& sets_ = OpenHandles::Instance().sets;
  std::map<RegKey, std::string>& keys_ = OpenHandles::Instance().keys;
};

}  // namespace

std::unique_ptr<DeviceRegistry> CreateSimDeviceRegistry() {
  return std::make_unique<SimDeviceRegistry>();
}

size_t OpenSimDeviceInfoSetCount() {
  OpenHandles& handles = OpenHandles::Instance();
  std::lock_guard<std::mutex> lock(handles.mutex);
  return handles.sets.size();
}
size_t OpenSimRegistryKeyCount() {
  OpenHandles& handles = OpenHandles::Instance();
  std::lock_guard<std::mutex> lock(handles.mutex);
  return handles.keys.size();
}
}  // namespace platform::sim
