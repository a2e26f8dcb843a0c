// The sensor wait with its watchdog, on real threads: against a scripted
// sensor (with a fake clock where the timing is the point) and against the
// simulated machine in real time.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <future>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "device/win_fingerprint_component.h"
#include "platform/sim/sim_biometric_service.h"
#include "platform/sim/sim_machine.h"
#include "tests/support/test_support.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Far beyond any wait in these tests; reaching it means a hang.
constexpr auto kHang = 60s;

size_t ThreadCount() {
  size_t count = 0;
  if (DIR* tasks = opendir("/proc/self/task")) {
    while (const dirent* entry = readdir(tasks)) count += entry->d_name[0] != '.';
    closedir(tasks);
  }
  return count;
}

// The thread count once it has settled at `expected`: a finished thread
// leaves the task list a moment after its result is ready. Reaching the
// bound means a thread was left behind.
size_t SettledThreadCount(size_t expected) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (ThreadCount() != expected && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  return ThreadCount();
}

// Waits for a result, and ends the whole test program if it never comes:
// a hang must fail, not block the run.
FingerprintError Await(std::future<FingerprintError>& result) {
  if (result.wait_for(kHang) != std::future_status::ready) {
    std::fprintf(stderr, "LocateSensor did not return within %lld s\n",
                 static_cast<long long>(kHang.count()));
    std::fflush(stderr);
    std::abort();
  }
  return result.get();
}

std::future<FingerprintError> StartLocate(FingerprintComponent& component, int limit) {
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
    const HRESULT_T result = touched_ ? S_OK_T : WINBIO_E_CANCELED;
    waiting_ = cancelled_ = touched_ = false;
    *unitId = 1;
    log_.push_back(result == S_OK_T ? "touched" : "cancelled");
    return result;
  }
  HRESULT_T Cancel(WINBIO_SESSION_HANDLE) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (cancelTicks_.empty()) log_.push_back("cancel");
    cancelTicks_.push_back(platform::system().GetTickCount());
    if (waiting_ && !ignoreCancel_) cancelled_ = true;
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
  void FailWith(HRESULT_T failure) { failure_ = failure; }
  void IgnoreCancel() { ignoreCancel_ = true; }
  std::vector<std::string> Log() {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
  }
  std::vector<uint32_t> CancelTicks() {
    std::lock_guard<std::mutex> lock(mutex_);
    return cancelTicks_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool waiting_ = false;
  bool cancelled_ = false;
  bool touched_ = false;
  bool ignoreCancel_ = false;
  HRESULT_T failure_ = 0;
  std::vector<std::string> log_;
  std::vector<uint32_t> cancelTicks_;
};

class ScriptedWaitTest : public ::testing::Test {
 protected:
  ScriptedWaitTest() : machine_(platform::sim::DefaultMachine()) { units_[0] = MakeUnit(u"Acme", u"X1"); }

  platform::sim::ScopedMachine machine_;
  WINBIO_UNIT_SCHEMA units_[1];
};

struct LimitCase {
  int limit;
  uint32_t firstCancelAfterMs;
};

class WatchdogLimitTest : public ScriptedWaitTest, public ::testing::WithParamInterface<LimitCase> {};

// The clock moves only by the watchdog's own sleeps, so the tick count of the
// first cancellation is exact. It starts just before the 32-bit wrap.
TEST_P(WatchdogLimitTest, CancelsAtTheFirstPollPastTheLimitAndReportsTimeout) {
  constexpr uint32_t kStart = 4294967000u;
  ScriptedSensor sensor;
  fp_test::ScopedMockSystem clock(&sensor);
  clock->UseFakeClock(kStart);
  WinFingerprintComponent component(0, units_, "0");
  ASSERT_EQ(component.OpenSession(), FingerprintError::Success);

  auto result = StartLocate(component, GetParam().limit);
  EXPECT_EQ(Await(result), FingerprintError::Timeout);
  const std::vector<uint32_t> ticks = sensor.CancelTicks();
  ASSERT_FALSE(ticks.empty());
  EXPECT_EQ(static_cast<uint32_t>(ticks.front() - kStart), GetParam().firstCancelAfterMs);
  EXPECT_FALSE(component.IsCancelRequested());
}

