#include "device/timer.h"

#include <new>

#include "platform/platform.h"
#include "platform/system.h"

void WinTimer::Sleep(uint32_t milliseconds) {
  platform::system().Sleep(milliseconds);
}

double WinTimer::ElapsedSeconds(Tick start, Tick end) {
  const Tick difference = end - start;  // unsigned: wraps as the tick count does
  return static_cast<double>(difference) / 1000.0;
}

Tick WinTimer::Now() {
  return platform::system().GetTickCount();
}

Timer* GetTimer() {
  // Built in static storage and never destroyed: a watchdog thread may still
  // poll while the process exits. The initialisation is thread-safe.
  alignas(WinTimer) static unsigned char storage[sizeof(WinTimer)];
  static Timer* const timer = ::new (storage) WinTimer();
  return timer;
}
