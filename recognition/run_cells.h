#pragma once

#include <atomic>
#include <memory>

#include "contract/test_status.h"

// The state one run shares between the test, the widget wrapper and the
// dialog. Both cells are atomics: the status is written by the dialog's
// user-interface thread (close button, event tick) and by its sensor worker.
// Held by shared ownership, so that a dialog awaiting deletion after the run
// can never write freed memory.
struct RunCells {
  std::atomic<TestStatus> status{TestStatus::Aborted};
  std::atomic<bool> askConfirmation{false};
};

using RunCellsPtr = std::shared_ptr<RunCells>;
