#include "device/timer.h"

#include <gtest/gtest.h>

namespace {

// Seconds between two tick counts, across one wrap of the 32-bit count; an
// end before the start reads as nearly 2^32 ms, never as a negative interval.
// (The process timer's clock and sleeps are the watchdog tests' business.)
TEST(WinTimerTest, ElapsedSecondsIsTheUnsignedDifference) {
  WinTimer timer;
  const struct {
    Tick start, end;
    double seconds;
  } rows[] = {{1000, 1000, 0.0}, {1000, 10500, 9.5}, {4294967000u, 704, 1.0}, {1001, 1000, 4294967.295}};
  for (const auto& row : rows) EXPECT_EQ(timer.ElapsedSeconds(row.start, row.end), row.seconds) << row.start;
}

}  // namespace
