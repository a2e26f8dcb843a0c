#pragma once

#include <mutex>

#include "device/sensor_operation.h"

// What the recognition dialog shares with its sensor worker. The worker
// leaves its outcome here under the mutex and tells the dialog, which reports
// it to the host from the user-interface thread: the worker never calls the
// host, so no host call is ever made under this lock. The worker runs as a
// BoundedCall, whose end the dialog waits for with a bound; a dialog that
// stops waiting (the reader is stuck) marks the run orphaned, and from then
// on the worker, whenever its call returns, touches nothing but this.
struct SensorRun {
  std::mutex mutex;
  bool done = false;      // the worker has returned, its outcome is below
  bool orphaned = false;  // the dialog has stopped waiting for it
  SensorOperation::Outcome outcome;
};
