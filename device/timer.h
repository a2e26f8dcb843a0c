#pragma once

#include <cstdint>

// Millisecond tick values as the system's tick count gives them; they wrap to
// 0 after 2^32 ms (about 49.7 days).
using Tick = uint32_t;

// The tick count and sleep the reader's watchdog polls with (ReaderCalls).
// Reset, IsZero and Equals have no caller in the module but keep their
// slots: the interface's layout is fixed.
class Timer {
 public:
  virtual ~Timer() = default;

  virtual void Sleep(uint32_t milliseconds) = 0;
  virtual double ElapsedSeconds(Tick start, Tick end) = 0;
  virtual Tick Now() = 0;
  virtual void Reset(Tick& tick) = 0;
  virtual bool IsZero(const Tick& tick) = 0;
  virtual bool Equals(const Tick& a, const Tick& b) = 0;
};

// The system tick count and sleep. Stateless, so any thread may use it.
class WinTimer : public Timer {
 public:
  void Sleep(uint32_t milliseconds) override;
  // Taken modulo 2^32, so one wrap of the tick count is measured correctly.
  double ElapsedSeconds(Tick start, Tick end) override;
  Tick Now() override;
  void Reset(Tick& tick) override { tick = 0; }
  bool IsZero(const Tick& tick) override { return tick == 0; }
  bool Equals(const Tick& a, const Tick& b) override { return a == b; }
};

// The process-wide timer, created on first use and never destroyed.
Timer* GetTimer();
