#include "platform/none/none_device_registry.h"

#include <mutex>
#include <set>

namespace platform::none {
namespace {

class NoneDeviceRegistry : public DeviceRegistry {
 public:
  DevInfoSet SetupDiGetClassDevs(const WINBIO_GUID*, const char16_t*, void*, uint32_t) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto set = reinterpret_cast<DevInfoSet>(next_++);
    sets_.insert(set);
    return set;
  }
  bool SetupDiEnumDeviceInfo(DevInfoSet, uint32_t, DEVINFO_DATA*) override {
    return false;  // ERROR_NO_MORE_ITEMS: the set is empty
  }
  bool SetupDiGetDeviceRegistryProperty(DevInfoSet, DEVINFO_DATA*, uint32_t, uint32_t*, uint8_t*, uint32_t,
                                        uint32_t* requiredSize) override {
    if (requiredSize) *requiredSize = 0;
    return false;
  }
  DevInfoSet SetupDiCreateDeviceInfoList(const WINBIO_GUID* classGuid) override {
    return SetupDiGetClassDevs(classGuid, nullptr, nullptr, 0);
  }
  bool SetupDiOpenDeviceInfo(DevInfoSet, const char16_t*, DEVINFO_DATA*) override {
    return false;  // ERROR_NO_SUCH_DEVINST
  }
  RegKey SetupDiOpenDevRegKey(DevInfoSet, DEVINFO_DATA*, uint32_t, uint32_t, uint32_t, uint32_t) override {
    return nullptr;
  }
  bool SetupDiGetDeviceInstanceId(DevInfoSet, DEVINFO_DATA*, char16_t*, uint32_t, uint32_t*) override {
    return false;  // no devices
  }
  bool SetupDiDestroyDeviceInfoList(DevInfoSet set) override {
    std::lock_guard<std::mutex> lock(mutex_);
    return sets_.erase(set) == 1;
  }

  int32_t RegGetValue(RegKey, const char16_t*, const char16_t*, uint32_t, uint32_t*, void*,
                      uint32_t*) override {
    return ERROR_FILE_NOT_FOUND_T;
  }
  // No key ever opens, so every handle handed in is not one.
  int32_t RegCloseKey(RegKey) override { return ERROR_INVALID_HANDLE_T; }

 private:
  std::mutex mutex_;
  uintptr_t next_ = 1;
  std::set<DevInfoSet> sets_;
};

}  // namespace

std::unique_ptr<DeviceRegistry> CreateNoneDeviceRegistry() {
  return std::make_unique<NoneDeviceRegistry>();
}

}  // namespace platform::none
