#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

namespace kivra::utils::event_filters {

// Notices the system's theme changes (WM_THEMECHANGED) among the native
// events. Install it with QCoreApplication::installNativeEventFilter; it
// removes itself when destroyed.
class HighContrastEventFilter : public QObject, public QAbstractNativeEventFilter {
  Q_OBJECT

 public:
  explicit HighContrastEventFilter(QObject* parent = nullptr);

  // Consumes a theme-change message, emitting ThemeChanged first; every other
  // event passes unchanged. `result` is never written.
  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 signals:
  void ThemeChanged();
};

}  // namespace kivra::utils::event_filters
