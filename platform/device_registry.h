#pragma once

#include <cstdint>
#include <memory>

#include "platform/winbio_types.h"

namespace platform {

// Opaque handles of the SetupAPI device-information sets and registry keys.
using DevInfoSet = void*;
using RegKey = void*;

// The predefined HKEY_LOCAL_MACHINE handle value.
inline RegKey const kHkeyLocalMachine =
    reinterpret_cast<RegKey>(static_cast<intptr_t>(static_cast<int32_t>(0x80000002)));
inline DevInfoSet const kInvalidDevInfoSet = reinterpret_cast<DevInfoSet>(static_cast<intptr_t>(-1));

// SP_DEVINFO_DATA.
struct DEVINFO_DATA {
  uint32_t cbSize;
  WINBIO_GUID ClassGuid;
  uint32_t DevInst;
  uintptr_t Reserved;
};
static_assert(sizeof(void*) != 8 || sizeof(DEVINFO_DATA) == 32, "SP_DEVINFO_DATA is 32 bytes on x86-64");

constexpr uint32_t kSpdrpDeviceDesc = 0;
constexpr uint32_t kSpdrpMfg = 0x0B;
constexpr uint32_t kSpdrpFriendlyName = 0x0C;
constexpr uint32_t kSpdrpDriver = 9;
constexpr uint32_t kDigcfPresent = 0x00000002;
constexpr uint32_t kDicsFlagGlobal = 0x00000001;
constexpr uint32_t kDiregDrv = 0x00000002;
constexpr uint32_t REG_SZ_T = 1;
constexpr uint32_t REG_DWORD_T = 4;
constexpr uint32_t kRrfRtRegSz = 0x00000002;
constexpr uint32_t kRrfRtRegDword = 0x00000010;
constexpr uint32_t kKeyRead = 0x00020019;
constexpr uint32_t kKeyReadWow64 = 0x00020119;  // KEY_READ | KEY_WOW64_64KEY

constexpr int32_t ERROR_SUCCESS_T = 0;
constexpr int32_t ERROR_FILE_NOT_FOUND_T = 2;
constexpr int32_t ERROR_INVALID_HANDLE_T = 6;
constexpr int32_t ERROR_INVALID_PARAMETER_T = 87;
constexpr int32_t ERROR_INSUFFICIENT_BUFFER_T = 122;
constexpr int32_t ERROR_MORE_DATA_T = 234;
constexpr int32_t ERROR_NO_MORE_ITEMS_T = 259;
constexpr int32_t ERROR_UNSUPPORTED_TYPE_T = 1630;

// {53d29ef7-377c-4d14-864b-eb3a85769359}
constexpr WINBIO_GUID kGuidDevClassBiometric = {
    0x53d29ef7, 0x377c, 0x4d14, {0x86, 0x4b, 0xeb, 0x3a, 0x85, 0x76, 0x93, 0x59}};

// SetupAPI and the registry, as far as the module reads them. Texts are
// NUL-terminated UTF-16; sizes are in bytes, as Windows reports them. The
// SetupDi calls answer false on failure (reason in the thread's last error);
// the Reg calls answer a Win32 error code, 0 for success.
class DeviceRegistry {
 public:
  virtual ~DeviceRegistry() = default;

  virtual DevInfoSet SetupDiGetClassDevs(const WINBIO_GUID* classGuid, const char16_t* enumerator,
                                         void* parent, uint32_t flags) = 0;
  virtual bool SetupDiEnumDeviceInfo(DevInfoSet set, uint32_t memberIndex, DEVINFO_DATA* info) = 0;
  virtual bool SetupDiGetDeviceRegistryProperty(DevInfoSet set, DEVINFO_DATA* info, uint32_t property,
                                                uint32_t* propertyRegDataType, uint8_t* buffer,
                                                uint32_t bufferSize, uint32_t* requiredSize) = 0;
  // An empty set for devices of the class; SetupDiOpenDeviceInfo adds one
  // device to it by its instance id (case ignored), failing when no device of
  // the set's class has that id.
  virtual DevInfoSet SetupDiCreateDeviceInfoList(const WINBIO_GUID* classGuid) = 0;
  virtual bool SetupDiOpenDeviceInfo(DevInfoSet set, const char16_t* instanceId, DEVINFO_DATA* info) = 0;
  virtual bool SetupDiDestroyDeviceInfoList(DevInfoSet set) = 0;
  // The device's instance id into `buffer` (`bufferLength` characters with
  // the terminating null); false when it does not fit or there is no such device.
  virtual bool SetupDiGetDeviceInstanceId(DevInfoSet set, DEVINFO_DATA* info, char16_t* buffer,
                                          uint32_t bufferLength, uint32_t* requiredLength) = 0;
  // The device's driver (software) key for kDiregDrv; null on failure.
  virtual RegKey SetupDiOpenDevRegKey(DevInfoSet set, DEVINFO_DATA* info, uint32_t scope, uint32_t hwProfile,
                                      uint32_t keyType, uint32_t access) = 0;

  virtual int32_t RegGetValue(RegKey key, const char16_t* subKey, const char16_t* value, uint32_t flags,
                              uint32_t* type, void* data, uint32_t* dataSize) = 0;
  virtual int32_t RegCloseKey(RegKey key) = 0;
};

}  // namespace platform
