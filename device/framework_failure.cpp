#include "device/framework_failure.h"

#include "platform/biometric_service.h"
#include "platform/platform.h"

FingerprintError FrameworkFailure(HRESULT_T hr, FingerprintError otherwise) {
  switch (hr) {
    case WINBIO_E_ENROLLMENT_IN_PROGRESS:
    case WINBIO_E_DEVICE_BUSY:
    case WINBIO_E_SESSION_BUSY:
      return FingerprintError::ReaderBusy;
    case WINBIO_E_DISABLED:
      return FingerprintError::BiometricsDisabled;
    case WINBIO_E_NOT_ACTIVE_CONSOLE:
      return FingerprintError::NotActiveConsole;
    case FP_E_NO_ENROLLED_PRINTS:
      return FingerprintError::NoEnrolledPrints;
    case FP_E_NOT_AUTHORIZED:
      return FingerprintError::NotAuthorized;
    default:
      break;
  }
  // Asked only now: the answer matters only for a failure, and only on
  // machines whose winbio.dll knows the question.
  bool ess = false;
  if (platform::biometric().IsESSCapable(&ess) >= 0 && ess) return FingerprintError::EnhancedSignInSecurity;
  if (hr == WINBIO_E_DEVICE_FAILURE) return FingerprintError::DeviceNotAccessible;
  return otherwise;
}
