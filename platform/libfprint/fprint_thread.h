#pragma once

#include <chrono>
#include <deque>
#include <functional>
#include <future>
#include <glib.h>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace platform::libfprint {

// The one thread on which libfprint runs, with a GLib main context of its
// own: libfprint completes its work on the main context of the thread that
// started it, and the user-interface thread's context belongs to Qt. Other
// threads hand it tasks; a task never blocks, it starts libfprint's
// asynchronous calls and returns.
class FprintThread {
 public:
  FprintThread();
  ~FprintThread();
  FprintThread(const FprintThread&) = delete;
  FprintThread& operator=(const FprintThread&) = delete;

  // Runs `task` on the thread, soon. Callable from any thread.
  void Post(std::function<void()> task);

  // Runs `task` on the thread and returns its result.
  template <class R>
  R Call(std::function<R()> task) {
    auto result = std::make_shared<std::promise<R>>();
    std::future<R> future = result->get_future();
    Post([result, task = std::move(task)] { result->set_value(task()); });
    return future.get();
  }

  // Runs `start` on the thread, handing it the function that ends the call;
  // waits for that end, at most `limit`. Nothing: the limit passed (the
  // call's end is then ignored when it comes).
  template <class R>
  std::optional<R> Await(std::function<void(std::function<void(R)>)> start,
                         std::chrono::milliseconds limit = std::chrono::hours(24 * 365)) {
    auto result = std::make_shared<std::promise<R>>();
    auto ended = std::make_shared<bool>(false);  // used on the thread only
    std::future<R> future = result->get_future();
    Post([result, ended, start = std::move(start)] {
      start([result, ended](R value) {
        if (*ended) return;
        *ended = true;
        result->set_value(std::move(value));
      });
    });
    if (future.wait_for(limit) != std::future_status::ready) return std::nullopt;
    return future.get();
  }

 private:
  static gboolean RunPending(gpointer self);

  GMainContext* context_;
  GMainLoop* loop_;
  std::mutex mutex_;
  std::deque<std::function<void()>> pending_;
  // The thread runs detached, for the life of its owner, which is usually
  // the process's: the destructor waits for it to finish instead of joining.
  std::promise<void> finished_;
};

}  // namespace platform::libfprint
