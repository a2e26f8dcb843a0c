// Latencies of the libfprint backend, whose libfprint runs in its helper
// process, on libfprint's virtual image device: the first listing (which
// starts the helper), a listing by a running helper, from the finger report
// on the device's socket to the end of the sensor wait, and from a cancel to
// the end of the wait.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "bench/service_latency.h"
#include "platform/biometric_service.h"
#include "platform/libfprint/libfprint_biometric_service.h"
#include "tests/support/virtual_image_finger.h"

namespace {

using bench::Clock;
using bench::Ms;
using bench::Report;
constexpr int kRounds = 15;

}  // namespace

int main() {
  const std::string socket = "/tmp/fp-bench-virtual-image-" + std::to_string(getpid());
  setenv("FP_DRIVERS_WHITELIST", "virtual_image", 1);
  setenv("FP_VIRTUAL_IMAGE", socket.c_str(), 1);
  const auto list = &bench::ListingMs;
  std::vector<double> firstListing;
  std::vector<double> listing;
  for (int round = 0; round < kRounds; ++round) {
    // A new service starts its own helper on its first listing.
    const std::unique_ptr<platform::BiometricService> fresh =
        platform::libfprint::CreateLibfprintBiometricService();
    firstListing.push_back(list(*fresh));
    listing.push_back(list(*fresh));
    if (firstListing.back() < 0 || listing.back() < 0) {
      std::fprintf(stderr, "no virtual image device: is libfprint's virtual_image driver built?\n");
      return 1;
    }
  }
  const std::unique_ptr<platform::BiometricService> backend =
      platform::libfprint::CreateLibfprintBiometricService();
  platform::BiometricService& service = *backend;
  list(service);

  std::vector<double> touch;
  std::vector<double> cancel;
  for (int round = 0; round < kRounds; ++round) {
    WINBIO_SESSION_HANDLE session = 0;
    if (service.OpenSession(WINBIO_TYPE_FINGERPRINT, WINBIO_POOL_SYSTEM, WINBIO_FLAG_DEFAULT, nullptr, 0,
                            nullptr, &session) < 0)
      return 1;
    {
      // The capture starts at once; the finger comes well after it.
      VirtualImageFinger finger(socket, VirtualImageFinger::kFingerStatus, 1, std::chrono::milliseconds(500));
      WINBIO_UNIT_ID unit = 0;
      const HRESULT_T result = service.LocateSensor(session, &unit);
      const Clock::time_point end = Clock::now();
      if (result < 0 || !finger.FirstSent()) {
        std::fprintf(stderr, "round %d: the wait ended with 0x%08x before a finger\n", round,
                     static_cast<unsigned>(result));
        return 1;
      }
      touch.push_back(Ms(end - *finger.FirstSent()));
    }
    // A new session: the finger's last reports may still wait in the old one.
    service.CloseSession(session);
    if (service.OpenSession(WINBIO_TYPE_FINGERPRINT, WINBIO_POOL_SYSTEM, WINBIO_FLAG_DEFAULT, nullptr, 0,
                            nullptr, &session) < 0)
      return 1;
    Clock::time_point cancelled;
    Clock::time_point ended;
    std::thread worker([&] {
      WINBIO_UNIT_ID unit = 0;
      if (service.LocateSensor(session, &unit) != WINBIO_E_CANCELED) std::fprintf(stderr, "not cancelled\n");
      ended = Clock::now();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    cancelled = Clock::now();
    service.Cancel(session);
    worker.join();
    cancel.push_back(Ms(ended - cancelled));
    service.CloseSession(session);
  }
  unlink(socket.c_str());
  Report("first listing (start)", firstListing);
  Report("listing", listing);
  Report("touch to result", touch);
  Report("cancel to result", cancel);
  return 0;
}
