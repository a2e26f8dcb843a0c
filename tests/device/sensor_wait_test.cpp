// The sensor wait with its watchdog, on real threads: against a scripted
// sensor (on the simulated machine's manual clock where the timing is the
// point) and against the simulated machine in real time.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "device/sensor_operation.h"
#include "device/win_fingerprint_component.h"
#include "platform/biometric_service.h"
#include "platform/platform.h"
#include "platform/sim/sim_biometric_service.h"
#include "platform/sim/sim_machine.h"
#include "platform/system.h"
#include "tests/support/test_support.h"

namespace {

using namespace std::chrono_literals;
using ::testing::AnyOf;
using E = FingerprintError;

constexpr auto kHang = 60s;  // far beyond any wait here: reaching it means a hang

// A hang must fail the run, not block it.
E Await(std::future<E>& result) {
  if (result.wait_for(kHang) != std::future_status::ready) {
    std::fputs("LocateSensor did not return\n", stderr);
    std::abort();
  }
  return result.get();
}

std::future<E> StartLocate(FingerprintComponent& component, int limit) {
  return std::async(std::launch::async, [&component, limit] { return component.LocateSensor(limit); });
}

// A sensor whose wait the test controls. Like the framework, a cancellation
// ends only a wait that is already pending.
class ScriptedSensor : public platform::BiometricService {
 public:
  HRESULT_T LocateSensor(WINBIO_SESSION_HANDLE, WINBIO_UNIT_ID* unitId) override {
    std::unique_lock<std::mutex> lock(mutex_);
    log_.push_back("locate");
    if (failure_ < 0) return failure_;
    waiting_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return cancelled_ || touched_; });
    log_.push_back(touched_ ? "touched" : "cancelled");
    const HRESULT_T result = touched_ ? S_OK_T : WINBIO_E_CANCELED;
    waiting_ = cancelled_ = touched_ = false;
    *unitId = 1;
    return result;
  }
  HRESULT_T Cancel(WINBIO_SESSION_HANDLE) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (cancelTicks_.empty()) log_.push_back("cancel");
    cancelTicks_.push_back(platform::system().GetTickCount());
    cancelled_ = waiting_ && !ignoreCancel_;
    changed_.notify_all();
    return S_OK_T;
  }
  HRESULT_T OpenSession(WINBIO_BIOMETRIC_TYPE, WINBIO_POOL_TYPE, WINBIO_SESSION_FLAGS, WINBIO_UNIT_ID*,
                        size_t, const WINBIO_GUID*, WINBIO_SESSION_HANDLE* handle) override {
    *handle = 0x33;
    return S_OK_T;
  }
  HRESULT_T CloseSession(WINBIO_SESSION_HANDLE handle) override {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.push_back("close " + std::to_string(handle));
    return S_OK_T;
  }
  HRESULT_T EnumBiometricUnits(WINBIO_BIOMETRIC_TYPE, WINBIO_UNIT_SCHEMA**, size_t*) override { return -1; }
  HRESULT_T Free(void*) override { return S_OK_T; }
  HRESULT_T DeleteTemplate(WINBIO_SESSION_HANDLE, WINBIO_UNIT_ID, const WINBIO_IDENTITY*,
                           WINBIO_BIOMETRIC_SUBTYPE) override {
    return S_OK_T;
  }
  HRESULT_T GetProperty(WINBIO_SESSION_HANDLE, WINBIO_PROPERTY_TYPE, WINBIO_PROPERTY_ID, WINBIO_UNIT_ID,
                        const WINBIO_IDENTITY*, WINBIO_BIOMETRIC_SUBTYPE, void**, size_t*) override {
    return -1;
  }

  void WaitUntilWaiting() {
    std::unique_lock<std::mutex> lock(mutex_);
    ASSERT_TRUE(changed_.wait_for(lock, kHang, [this] { return waiting_; }));
  }
  void Touch() {
    std::lock_guard<std::mutex> lock(mutex_);
    touched_ = true;
    changed_.notify_all();
  }
  // A copy of a field below, taken under the lock.
  template <class T>
  T Read(const T& field) {
    std::lock_guard<std::mutex> lock(mutex_);
    return field;
  }
  HRESULT_T failure_ = 0;
  bool ignoreCancel_ = false;
  std::vector<std::string> log_;
  std::vector<uint32_t> cancelTicks_;

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool waiting_ = false, cancelled_ = false, touched_ = false;
};

