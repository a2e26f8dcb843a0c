#pragma once

#include <chrono>
#include <functional>

// The threads the module starts and does not wait for at once (a sensor
// worker, a bounded call). Each is joined later, so that no thread still runs
// the module's code when the host unloads it; one that is still running when
// the module is released is inside a call that never returned, and then the
// module is pinned in memory instead.
class ModuleThreads {
 public:
  // Runs `body` on a thread of its own. False when no thread could be had;
  // `body` has then not run.
  static bool Start(std::function<void()> body);
  // Joins every thread started, waiting for those still running at most
  // until `deadline`. Pins the module when one has not ended by then, and
  // returns false.
  static bool JoinAll(std::chrono::steady_clock::time_point deadline);
  // Keeps the module in memory for good: a thread left in a call that never
  // returned runs the module's code when the call finally does.
  static void Pin();
};
