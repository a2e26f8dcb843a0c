#include "device/timer.h"

#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <vector>

#include "tests/support/platform_fakes.h"

namespace {

TEST(WinTimerTest, ElapsedSecondsIsTheUnsignedDifferenceInSeconds) {
  WinTimer timer;
  EXPECT_EQ(timer.ElapsedSeconds(1000, 1000), 0.0);
  EXPECT_EQ(timer.ElapsedSeconds(1000, 10500), 9.5);
  // One wrap of the tick count: 296 ms before it and 704 after it.
  EXPECT_EQ(timer.ElapsedSeconds(4294967000u, 704), 1.0);
  // An end before the start reads as an interval of nearly 2^32 ms, never negative.
  EXPECT_EQ(timer.ElapsedSeconds(1001, 1000), 4294967.295);
}

TEST(WinTimerTest, NowAndSleepUseTheSystemTickCount) {
  FakeSystem system(4294967000u);
  platform::ScopedServices services({nullptr, nullptr, &system, nullptr});
  WinTimer timer;
  const Tick start = timer.Now();
  EXPECT_EQ(start, 4294967000u);
  timer.Sleep(1000);
  EXPECT_EQ(system.slept(), 1000u);
  EXPECT_EQ(timer.Now(), 704u);
  EXPECT_EQ(timer.ElapsedSeconds(start, timer.Now()), 1.0);
}

TEST(WinTimerTest, ResetIsZeroAndEquals) {
  FakeSystem system(123456);
  platform::ScopedServices services({nullptr, nullptr, &system, nullptr});
  WinTimer timer;
  Tick tick = timer.Now();
  EXPECT_FALSE(timer.IsZero(tick));
  timer.Reset(tick);
  EXPECT_TRUE(timer.IsZero(tick));
  const Tick a = timer.Now();
  const Tick b = a;
  EXPECT_TRUE(timer.Equals(a, b));
  system.Advance(1);
  const Tick c = timer.Now();
  EXPECT_FALSE(timer.Equals(a, c));
}

TEST(GetTimerTest, OneTimerForTheWholeProcessEvenWhenThreadsRace) {
  std::vector<Timer*> seen(8, nullptr);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < seen.size(); ++i) threads.emplace_back([&seen, i] { seen[i] = GetTimer(); });
  for (std::thread& thread : threads) thread.join();
  const std::set<Timer*> distinct(seen.begin(), seen.end());
  ASSERT_EQ(distinct.size(), 1u);
  EXPECT_NE(*distinct.begin(), nullptr);
  EXPECT_EQ(GetTimer(), *distinct.begin());
  EXPECT_NE(dynamic_cast<WinTimer*>(GetTimer()), nullptr);
}

}  // namespace