class ScriptedWaitTest : public ::testing::Test {
 protected:
  // A reader with an open session on whichever sensor the test installed.
  std::unique_ptr<WinFingerprintComponent> OpenReader() {
    auto reader = std::make_unique<WinFingerprintComponent>(0, units_, "0");
    EXPECT_EQ(reader->OpenSession(), E::Success);
    return reader;
  }
  platform::sim::ScopedMachine machine_{platform::sim::DefaultMachine()};
  WINBIO_UNIT_SCHEMA units_[1] = {MakeUnit(u"Acme", u"X1")};
  ScriptedSensor sensor_;
  platform::ScopedServices services_{{&sensor_, nullptr, nullptr, nullptr}};
};

// The clock moves only by the watchdog's own sleeps, so the tick count of the
// first cancellation is exact. It starts just before the 32-bit wrap, which
// the elapsed time must cross unharmed.
TEST_F(ScriptedWaitTest, WatchdogCancelsAtTheFirstPollPastTheLimitAndReportsTimeout) {
  constexpr uint32_t kStart = 4294967000u;
  const std::pair<int, uint32_t> rows[] = {{-5, 0}, {-1, 0}, {0, 100}, {1, 1100}, {9, 9100}};
  for (const auto& [limit, firstCancelAfterMs] : rows) {
    ScriptedSensor sensor;
    platform::sim::ScopedMachine clock(
        fp_test::Machine([kStart](platform::sim::SimMachine& m) { m.system.manualClockStartMs = kStart; }));
    platform::ScopedServices services({&sensor, nullptr, nullptr, nullptr});
    auto reader = OpenReader();
    auto result = StartLocate(*reader, limit);
    EXPECT_EQ(Await(result), E::Timeout) << limit;
    const std::vector<uint32_t> ticks = sensor.Read(sensor.cancelTicks_);
    ASSERT_FALSE(ticks.empty()) << limit;
    EXPECT_EQ(ticks.front() - kStart, firstCancelAfterMs) << limit;
    EXPECT_FALSE(reader->IsCancelRequested());
  }
}

// A touch ends the wait with no cancellation, however long it took within
// the limit; a framework failure is
// LocateFailed; CancelAndClose closes only after the wait it cancelled has
// ended, and without a reset every later wait is cancelled, failing or not.
TEST_F(ScriptedWaitTest, TouchFailureAndCancelAndCloseClosingOnlyAfterTheWaitHasEnded) {
  auto reader = OpenReader();
  auto touched = StartLocate(*reader, 60);
  sensor_.WaitUntilWaiting();
  // Later than a grace period, well within the limit: a healthy reader.
  std::this_thread::sleep_for(std::chrono::milliseconds(platform::kCancelGraceMilliseconds + 500));
  sensor_.Touch();
  EXPECT_EQ(Await(touched), E::Success);
  EXPECT_TRUE(sensor_.Read(sensor_.cancelTicks_).empty());
  sensor_.failure_ = static_cast<HRESULT_T>(0x80098020u);
  EXPECT_EQ(reader->LocateSensor(60), E::LocateFailed);

  sensor_.failure_ = 0;
  auto cancelled = StartLocate(*reader, 60);
  sensor_.WaitUntilWaiting();
  reader->CancelAndClose();
  EXPECT_EQ(Await(cancelled), E::Cancelled);
  EXPECT_THAT(sensor_.Read(sensor_.log_), ::testing::ElementsAre("locate", "touched", "locate", "locate",
                                                                 "cancel", "cancelled", "close 51"));
  sensor_.failure_ = static_cast<HRESULT_T>(0x80098020u);
  EXPECT_EQ(reader->LocateSensor(60), E::Cancelled);
  EXPECT_TRUE(reader->IsCancelRequested());
  reader->ResetState();
  EXPECT_FALSE(reader->IsCancelRequested());
}