INSTANTIATE_TEST_SUITE_P(Limits, WatchdogLimitTest,
                         ::testing::Values(LimitCase{-5, 0}, LimitCase{-1, 0}, LimitCase{0, 100},
                                           LimitCase{1, 1100}, LimitCase{9, 9100}));

TEST_F(ScriptedWaitTest, CancelAndCloseClosesOnlyAfterTheWaitHasEnded) {
  ScriptedSensor sensor;
  platform::ScopedServices services({&sensor, nullptr, nullptr, nullptr});
  WinFingerprintComponent component(0, units_, "0");
  ASSERT_EQ(component.OpenSession(), FingerprintError::Success);
  auto result = StartLocate(component, 60);
  sensor.WaitUntilWaiting();
  component.CancelAndClose();
  EXPECT_EQ(Await(result), FingerprintError::Cancelled);
  EXPECT_THAT(sensor.Log(), ::testing::ElementsAre("locate", "cancel", "cancelled", "close 51"));
  EXPECT_TRUE(component.IsCancelRequested());
  component.ResetState();
  EXPECT_FALSE(component.IsCancelRequested());
}

TEST_F(ScriptedWaitTest, CancellationRequestWinsOverASimultaneousTouch) {
  ScriptedSensor sensor;
  sensor.IgnoreCancel();  // the touch, not the watchdog, ends the wait
  platform::ScopedServices services({&sensor, nullptr, nullptr, nullptr});
  WinFingerprintComponent component(0, units_, "0");
  ASSERT_EQ(component.OpenSession(), FingerprintError::Success);
  auto result = StartLocate(component, 60);
  sensor.WaitUntilWaiting();
  auto closing = std::async(std::launch::async, [&component] { component.CancelAndClose(); });
  while (!component.IsCancelRequested()) std::this_thread::sleep_for(1ms);
  sensor.Touch();
  EXPECT_EQ(Await(result), FingerprintError::Cancelled);
  ASSERT_EQ(closing.wait_for(kHang), std::future_status::ready);
}

TEST_F(ScriptedWaitTest, TouchIsSuccessAndAFrameworkFailureLocateFailedUnlessCancelled) {
  ScriptedSensor sensor;
  platform::ScopedServices services({&sensor, nullptr, nullptr, nullptr});
  WinFingerprintComponent component(0, units_, "0");
  ASSERT_EQ(component.OpenSession(), FingerprintError::Success);
  auto result = StartLocate(component, 60);
  sensor.WaitUntilWaiting();
  sensor.Touch();
  EXPECT_EQ(Await(result), FingerprintError::Success);
  EXPECT_TRUE(sensor.CancelTicks().empty());

  sensor.FailWith(static_cast<HRESULT_T>(0x80098020u));
  EXPECT_EQ(component.LocateSensor(60), FingerprintError::LocateFailed);
  component.CancelAndClose();
  EXPECT_EQ(component.LocateSensor(60), FingerprintError::Cancelled);
}

// The simulated machine, in real time.
class SimulatedWaitTest : public ::testing::Test {
 protected:
  static platform::sim::SimMachine Sensor(std::optional<uint32_t> touchAfterMs, int32_t locateHresult = 0) {
    platform::sim::SimMachine machine = platform::sim::DefaultMachine();
    machine.sensor.touchAfterMs = touchAfterMs;
    machine.sensor.locateHresult = locateHresult;
    return machine;
  }
  static double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
  }
  void SetUp() override {
    // Runtimes such as ThreadSanitizer start a helper thread with the first
    // thread of the process; let that happen before taking the baseline.
    std::thread([] {}).join();
    threads_ = ThreadCount();
  }
  void TearDown() override {
    EXPECT_EQ(platform::sim::OpenSimSessionCount(), 0u);
    EXPECT_EQ(SettledThreadCount(threads_), threads_);  // no watchdog left behind
  }
  size_t threads_ = 0;
};

