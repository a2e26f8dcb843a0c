#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/winbio_types.h"

namespace platform {

// The grace: how long the module waits for a call into the biometric service
// past its limit or its cancellation (a call with neither, from its start).
// A call that has not returned by then is given up, and its reader reported
// as not accessible; the call is left to return on its own.
constexpr uint32_t kCancelGraceMilliseconds = 3000;

// The Windows Biometric Framework calls the module makes (winbio.dll), with
// the framework's own argument lists. Arrays and buffers the service hands
// out are released with Free.
class BiometricService {
 public:
  virtual ~BiometricService() = default;

  virtual HRESULT_T EnumBiometricUnits(WINBIO_BIOMETRIC_TYPE factor, WINBIO_UNIT_SCHEMA** unitSchemaArray,
                                       size_t* unitCount) = 0;
  virtual HRESULT_T Free(void* address) = 0;
  virtual HRESULT_T OpenSession(WINBIO_BIOMETRIC_TYPE factor, WINBIO_POOL_TYPE poolType,
                                WINBIO_SESSION_FLAGS flags, WINBIO_UNIT_ID* unitArray, size_t unitCount,
                                const WINBIO_GUID* databaseId, WINBIO_SESSION_HANDLE* sessionHandle) = 0;
  virtual HRESULT_T CloseSession(WINBIO_SESSION_HANDLE sessionHandle) = 0;
  // Blocks until a sensor is touched, the call fails or Cancel is called on
  // the same session from another thread (then WINBIO_E_CANCELED).
  virtual HRESULT_T LocateSensor(WINBIO_SESSION_HANDLE sessionHandle, WINBIO_UNIT_ID* unitId) = 0;
  virtual HRESULT_T Cancel(WINBIO_SESSION_HANDLE sessionHandle) = 0;
  virtual HRESULT_T DeleteTemplate(WINBIO_SESSION_HANDLE sessionHandle, WINBIO_UNIT_ID unitId,
                                   const WINBIO_IDENTITY* identity, WINBIO_BIOMETRIC_SUBTYPE subFactor) = 0;
  virtual HRESULT_T GetProperty(WINBIO_SESSION_HANDLE sessionHandle, WINBIO_PROPERTY_TYPE propertyType,
                                WINBIO_PROPERTY_ID propertyId, WINBIO_UNIT_ID unitId,
                                const WINBIO_IDENTITY* identity, WINBIO_BIOMETRIC_SUBTYPE subFactor,
                                void** propertyBuffer, size_t* propertyBufferSize) = 0;
  // WinBioIsESSCapable (Windows 11): whether the machine keeps its readers
  // for Enhanced Sign-in Security. Services without the notion answer
  // E_NOTIMPL and false.
  virtual HRESULT_T IsESSCapable(bool* capable) {
    if (capable) *capable = false;
    return E_NOTIMPL_T;
  }

  // The module has given up the calls pending on this session: the reader
  // did not answer within the grace period after their limit or their
  // cancellation. A service that can end them (a helper process it runs)
  // does so now, so that its own give-up and the module's are one; the
  // module leaves them to return on their own. Returns at once.
  virtual void GiveUp(WINBIO_SESSION_HANDLE sessionHandle) { static_cast<void>(sessionHandle); }

  // Whether the listed unit with this device instance id can be used:
  // S_OK_T, or the result every operation on it ends with, with what is wrong
  // in `why`: WINBIO_E_DEVICE_FAILURE (its driver failed) or E_NOT_SUPPORTED_T
  // (no driver supports it). The Windows framework lists only units that a
  // driver serves; a backend that also lists the others says so here.
  virtual HRESULT_T UnitState(std::u16string_view deviceInstanceId, std::string* why) {
    static_cast<void>(deviceInstanceId);
    static_cast<void>(why);
    return S_OK_T;
  }
};

}  // namespace platform
