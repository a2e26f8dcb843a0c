#pragma once

#include <cstddef>
#include <cstdint>

// Windows Biometric Framework types, declared from the documented ABI so that
// the same records flow through the real backend and the simulated one.
// WCHAR is 16 bits on Windows; char16_t has the same size and layout.

using HRESULT_T = int32_t;
using WINBIO_UNIT_ID = uint32_t;
using WINBIO_SESSION_HANDLE = uint32_t;
using WINBIO_BIOMETRIC_TYPE = uint32_t;
using WINBIO_POOL_TYPE = uint32_t;
using WINBIO_SESSION_FLAGS = uint32_t;
using WINBIO_BIOMETRIC_SUBTYPE = uint8_t;
using WINBIO_PROPERTY_TYPE = uint32_t;
using WINBIO_PROPERTY_ID = uint32_t;
using WINBIO_IDENTITY_TYPE = uint32_t;

constexpr WINBIO_BIOMETRIC_TYPE WINBIO_TYPE_FINGERPRINT = 0x00000008;
constexpr WINBIO_POOL_TYPE WINBIO_POOL_SYSTEM = 1;
constexpr WINBIO_SESSION_FLAGS WINBIO_FLAG_DEFAULT = 0x00000000;
constexpr WINBIO_SESSION_FLAGS WINBIO_FLAG_BASIC = 0x00010000;
constexpr WINBIO_SESSION_FLAGS WINBIO_FLAG_ADVANCED = 0x00020000;
constexpr uint32_t WINBIO_CAPABILITY_SENSOR = 0x00000001;
constexpr WINBIO_BIOMETRIC_SUBTYPE WINBIO_SUBTYPE_NO_INFORMATION = 0x00;
constexpr WINBIO_PROPERTY_TYPE WINBIO_PROPERTY_TYPE_UNIT = 2;
constexpr WINBIO_PROPERTY_ID WINBIO_PROPERTY_SAMPLE_HINT = 1;
constexpr WINBIO_IDENTITY_TYPE WINBIO_ID_TYPE_NULL = 0;
constexpr WINBIO_IDENTITY_TYPE WINBIO_ID_TYPE_SID = 3;
constexpr uint32_t kSecurityMaxSidSize = 68;

constexpr HRESULT_T S_OK_T = 0;
constexpr HRESULT_T WINBIO_E_CANCELED = static_cast<HRESULT_T>(0x80098004u);
// The unit failed or stopped answering: the reader is reported as not accessible.
constexpr HRESULT_T WINBIO_E_DEVICE_FAILURE = static_cast<HRESULT_T>(0x80098036u);
// The reader is in use elsewhere: Settings enrolling a finger, another
// program's capture or session.
constexpr HRESULT_T WINBIO_E_ENROLLMENT_IN_PROGRESS = static_cast<HRESULT_T>(0x80098007u);
constexpr HRESULT_T WINBIO_E_DEVICE_BUSY = static_cast<HRESULT_T>(0x80098010u);
constexpr HRESULT_T WINBIO_E_SESSION_BUSY = static_cast<HRESULT_T>(0x8009802Du);
// Group policy has turned biometrics off.
constexpr HRESULT_T WINBIO_E_DISABLED = static_cast<HRESULT_T>(0x80098032u);
// The caller runs in a Remote Desktop session, not at the machine's console.
constexpr HRESULT_T WINBIO_E_NOT_ACTIVE_CONSOLE = static_cast<HRESULT_T>(0x80098038u);
// Answers of Linux's fingerprint service that the Windows framework has no
// code for (the customer bit marks them as the project's own): the user has
// no fingerprint enrolled to verify against; the system's policy (polkit)
// does not let this user use the reader.
constexpr HRESULT_T FP_E_NO_ENROLLED_PRINTS = static_cast<HRESULT_T>(0xA0040001u);
constexpr HRESULT_T FP_E_NOT_AUTHORIZED = static_cast<HRESULT_T>(0xA0040002u);
// This user may not open the reader's device node.
constexpr HRESULT_T E_ACCESSDENIED_T = static_cast<HRESULT_T>(0x80070005u);
constexpr HRESULT_T E_HANDLE_T = static_cast<HRESULT_T>(0x80070006u);
constexpr HRESULT_T E_INVALIDARG_T = static_cast<HRESULT_T>(0x80070057u);
constexpr HRESULT_T E_POINTER_T = static_cast<HRESULT_T>(0x80004003u);
constexpr HRESULT_T E_NOTIMPL_T = static_cast<HRESULT_T>(0x80004001u);
constexpr HRESULT_T E_OUTOFMEMORY_T = static_cast<HRESULT_T>(0x8007000Eu);
// HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED): no driver on the system supports the reader.
constexpr HRESULT_T E_NOT_SUPPORTED_T = static_cast<HRESULT_T>(0x80070032u);
// HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND): the framework's library is missing.
constexpr HRESULT_T E_MOD_NOT_FOUND_T = static_cast<HRESULT_T>(0x8007007Eu);

constexpr int WINBIO_STRING_LENGTH = 256;
using WINBIO_STRING = char16_t[WINBIO_STRING_LENGTH];

struct WINBIO_GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};

struct WINBIO_VERSION {
  uint32_t MajorVersion;
  uint32_t MinorVersion;
};

struct WINBIO_UNIT_SCHEMA {
  WINBIO_UNIT_ID UnitId;
  WINBIO_POOL_TYPE PoolType;
  WINBIO_BIOMETRIC_TYPE BiometricFactor;
  uint32_t SensorSubType;  // WINBIO_BIOMETRIC_SENSOR_SUBTYPE
  uint32_t Capabilities;   // WINBIO_CAPABILITIES
  WINBIO_STRING DeviceInstanceId;
  WINBIO_STRING Description;
  WINBIO_STRING Manufacturer;
  WINBIO_STRING Model;
  WINBIO_STRING SerialNumber;
  WINBIO_VERSION FirmwareVersion;
};

struct WINBIO_IDENTITY {
  WINBIO_IDENTITY_TYPE Type;
  union {
    uint32_t Null;
    uint32_t Wildcard;
    WINBIO_GUID TemplateGuid;
    struct {
      uint32_t Size;
      uint8_t Data[kSecurityMaxSidSize];
    } AccountSid;
  } Value;
};

// The records cross the boundary to winbio.dll as they are: pin their layout.
static_assert(sizeof(char16_t) == 2);
static_assert(sizeof(WINBIO_GUID) == 16);
static_assert(offsetof(WINBIO_UNIT_SCHEMA, DeviceInstanceId) == 20);
static_assert(offsetof(WINBIO_UNIT_SCHEMA, Description) == 20 + 512);
static_assert(offsetof(WINBIO_UNIT_SCHEMA, Manufacturer) == 20 + 2 * 512);
static_assert(offsetof(WINBIO_UNIT_SCHEMA, Model) == 20 + 3 * 512);
static_assert(offsetof(WINBIO_UNIT_SCHEMA, FirmwareVersion) == 20 + 5 * 512);
static_assert(sizeof(WINBIO_UNIT_SCHEMA) == 2588);
static_assert(offsetof(WINBIO_IDENTITY, Value) == 4);
static_assert(sizeof(WINBIO_IDENTITY) == 76);
