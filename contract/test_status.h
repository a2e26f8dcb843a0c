#pragma once

// Fixed by the host contract: names, field order, virtual order and types; see docs/ARCHITECTURE.md.

#include <cstdint>

// Result of a test run as the host interprets it. Value 2 belongs to the
// host's enumeration and is never produced here.
enum class TestStatus : int32_t {
  Passed = 0,
  Failed = 1,
  NotSupported = 3,
  Aborted = 4,
  NotRecognized = 5,
  Error = 6,
};

inline const char* TestStatusName(TestStatus status) {
  switch (status) {
    case TestStatus::Passed:
      return "Passed";
    case TestStatus::Failed:
      return "Failed";
    case TestStatus::NotSupported:
      return "NotSupported";
    case TestStatus::Aborted:
      return "Aborted";
    case TestStatus::NotRecognized:
      return "NotRecognized";
    case TestStatus::Error:
      return "Error";
  }
  return "Unknown";
}
