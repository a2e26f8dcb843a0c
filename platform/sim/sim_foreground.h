#pragma once

#include <atomic>
#include <memory>
#include <mutex>

class QObject;

namespace platform::sim {

// Whether this process owns the foreground window, as the simulated machine
// sees it: one of the application's windows has the focus. True in a process
// without a graphical application.
class SimForeground {
 public:
  SimForeground();
  ~SimForeground();

  // Safe to call from any thread; starts following the focus when needed.
  bool Owned();
  // Stops following the focus for good, so that nothing of the module stays
  // connected to the application once the module is released, not even
  // through a call of it that returns later. From then on the process is
  // taken to own the foreground.
  void Release();

 private:
  std::mutex mutex_;
  std::unique_ptr<QObject> context_;  // the focus connection goes with it
  bool released_ = false;
  std::atomic<bool> owned_{true};
};

}  // namespace platform::sim
