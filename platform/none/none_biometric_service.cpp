#include "platform/none/none_biometric_service.h"

namespace platform::none {
namespace {

// A session over an empty system pool: HRESULT_FROM_WIN32(ERROR_NOT_FOUND).
constexpr HRESULT_T kNoUnit = static_cast<HRESULT_T>(0x80070490u);

class NoneBiometricService : public BiometricService {
 public:
  HRESULT_T EnumBiometricUnits(WINBIO_BIOMETRIC_TYPE, WINBIO_UNIT_SCHEMA** units, size_t* count) override {
    if (!units || !count) return E_POINTER_T;
    *units = nullptr;
    *count = 0;
    return S_OK_T;
  }
  HRESULT_T Free(void* address) override { return address ? E_INVALIDARG_T : S_OK_T; }
  HRESULT_T OpenSession(WINBIO_BIOMETRIC_TYPE, WINBIO_POOL_TYPE, WINBIO_SESSION_FLAGS, WINBIO_UNIT_ID*,
                        size_t, const WINBIO_GUID*, WINBIO_SESSION_HANDLE* sessionHandle) override {
    if (!sessionHandle) return E_POINTER_T;
    *sessionHandle = 0;
    return kNoUnit;
  }
  HRESULT_T CloseSession(WINBIO_SESSION_HANDLE) override { return E_HANDLE_T; }
  HRESULT_T LocateSensor(WINBIO_SESSION_HANDLE, WINBIO_UNIT_ID*) override { return E_HANDLE_T; }
  HRESULT_T Cancel(WINBIO_SESSION_HANDLE) override { return E_HANDLE_T; }
  HRESULT_T DeleteTemplate(WINBIO_SESSION_HANDLE, WINBIO_UNIT_ID, const WINBIO_IDENTITY*,
                           WINBIO_BIOMETRIC_SUBTYPE) override {
    return E_HANDLE_T;
  }
  HRESULT_T GetProperty(WINBIO_SESSION_HANDLE, WINBIO_PROPERTY_TYPE, WINBIO_PROPERTY_ID, WINBIO_UNIT_ID,
                        const WINBIO_IDENTITY*, WINBIO_BIOMETRIC_SUBTYPE, void** propertyBuffer,
                        size_t* propertyBufferSize) override {
    if (propertyBuffer) *propertyBuffer = nullptr;
    if (propertyBufferSize) *propertyBufferSize = 0;
    return E_HANDLE_T;
  }
};

}  // namespace

std::unique_ptr<BiometricService> CreateNoneBiometricService() {
  return std::make_unique<NoneBiometricService>();
}

}  // namespace platform::none
