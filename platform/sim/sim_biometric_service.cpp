// Placeholder until the simulated biometric service lands: no readers.
#include "platform/biometric_service.h"

namespace platform {
namespace {
class SimBiometricService : public BiometricService {
 public:
  HRESULT_T EnumBiometricUnits(WINBIO_BIOMETRIC_TYPE, WINBIO_UNIT_SCHEMA** units, size_t* count) override {
    *units = nullptr;
    *count = 0;
    return 0;
  }
  HRESULT_T Free(void*) override { return 0; }
  HRESULT_T OpenSession(WINBIO_BIOMETRIC_TYPE, WINBIO_POOL_TYPE, WINBIO_SESSION_FLAGS, WINBIO_UNIT_ID*, size_t,
                        const WINBIO_GUID*, WINBIO_SESSION_HANDLE*) override {
    return -1;
  }
  HRESULT_T CloseSession(WINBIO_SESSION_HANDLE) override { return 0; }
  HRESULT_T LocateSensor(WINBIO_SESSION_HANDLE, WINBIO_UNIT_ID*) override { return -1; }
  HRESULT_T Cancel(WINBIO_SESSION_HANDLE) override { return 0; }
  HRESULT_T DeleteTemplate(WINBIO_SESSION_HANDLE, WINBIO_UNIT_ID, const WINBIO_IDENTITY*,
                           WINBIO_BIOMETRIC_SUBTYPE) override {
    return 0;
  }
  HRESULT_T GetProperty(WINBIO_SESSION_HANDLE, WINBIO_PROPERTY_TYPE, WINBIO_PROPERTY_ID, WINBIO_UNIT_ID,
                        const WINBIO_IDENTITY*, WINBIO_BIOMETRIC_SUBTYPE, void**, size_t*) override {
    return -1;
  }
};
}  // namespace
std::unique_ptr<BiometricService> CreateNativeBiometricService() { return std::make_unique<SimBiometricService>(); }
}  // namespace platform
