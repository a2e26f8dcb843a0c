#include "platform/sim/sim_foreground.h"

#include <atomic>
#include <memory>

#include <QGuiApplication>
#include <QWindow>

namespace platform::sim {

std::function<bool()> SimForegroundProbe() {
  // The focus window belongs to the user-interface thread: it is followed
  // there, and the sensor's thread reads only the flag.
  auto owned = std::make_shared<std::atomic<bool>>(true);
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (app) {
    QMetaObject::invokeMethod(app, [app, owned] {
      owned->store(QGuiApplication::focusWindow() != nullptr);
      QObject::connect(app, &QGuiApplication::focusWindowChanged, app,
                       [owned](QWindow* window) { owned->store(window != nullptr); });
    });
  }
  return [owned] { return owned->load(); };
}

}  // namespace platform::sim
