// Placeholder until the simulated registry lands: nothing is registered.
#include "platform/device_registry.h"

namespace platform {
namespace {
class SimDeviceRegistry : public DeviceRegistry {
 public:
  DevInfoSet SetupDiGetClassDevs(const WINBIO_GUID*, const char16_t*, void*, uint32_t) override {
    return kInvalidDevInfoSet;
  }
  bool SetupDiEnumDeviceInfo(DevInfoSet, uint32_t, DEVINFO_DATA*) override { return false; }
  bool SetupDiGetDeviceRegistryProperty(DevInfoSet, DEVINFO_DATA*, uint32_t, uint32_t*, uint8_t*, uint32_t,
                                        uint32_t*) override {
    return false;
  }
  bool SetupDiDestroyDeviceInfoList(DevInfoSet) override { return true; }
  int32_t RegGetValue(RegKey, const char16_t*, const char16_t*, uint32_t, uint32_t*, void*, uint32_t*) override {
    return 2;
  }
  int32_t RegOpenKeyEx(RegKey, const char16_t*, uint32_t, uint32_t, RegKey*) override { return 2; }
  int32_t RegEnumKeyEx(RegKey, uint32_t, char16_t*, uint32_t*) override { return 259; }
  int32_t RegEnableReflectionKey(RegKey) override { return 0; }
  int32_t RegFlushKey(RegKey) override { return 0; }
  int32_t RegCloseKey(RegKey) override { return 0; }
};
}  // namespace
std::unique_ptr<DeviceRegistry> CreateNativeDeviceRegistry() { return std::make_unique<SimDeviceRegistry>(); }
}  // namespace platform
