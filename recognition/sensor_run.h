#pragma once

#include <condition_variable>
#include <mutex>

// What the recognition dialog shares with its sensor worker. The worker
// reports its outcome under the mutex, and only while the dialog still waits
// for it; a dialog that gives up on a reader that never answers marks the run
// abandoned, and from then on the worker, whenever its call returns, touches
// nothing but this.
struct SensorRun {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;       // the worker has returned, its outcome reported
  bool abandoned = false;  // the dialog has stopped waiting for it
};
