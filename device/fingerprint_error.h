#pragma once

#include <cstdint>

// Results of the reader's operations. The numbers are fixed; success is 20.
enum class FingerprintError : int32_t {
  OpenSessionFailed = 8,
  DeviceNotAccessible = 9,
  EnrollFailed = 10,
  ReadLimitError = 12,
  CommitFailed = 13,
  LocateFailed = 14,
  Timeout = 15,
  FingerprintNotRecognized = 16,
  Cancelled = 17,
  NoDriver = 18,  // no driver on the system supports the reader
  Success = 20,
  // The reader is in use by another program (enrolment in Settings, another
  // capture or session): nothing is wrong with it.
  ReaderBusy = 21,
  // Biometrics are turned off by group policy.
  BiometricsDisabled = 22,
  // The session is a remote one; the framework serves the console only.
  NotActiveConsole = 23,
  // The machine's readers are kept for Enhanced Sign-in Security, which the
  // framework's API does not serve.
  EnhancedSignInSecurity = 24,
  // The user has no fingerprint enrolled, which the system's service needs
  // to verify against.
  NoEnrolledPrints = 25,
  // The system's policy does not let this user use the reader here.
  NotAuthorized = 26,
};
