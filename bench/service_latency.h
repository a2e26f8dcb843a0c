#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "platform/biometric_service.h"

// What the latency benchmarks of the Linux services share: the clock, the
// report of a series, and one listing timed.
namespace bench {

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

inline void Report(const char* what, std::vector<double> values) {
  std::sort(values.begin(), values.end());
  std::printf("%-28s median %7.2f ms   min %7.2f ms   max %7.2f ms   (%zu rounds)\n", what,
              values[values.size() / 2], values.front(), values.back(), values.size());
}

// One listing in milliseconds; -1 when it lists no reader.
inline double ListingMs(platform::BiometricService& service) {
  WINBIO_UNIT_SCHEMA* units = nullptr;
  size_t count = 0;
  const Clock::time_point start = Clock::now();
  service.EnumBiometricUnits(WINBIO_TYPE_FINGERPRINT, &units, &count);
  const double ms = Ms(Clock::now() - start);
  service.Free(units);
  return count == 0 ? -1.0 : ms;
}

}  // namespace bench
