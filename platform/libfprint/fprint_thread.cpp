#include "platform/libfprint/fprint_thread.h"

#include <utility>

namespace platform::libfprint {

FprintThread::FprintThread() : context_(g_main_context_new()), loop_(g_main_loop_new(context_, FALSE)) {
  std::thread thread([this] {
    g_main_context_push_thread_default(context_);
    g_main_loop_run(loop_);
    g_main_context_pop_thread_default(context_);
    finished_.set_value();
  });
  thread.detach();
}

FprintThread::~FprintThread() {
  std::future<void> finished = finished_.get_future();
  Post([this] { g_main_loop_quit(loop_); });
  finished.wait();
  g_main_loop_unref(loop_);
  g_main_context_unref(context_);
}

void FprintThread::Post(std::function<void()> task) {
  // The task crosses threads through this queue and its mutex, not through
  // GLib's own locking, so that the hand-over is visible to thread checkers.
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.push_back(std::move(task));
  }
  g_main_context_invoke(context_, &FprintThread::RunPending, this);
}

gboolean FprintThread::RunPending(gpointer self) {
  auto* thread = static_cast<FprintThread*>(self);
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard<std::mutex> lock(thread->mutex_);
      if (thread->pending_.empty()) break;
      task = std::move(thread->pending_.front());
      thread->pending_.pop_front();
    }
    task();
  }
  return G_SOURCE_REMOVE;
}

}  // namespace platform::libfprint
