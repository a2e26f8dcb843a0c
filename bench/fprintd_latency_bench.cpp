// The fprintd backend against Debian's fprintd on a private system bus, with
// libfprint's virtual device as the reader (tests/support/fprintd_testbed.h):
//   - a listing through fprintd, first on a fresh service (its connection to
//     the bus included) and again;
//   - a whole `diag-host list` with nothing set (so fprintd, and the host's
//     own question whether fprintd is there) against one on the simulated
//     machine: the goal is at most 25 ms more;
//   - touch to result: from the finger on the sensor (the device's command
//     sent while a verification waits) to LocateSensor's return; goal 50 ms;
//   - cancel to result.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QProcess>

#include "bench/service_latency.h"
#include "platform/biometric_service.h"
#include "platform/fprintd/fprintd_biometric_service.h"
#include "tests/support/fprintd_testbed.h"

namespace {

using bench::Clock;
using bench::ListingMs;
using bench::Median;
using bench::Ms;
using bench::Report;
constexpr int kRounds = 15;

// A whole diag-host list, its process's start included.
double HostList(const char* backend) {
  QProcess host;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove(QStringLiteral("FINGERPRINT_SIM"));
  environment.remove(QStringLiteral("FINGERPRINT_BACKEND"));
  if (backend) environment.insert(QStringLiteral("FINGERPRINT_BACKEND"), QString::fromLatin1(backend));
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  host.setProcessEnvironment(environment);
  const Clock::time_point start = Clock::now();
  host.start(QStringLiteral(FP_DIAG_HOST), {QStringLiteral("list")});
  if (!host.waitForFinished(60000) || host.exitCode() != 0) return -1.0;
  return Ms(Clock::now() - start);
}

HRESULT_T Open(platform::BiometricService& service, WINBIO_SESSION_HANDLE* session) {
  return service.OpenSession(WINBIO_TYPE_FINGERPRINT, WINBIO_POOL_SYSTEM, WINBIO_FLAG_DEFAULT, nullptr, 0,
                             nullptr, session);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  FprintdTestbed testbed;
  if (!testbed.Problem().isEmpty() || !testbed.Enroll()) {
    std::fprintf(stderr, "no fprintd testbed: %s\n", testbed.Problem().toLocal8Bit().constData());
    return 1;
  }

  std::vector<double> firstListing;
  std::vector<double> listing;
  std::vector<double> hostFprintd;
  std::vector<double> hostSim;
  for (int round = 0; round < kRounds; ++round) {
    const std::unique_ptr<platform::BiometricService> fresh =
        platform::fprintd::CreateFprintdBiometricService();
    firstListing.push_back(ListingMs(*fresh));
    listing.push_back(ListingMs(*fresh));
    hostFprintd.push_back(HostList(nullptr));
    hostSim.push_back(HostList("sim"));
    if (firstListing.back() < 0 || listing.back() < 0 || hostFprintd.back() < 0 || hostSim.back() < 0) {
      std::fprintf(stderr, "round %d: a listing failed\n", round);
      return 1;
    }
  }

  const std::unique_ptr<platform::BiometricService> service =
      platform::fprintd::CreateFprintdBiometricService();
  ListingMs(*service);
  std::vector<double> touch;
  std::vector<double> cancel;
  for (int round = 0; round < kRounds; ++round) {
    WINBIO_SESSION_HANDLE session = 0;
    if (Open(*service, &session) < 0) return 1;
    Clock::time_point touched;
    std::thread finger([&] {
      testbed.WaitForFingerNeeded(std::chrono::seconds(30));
      touched = Clock::now();
      testbed.Send(QByteArray("SCAN ") + FprintdTestbed::kPrint);
    });
    WINBIO_UNIT_ID unit = 0;
    const HRESULT_T result = service->LocateSensor(session, &unit);
    const Clock::time_point end = Clock::now();
    finger.join();
    if (result < 0) {
      std::fprintf(stderr, "round %d: the wait ended with 0x%08x\n", round, static_cast<unsigned>(result));
      return 1;
    }
    touch.push_back(Ms(end - touched));

    Clock::time_point cancelled;
    std::thread canceller([&] {
      testbed.WaitForFingerNeeded(std::chrono::seconds(30));
      cancelled = Clock::now();
      service->Cancel(session);
    });
    service->LocateSensor(session, &unit);
    const Clock::time_point ended = Clock::now();
    canceller.join();
    cancel.push_back(Ms(ended - cancelled));
    service->CloseSession(session);
  }

  Report("first listing (connection)", firstListing);
  Report("listing", listing);
  Report("diag-host list, fprintd", hostFprintd);
  Report("diag-host list, sim", hostSim);
  std::printf("%-28s %7.2f ms (goal: at most 25 ms)\n", "diag-host list: fprintd-sim",
              Median(hostFprintd) - Median(hostSim));
  Report("touch to result (goal 50)", touch);
  Report("cancel to result", cancel);
  return 0;
}
