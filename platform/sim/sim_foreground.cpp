#include "platform/sim/sim_foreground.h"

#include <QGuiApplication>
#include <QThread>
#include <QWindow>

namespace platform::sim {

SimForeground::SimForeground() = default;
SimForeground::~SimForeground() = default;

bool SimForeground::Owned() {
  std::lock_guard<std::mutex> lock(mutex_);
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (!context_ && app && !released_) {
    // The focus window belongs to the user-interface thread: it is followed
    // there, and other threads read only the flag.
    context_ = std::make_unique<QObject>();
    if (QThread::currentThread() == app->thread())
      owned_.store(QGuiApplication::focusWindow() != nullptr);
    else
      context_->moveToThread(app->thread());
    QObject::connect(app, &QGuiApplication::focusWindowChanged, context_.get(),
                     [this](QWindow* window) { owned_.store(window != nullptr); });
  }
  return owned_.load();
}

void SimForeground::Release() {
  std::lock_guard<std::mutex> lock(mutex_);
  released_ = true;
  context_.reset();
  owned_.store(true);
}

}  // namespace platform::sim