TEST_F(ScriptedWaitTest, CancellationRequestWinsOverASimultaneousTouch) {
  sensor_.ignoreCancel_ = true;  // the touch, not the watchdog, ends the wait
  auto reader = OpenReader();
  auto result = StartLocate(*reader, 60);
  sensor_.WaitUntilWaiting();
  auto closing = std::async(std::launch::async, [&reader] { reader->CancelAndClose(); });
  while (!reader->IsCancelRequested()) std::this_thread::sleep_for(1ms);
  sensor_.Touch();
  EXPECT_EQ(Await(result), E::Cancelled);
  ASSERT_EQ(closing.wait_for(kHang), std::future_status::ready);
}

// A run cancelled before its worker has started (a loaded machine) is not
// waited for, nor is its reader left stuck; the late worker calls nothing.
TEST(SimulatedWaitTest, ARunCancelledBeforeItsWorkerStartsIsNotWaitedFor) {
  platform::sim::ScopedMachine machine(platform::sim::DefaultMachine());
  auto units = std::make_unique<WINBIO_UNIT_SCHEMA>(MakeUnit(u"Acme", u"X1"));
  WinFingerprintComponent reader(0, units.get(), "0");
  reader.ResetState();
  const std::shared_ptr<SensorOperation> operation = reader.StartOperation(60);
  ASSERT_NE(operation, nullptr);
  EXPECT_TRUE(operation->CancelAndClose(true));
  EXPECT_FALSE(reader.IsStuck());
  const SensorOperation::Outcome outcome = operation->Run();
  EXPECT_FALSE(outcome.opened);
  EXPECT_EQ(outcome.error, E::Cancelled);
  EXPECT_EQ(platform::sim::OpenSimSessionCount(), 0u);
}

// Many runs of the dialog's pattern (reset, take the operation, run it on a
// worker that may be scheduled late, cancel and close from this thread) on
// the simulated machine in real time, with random touch, limit, worker and
// cancel timing: every wait ends and leaves no session open.
TEST(SimulatedWaitTest, RandomConcurrentWaitsAndCancellationsAlwaysEnd) {
  std::mt19937 random(20261206);
  const std::optional<uint32_t> touches[] = {std::nullopt, std::nullopt, 0, 20, 60, 150};
  const int cancelDelaysMs[] = {-1, 0, 5, 40, 90, 130};  // -1: only after the wait
  const int workerDelaysMs[] = {0, 0, 30, 120};          // a worker scheduled late
  auto units = std::make_unique<WINBIO_UNIT_SCHEMA>(MakeUnit(u"Acme", u"X1"));
  WinFingerprintComponent reader(0, units.get(), "0");
  for (int round = 0; round < 60; ++round) {
    const auto touch = touches[random() % std::size(touches)];
    const int cancelDelay = cancelDelaysMs[random() % std::size(cancelDelaysMs)];
    const int workerDelay = workerDelaysMs[random() % std::size(workerDelaysMs)];
    SCOPED_TRACE("round " + std::to_string(round));
    platform::sim::ScopedMachine machine(
        fp_test::Machine([&](platform::sim::SimMachine& m) { m.sensor.touchAfterMs = touch; }));
    reader.ResetState();
    std::shared_ptr<SensorOperation> operation = reader.StartOperation(random() % 3 ? 0 : -1);
    ASSERT_NE(operation, nullptr);
    auto result = std::async(std::launch::async, [operation = std::move(operation), workerDelay] {
      std::this_thread::sleep_for(std::chrono::milliseconds(workerDelay));
      return operation->Run().error;
    });
    if (cancelDelay >= 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(cancelDelay));
      reader.CancelAndClose();
    }
    const E outcome = Await(result);
    if (cancelDelay < 0) reader.CancelAndClose();  // a second one would hide a late worker's session
    // Unless somebody cancelled, a touch or the watchdog ended the wait.
    if (cancelDelay < 0 && !touch)
      EXPECT_EQ(outcome, E::Timeout);
    else
      EXPECT_THAT(outcome, AnyOf(E::Success, E::Timeout, E::Cancelled));
    EXPECT_EQ(platform::sim::OpenSimSessionCount(), 0u);
  }
}

}  // namespace
