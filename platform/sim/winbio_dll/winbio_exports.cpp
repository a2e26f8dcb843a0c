// winbio.dll of the simulated machine: the Windows Biometric Framework
// functions the module calls, with their documented argument lists, answered
// by the simulated biometric service from the same FINGERPRINT_SIM
// description as on Linux. Tests install it into the system folder of a Wine
// prefix, where the module's loader looks for the framework; it never ships.
//
// x86-64 Windows has one calling convention, so these plain extern "C"
// functions are what WINAPI declarations call; winbio.def names the exports.
#include <cstddef>
#include <memory>

#include "platform/sim/sim_biometric_service.h"
#include "platform/win32/win32_foreground.h"

namespace {

platform::BiometricService& Service() {
  // Never destroyed: a sensor wait may still block on another thread when
  // the process ends.
  static platform::BiometricService* service =
      platform::sim::CreateSimBiometricService(platform::win32::ProcessOwnsForegroundWindow).release();
  return *service;
}

}  // namespace

extern "C" {

HRESULT_T WinBioEnumBiometricUnits(WINBIO_BIOMETRIC_TYPE factor, WINBIO_UNIT_SCHEMA** unitSchemaArray,
                                   size_t* unitCount) {
  return Service().EnumBiometricUnits(factor, unitSchemaArray, unitCount);
}

HRESULT_T WinBioFree(void* address) {
  return Service().Free(address);
}

HRESULT_T WinBioOpenSession(WINBIO_BIOMETRIC_TYPE factor, WINBIO_POOL_TYPE poolType,
                            WINBIO_SESSION_FLAGS flags, WINBIO_UNIT_ID* unitArray, size_t unitCount,
                            WINBIO_GUID* databaseId, WINBIO_SESSION_HANDLE* sessionHandle) {
  return Service().OpenSession(factor, poolType, flags, unitArray, unitCount, databaseId, sessionHandle);
}

HRESULT_T WinBioCloseSession(WINBIO_SESSION_HANDLE sessionHandle) {
  return Service().CloseSession(sessionHandle);
}

HRESULT_T WinBioLocateSensor(WINBIO_SESSION_HANDLE sessionHandle, WINBIO_UNIT_ID* unitId) {
  return Service().LocateSensor(sessionHandle, unitId);
}

HRESULT_T WinBioCancel(WINBIO_SESSION_HANDLE sessionHandle) {
  return Service().Cancel(sessionHandle);
}

HRESULT_T WinBioDeleteTemplate(WINBIO_SESSION_HANDLE sessionHandle, WINBIO_UNIT_ID unitId,
                               WINBIO_IDENTITY* identity, WINBIO_BIOMETRIC_SUBTYPE subFactor) {
  return Service().DeleteTemplate(sessionHandle, unitId, identity, subFactor);
}

HRESULT_T WinBioGetProperty(WINBIO_SESSION_HANDLE sessionHandle, WINBIO_PROPERTY_TYPE propertyType,
                            WINBIO_PROPERTY_ID propertyId, WINBIO_UNIT_ID unitId, WINBIO_IDENTITY* identity,
                            WINBIO_BIOMETRIC_SUBTYPE subFactor, void** propertyBuffer,
                            size_t* propertyBufferSize) {
  return Service().GetProperty(sessionHandle, propertyType, propertyId, unitId, identity, subFactor,
                               propertyBuffer, propertyBufferSize);
}

// Windows 11's: BOOLEAN, one byte.
HRESULT_T WinBioIsESSCapable(unsigned char* value) {
  if (!value) return E_POINTER_T;
  bool capable = false;
  const HRESULT_T hr = Service().IsESSCapable(&capable);
  *value = capable ? 1 : 0;
  return hr;
}

// What tests ask the simulated machine; the module never calls these.
size_t SimOpenSessionCount() {
  return platform::sim::OpenSimSessionCount();
}

size_t SimOutstandingAllocations() {
  return platform::sim::OutstandingSimAllocations();
}

void SimLastDeletedIdentity(WINBIO_IDENTITY* identity) {
  *identity = platform::sim::LastDeletedIdentity();
}

}  // extern "C"
