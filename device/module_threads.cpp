#include "device/module_threads.h"

#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/platform.h"
#include "platform/system.h"

namespace {

struct Entry {
  std::thread thread;
  bool ended = false;  // guarded by Registry::mutex
};

struct Registry {
  std::mutex mutex;
  std::condition_variable ended;
  std::list<Entry> entries;

  // A process that exits without releasing the module must not terminate on
  // a thread still joinable: such threads are let go.
  ~Registry() {
    for (Entry& entry : entries)
      if (entry.thread.joinable()) entry.thread.detach();
  }
};

Registry& Threads() {
  static Registry registry;
  return registry;
}

// Joins the threads that have ended; they have left the body and only return.
void JoinEnded(std::unique_lock<std::mutex>& lock) {
  Registry& registry = Threads();
  std::list<Entry> ended;
  for (auto it = registry.entries.begin(); it != registry.entries.end();) {
    auto next = std::next(it);
    if (it->ended) ended.splice(ended.end(), registry.entries, it);
    it = next;
  }
  lock.unlock();
  for (Entry& entry : ended) entry.thread.join();
  lock.lock();
}

}  // namespace

bool ModuleThreads::Start(std::function<void()> body) {
  Registry& registry = Threads();
  std::unique_lock<std::mutex> lock(registry.mutex);
  JoinEnded(lock);
  Entry& entry = registry.entries.emplace_back();
  try {
    // The entry stays in the list (it is only spliced away once ended), so
    // the thread may refer to it.
    entry.thread = std::thread([body = std::move(body), &entry, &registry] {
      body();
      std::lock_guard<std::mutex> ended(registry.mutex);
      entry.ended = true;
      registry.ended.notify_all();
    });
  } catch (const std::system_error&) {
    registry.entries.pop_back();
    return false;
  }
  return true;
}

bool ModuleThreads::JoinAll(std::chrono::steady_clock::time_point deadline) {
  Registry& registry = Threads();
  std::unique_lock<std::mutex> lock(registry.mutex);
  registry.ended.wait_until(lock, deadline, [&registry] {
    for (const Entry& entry : registry.entries)
      if (!entry.ended) return false;
    return true;
  });
  JoinEnded(lock);
  if (registry.entries.empty()) return true;
  // Still inside a call that never returned: it must find its code when it does.
  Pin();
  return false;
}

void ModuleThreads::Pin() {
  static std::once_flag pinned;
  static const char anchor = 0;
  std::call_once(pinned, [] { platform::system().PinModule(&anchor); });
}
