#include "device/detached_call.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "device/module_threads.h"

bool CallWithin(uint32_t milliseconds, std::function<void()> call) {
  struct Completion {
    std::mutex mutex;
    std::condition_variable returned;
    bool done = false;
  };
  auto completion = std::make_shared<Completion>();
  const bool started = ModuleThreads::Start([completion, call] {
    call();
    std::lock_guard<std::mutex> lock(completion->mutex);
    completion->done = true;
    completion->returned.notify_all();
  });
  if (!started) {
    // No thread to be had: the call is made here, unbounded, rather than not at all.
    call();
    return true;
  }
  std::unique_lock<std::mutex> lock(completion->mutex);
  return completion->returned.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                       [&] { return completion->done; });
}
