#include "threads/module_threads.h"

#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/platform.h"

namespace {

struct Registry;
const std::shared_ptr<Registry>& Owner();

struct Entry {
  std::thread thread;
  bool ended = false;  // guarded by Registry::mutex
};

// Owned by the module and by every thread it started, so that a thread still
// running while the process exits (one stuck in a reader's call) never finds
// it destroyed.
struct Registry {
  std::mutex mutex;
  std::condition_variable ended;
  std::list<Entry> entries;

  // The last owner lets go: threads that have ended are joined, the others
  // (and the one this runs on) let go, as a process that exits without
  // releasing the module must not terminate on a thread still joinable.
  ~Registry() {
    for (Entry& entry : entries) {
      if (!entry.thread.joinable()) continue;
      if (entry.ended && entry.thread.get_id() != std::this_thread::get_id())
        entry.thread.join();
      else
        entry.thread.detach();
    }
  }
};

const std::shared_ptr<Registry>& Owner() {
  static const std::shared_ptr<Registry> registry = std::make_shared<Registry>();
  return registry;
}

Registry& Threads() {
  return *Owner();
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
    entry.thread = std::thread([body = std::move(body), &entry, owner = Owner()] {
      body();
      std::lock_guard<std::mutex> ended(owner->mutex);
      entry.ended = true;
      owner->ended.notify_all();
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
  platform::PinModule();
}
