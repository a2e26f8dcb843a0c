#include "recognition/result_report.h"

SensorCheckOutcome OutcomeOfSensorError(FingerprintError error) {
  switch (error) {
    case FingerprintError::DeviceNotAccessible:
      return {TestStatus::Error, "CANNOT_ACCESS_DEVICE", false};
    case FingerprintError::EnrollFailed:
      return {TestStatus::Aborted, "FAILED_TO_ENROLL_FINGERPRINT", false};
    case FingerprintError::ReadLimitError:
      return {TestStatus::Aborted, "FAILED_TO_ENROLL_FINGERPRINT_DUE_TO_FINGERPRINT_READ_LIMIT_ERROR", false};
    case FingerprintError::CommitFailed:
      return {TestStatus::Aborted, "FAILED_TO_COMMIT_FINGERPRINT_DATA", false};
    case FingerprintError::LocateFailed:
      return {TestStatus::Failed, "FAILED_TO_ENROLL_FINGERPRINT", false};
    case FingerprintError::Timeout:
      // No message: the test asks the user whether the touch was made.
      return {TestStatus::Aborted, nullptr, true};
    // Nothing is wrong with the reader in these: no verdict on it.
    case FingerprintError::ReaderBusy:
      return {TestStatus::Aborted, "READER_BUSY_IN_ANOTHER_PROGRAM", false};
    case FingerprintError::BiometricsDisabled:
      return {TestStatus::NotSupported, "BIOMETRICS_TURNED_OFF_BY_POLICY", false};
    case FingerprintError::NotActiveConsole:
      return {TestStatus::NotSupported, "NOT_AVAILABLE_IN_REMOTE_SESSION", false};
    case FingerprintError::EnhancedSignInSecurity:
      return {TestStatus::NotSupported, "ENHANCED_SIGN_IN_SECURITY_NOT_SUPPORTED", false};
    case FingerprintError::NoDriver:
      return {TestStatus::NotSupported, "NO_DRIVER_SUPPORTS_READER", false};
    case FingerprintError::NoEnrolledPrints:
      return {TestStatus::NotSupported, "ENROLL_A_FINGERPRINT_IN_SYSTEM_SETTINGS_FIRST", false};
    case FingerprintError::NotAuthorized:
      return {TestStatus::NotSupported, "SYSTEM_POLICY_DENIES_READER", false};
    case FingerprintError::FingerprintNotRecognized:
      return {TestStatus::NotRecognized, "FINGERPRINT_NOT_RECOGNIZED", false};
    default:  // OpenSessionFailed, Cancelled and the rest end without a verdict
      return {TestStatus::Aborted, nullptr, false};
  }
}
