// Measures the sensor wait on the simulated machine (on Windows: through
// winbio.dll of the simulated machine, from the system folder):
//  - cancel latency: from CancelAndClose during a wait until LocateSensor
//    returns (and until CancelAndClose itself returns);
//  - timeout accuracy: how long a wait with a limit of 0 s and of 1 s
//    takes to end as Timeout when the sensor is never touched.
// Usage: sensor_wait_bench [cancel rounds] [timeout rounds]
// The machine is the one FINGERPRINT_SIM names, by default one whose sensor
// is never touched.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <random>
#include <thread>
#include <vector>

#include <QByteArray>
#include <QtGlobal>

#include "device/win_fingerprint_component.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

void Report(const char* what, std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  const auto at = [&](double q) { return samples[static_cast<size_t>(q * (samples.size() - 1) + 0.5)]; };
  std::printf("%-44s n=%-3zu min %8.1f  median %8.1f  p90 %8.1f  max %8.1f ms\n", what, samples.size(),
              samples.front(), at(0.5), at(0.9), samples.back());
}

WINBIO_UNIT_SCHEMA Unit() {
  WINBIO_UNIT_SCHEMA unit{};
  const char16_t name[] = u"Bench";
  std::copy(std::begin(name), std::end(name), unit.Manufacturer);
  unit.Capabilities = WINBIO_CAPABILITY_SENSOR;
  unit.UnitId = 1;
  return unit;
}

}  // namespace

int main(int argc, char** argv) {
  const int cancelRounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
  const int timeoutRounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;

  if (qEnvironmentVariableIsEmpty("FINGERPRINT_SIM"))
    qputenv("FINGERPRINT_SIM", QByteArray(FP_NEVER_TOUCHED_MACHINE));
  const WINBIO_UNIT_SCHEMA units[] = {Unit()};
  WinFingerprintComponent component(0, units, "0");

  std::mt19937 random(7);
  std::vector<double> untilLocateReturns;
  std::vector<double> untilCancelReturns;
  for (int round = 0; round < cancelRounds; ++round) {
    component.ResetState();
    if (component.OpenSession() != FingerprintError::Success) return 1;
    std::atomic<Clock::rep> returnedAt{0};
    auto wait = std::async(std::launch::async, [&] {
      const FingerprintError result = component.LocateSensor(30);
      returnedAt = Clock::now().time_since_epoch().count();
      return result;
    });
    // Somewhere inside a poll period, as a user's click would be.
    std::this_thread::sleep_for(std::chrono::milliseconds(150 + random() % 100));
    const Clock::time_point cancelAt = Clock::now();
    component.CancelAndClose();
    const Clock::time_point closedAt = Clock::now();
    if (wait.get() != FingerprintError::Cancelled) {
      std::fprintf(stderr, "round %d: the wait did not end as Cancelled\n", round);
      return 1;
    }
    untilLocateReturns.push_back(Ms(Clock::time_point(Clock::duration(returnedAt.load())) - cancelAt));
    untilCancelReturns.push_back(Ms(closedAt - cancelAt));
  }

  std::vector<double> timeoutZero;
  std::vector<double> timeoutOne;
  for (int round = 0; round < timeoutRounds; ++round) {
    component.ResetState();
    if (component.OpenSession() != FingerprintError::Success) return 1;
    for (const int limit : {0, 1}) {
      const Clock::time_point start = Clock::now();
      if (component.LocateSensor(limit) != FingerprintError::Timeout) {
        std::fprintf(stderr, "limit %d: the wait did not end as Timeout\n", limit);
        return 1;
      }
      (limit == 0 ? timeoutZero : timeoutOne).push_back(Ms(Clock::now() - start));
    }
    component.CancelAndClose();
  }

  std::printf("Sensor wait on the simulated machine (poll period %u ms)\n", kWatchdogPollMilliseconds);
  Report("cancel latency: CancelAndClose -> Locate returns", untilLocateReturns);
  Report("cancel latency: CancelAndClose returns", untilCancelReturns);
  Report("timeout, limit 0 s: time to Timeout", timeoutZero);
  Report("timeout, limit 1 s: time to Timeout", timeoutOne);
  return 0;
}