TEST_F(SimulatedWaitTest, WaitAfterCancelAndCloseWithoutResetIsCancelled) {
  platform::sim::ScopedMachine machine(Sensor(std::nullopt));
  auto units = std::make_unique<WINBIO_UNIT_SCHEMA>(MakeUnit(u"Acme", u"X1"));
  WinFingerprintComponent component(0, units.get(), "0");
  component.CancelAndClose();
  // A fresh session that would never be touched: the first poll ends it.
  ASSERT_EQ(component.OpenSession(), FingerprintError::Success);
  EXPECT_EQ(component.LocateSensor(30), FingerprintError::Cancelled);
  component.CancelAndClose();
  // After a reset the same reader waits normally again.
  component.ResetState();
  platform::sim::ScopedMachine touched(Sensor(10));
  ASSERT_EQ(component.OpenSession(), FingerprintError::Success);
  EXPECT_EQ(component.LocateSensor(30), FingerprintError::Success);
  component.CancelAndClose();
}

// Many runs of the dialog's pattern (reset, open, wait on a worker, cancel
// and close from this thread) with random touch, limit and cancel timing.
TEST_F(SimulatedWaitTest, RandomConcurrentWaitsAndCancellationsAlwaysEnd) {
  std::mt19937 random(20261206);
  const std::optional<uint32_t> touches[] = {std::nullopt, std::nullopt, 0, 20, 60, 150};
  const int limits[] = {-1, 0, 0};
  const int cancelDelaysMs[] = {-1, 0, 5, 40, 90, 130};  // -1: only after the wait
  auto units = std::make_unique<WINBIO_UNIT_SCHEMA>(MakeUnit(u"Acme", u"X1"));
  WinFingerprintComponent component(0, units.get(), "0");
  for (int round = 0; round < 60; ++round) {
    const auto touch = touches[random() % std::size(touches)];
    const int limit = limits[random() % std::size(limits)];
    const int cancelDelay = cancelDelaysMs[random() % std::size(cancelDelaysMs)];
    const bool failing = random() % 8 == 0;
    SCOPED_TRACE("round " + std::to_string(round));
    platform::sim::ScopedMachine machine(Sensor(touch, failing ? static_cast<int32_t>(0x80004005u) : 0));

    component.ResetState();
    ASSERT_EQ(component.OpenSession(), FingerprintError::Success);
    auto result = StartLocate(component, limit);
    if (cancelDelay >= 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(cancelDelay));
      component.CancelAndClose();
    }
    const FingerprintError outcome = Await(result);
    if (cancelDelay < 0) component.CancelAndClose();

    if (failing) {
      EXPECT_THAT(outcome, ::testing::AnyOf(FingerprintError::LocateFailed, FingerprintError::Cancelled));
    } else if (cancelDelay < 0) {
      // Nobody asked to cancel: a touch or the watchdog ended the wait (which
      // of them, when both come at once, is up to the scheduler).
      if (!touch) {
        EXPECT_EQ(outcome, FingerprintError::Timeout);
      } else {
        EXPECT_THAT(outcome, ::testing::AnyOf(FingerprintError::Success, FingerprintError::Timeout));
      }
    } else {
      EXPECT_THAT(outcome, ::testing::AnyOf(FingerprintError::Success, FingerprintError::Timeout,
                                            FingerprintError::Cancelled));
    }
    EXPECT_EQ(platform::sim::OpenSimSessionCount(), 0u);
    EXPECT_EQ(SettledThreadCount(threads_), threads_);
  }
}

}  // namespace
