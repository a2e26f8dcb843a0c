// SetupAPI and the registry, called directly (setupapi, advapi32).
#include <windows.h>

#include <setupapi.h>

// The A/W selection macros would rename the interface's operations.
#undef RegGetValue
#undef SetupDiGetClassDevs
#undef SetupDiGetDeviceRegistryProperty
#undef SetupDiOpenDeviceInfo

#include <cstddef>

#include "platform/win32/win32_device_registry.h"

namespace platform::win32 {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "WCHAR is UTF-16");
static_assert(sizeof(DEVINFO_DATA) == sizeof(SP_DEVINFO_DATA), "SP_DEVINFO_DATA layout");
static_assert(offsetof(DEVINFO_DATA, DevInst) == offsetof(SP_DEVINFO_DATA, DevInst),
              "SP_DEVINFO_DATA layout");
static_assert(sizeof(WINBIO_GUID) == sizeof(GUID), "GUID layout");
static_assert(kSpdrpDriver == SPDRP_DRIVER, "SPDRP_DRIVER");
static_assert(kRrfRtRegSz == RRF_RT_REG_SZ && kRrfRtRegDword == RRF_RT_REG_DWORD, "RRF_RT_*");
static_assert(kKeyRead == KEY_READ && kKeyReadWow64 == (KEY_READ | KEY_WOW64_64KEY), "access mask");
static_assert(kDigcfPresent == DIGCF_PRESENT && kDicsFlagGlobal == DICS_FLAG_GLOBAL && kDiregDrv == DIREG_DRV,
              "SetupAPI flags");
static_assert(kSpdrpDeviceDesc == SPDRP_DEVICEDESC && kSpdrpMfg == SPDRP_MFG, "SPDRP_*");
static_assert(ERROR_NO_MORE_ITEMS_T == ERROR_NO_MORE_ITEMS && ERROR_MORE_DATA_T == ERROR_MORE_DATA, "errors");

const wchar_t* Wide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}
HKEY Key(RegKey key) {
  return static_cast<HKEY>(key);
}

class Win32DeviceRegistry : public DeviceRegistry {
 public:
  DevInfoSet SetupDiGetClassDevs(const WINBIO_GUID* classGuid, const char16_t* enumerator, void* parent,
                                 uint32_t flags) override {
    return ::SetupDiGetClassDevsW(reinterpret_cast<const GUID*>(classGuid), Wide(enumerator),
                                  static_cast<HWND>(parent), flags);
  }

  bool SetupDiEnumDeviceInfo(DevInfoSet set, uint32_t memberIndex, DEVINFO_DATA* info) override {
    return ::SetupDiEnumDeviceInfo(set, memberIndex, reinterpret_cast<SP_DEVINFO_DATA*>(info)) != FALSE;
  }

  bool SetupDiGetDeviceRegistryProperty(DevInfoSet set, DEVINFO_DATA* info, uint32_t property, uint32_t* type,
                                        uint8_t* buffer, uint32_t bufferSize,
                                        uint32_t* requiredSize) override {
    DWORD regType = 0;
    DWORD required = 0;
    const BOOL ok = ::SetupDiGetDeviceRegistryPropertyW(set, reinterpret_cast<SP_DEVINFO_DATA*>(info),
                                                        property, &regType, buffer, bufferSize, &required);
    if (type) *type = regType;
    if (requiredSize) *requiredSize = required;
    return ok != FALSE;
  }

  DevInfoSet SetupDiCreateDeviceInfoList(const WINBIO_GUID* classGuid) override {
    return ::SetupDiCreateDeviceInfoList(reinterpret_cast<const GUID*>(classGuid), nullptr);
  }

  bool SetupDiOpenDeviceInfo(DevInfoSet set, const char16_t* instanceId, DEVINFO_DATA* info) override {
    return ::SetupDiOpenDeviceInfoW(set, Wide(instanceId), nullptr, 0,
                                    reinterpret_cast<SP_DEVINFO_DATA*>(info)) != FALSE;
  }

  bool SetupDiGetDeviceInstanceId(DevInfoSet set, DEVINFO_DATA* info, char16_t* buffer, uint32_t bufferLength,
                                  uint32_t* requiredLength) override {
    DWORD required = 0;
    const BOOL ok = ::SetupDiGetDeviceInstanceIdW(set, reinterpret_cast<SP_DEVINFO_DATA*>(info),
                                                  reinterpret_cast<PWSTR>(buffer), bufferLength, &required);
    if (requiredLength) *requiredLength = required;
    return ok != FALSE;
  }

  bool SetupDiDestroyDeviceInfoList(DevInfoSet set) override {
    return ::SetupDiDestroyDeviceInfoList(set) != FALSE;
  }

  RegKey SetupDiOpenDevRegKey(DevInfoSet set, DEVINFO_DATA* info, uint32_t scope, uint32_t hwProfile,
                              uint32_t keyType, uint32_t access) override {
    const HKEY key = ::SetupDiOpenDevRegKey(set, reinterpret_cast<SP_DEVINFO_DATA*>(info), scope, hwProfile,
                                            keyType, access);
    return key == INVALID_HANDLE_VALUE ? nullptr : key;
  }

  int32_t RegGetValue(RegKey key, const char16_t* subKey, const char16_t* value, uint32_t flags,
                      uint32_t* type, void* data, uint32_t* dataSize) override {
    DWORD regType = 0;
    DWORD size = dataSize ? *dataSize : 0;
    const LSTATUS status = ::RegGetValueW(Key(key), Wide(subKey), Wide(value), flags, &regType, data,
                                          dataSize ? &size : nullptr);
    if (type) *type = regType;
    if (dataSize) *dataSize = size;
    return status;
  }

  int32_t RegCloseKey(RegKey key) override { return ::RegCloseKey(Key(key)); }
};

}  // namespace

std::unique_ptr<DeviceRegistry> CreateWin32DeviceRegistry() {
  return std::make_unique<Win32DeviceRegistry>();
}

}  // namespace platform::win32
