#pragma once

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

constexpr WINBIO_BIOMETRIC_TYPE WINBIO_TYPE_FINGERPRINT = 0x00000008;
constexpr WINBIO_POOL_TYPE WINBIO_POOL_SYSTEM = 1;
constexpr WINBIO_SESSION_FLAGS WINBIO_FLAG_DEFAULT = 0x00000000;
constexpr WINBIO_SESSION_FLAGS WINBIO_FLAG_BASIC = 0x00010000;
constexpr WINBIO_SESSION_FLAGS WINBIO_FLAG_ADVANCED = 0x00020000;
constexpr uint32_t WINBIO_CAPABILITY_SENSOR = 0x00000001;
constexpr WINBIO_BIOMETRIC_SUBTYPE WINBIO_SUBTYPE_NO_INFORMATION = 0x00;
constexpr WINBIO_PROPERTY_TYPE WINBIO_PROPERTY_TYPE_UNIT = 2;
constexpr WINBIO_PROPERTY_ID WINBIO_PROPERTY_SAMPLE_HINT = 1;
constexpr HRESULT_T WINBIO_E_CANCELED = static_cast<HRESULT_T>(0x80098004u);
constexpr uint32_t WINBIO_ID_TYPE_NULL = 0;
constexpr uint32_t WINBIO_ID_TYPE_SID = 3;
constexpr uint32_t SECURITY_MAX_SID_SIZE = 68;

constexpr int WINBIO_STRING_LENGTH = 256;
using WINBIO_STRING = char16_t[WINBIO_STRING_LENGTH];

struct WINBIO_VERSION {
  uint32_t MajorVersion;
  uint32_t MinorVersion;
};

struct WINBIO_UNIT_SCHEMA {
  WINBIO_UNIT_ID UnitId;
  WINBIO_POOL_TYPE PoolType;
  WINBIO_BIOMETRIC_TYPE BiometricFactor;
  uint32_t SensorSubType;
  uint32_t Capabilities;
  WINBIO_STRING DeviceInstanceId;
  WINBIO_STRING Description;
  WINBIO_STRING Manufacturer;
  WINBIO_STRING Model;
  WINBIO_STRING SerialNumber;
  WINBIO_VERSION FirmwareVersion;
};

struct WINBIO_GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};

// Only the account-SID form of the identity is used here; the union is sized
// for its largest member, the secure identifier.
struct WINBIO_IDENTITY {
  uint32_t Type;
  union {
    uint32_t Null;
    uint32_t Wildcard;
    WINBIO_GUID TemplateGuid;
    struct {
      uint32_t Size;
      uint8_t Data[SECURITY_MAX_SID_SIZE];
    } AccountSid;
    uint8_t SecureId[32];
  } Value;
};
