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
};
