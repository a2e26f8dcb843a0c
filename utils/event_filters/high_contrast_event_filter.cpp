#include "utils/event_filters/high_contrast_event_filter.h"

#include <QByteArray>

#include "platform/platform.h"
#include "platform/system.h"

namespace kivra::utils::event_filters {

HighContrastEventFilter::HighContrastEventFilter(QObject* parent) : QObject(parent) {}

bool HighContrastEventFilter::nativeEventFilter(const QByteArray& eventType, void* message,
                                                qintptr* /*result*/) {
  // Only a Windows MSG may be read as one; other platforms' events carry
  // other records behind the pointer.
  if (eventType != QByteArrayLiteral("windows_generic_MSG") || !message) return false;
  if (platform::system().MessageNumber(message) != platform::kWmThemeChanged) return false;
  emit ThemeChanged();
  return true;
}

}  // namespace kivra::utils::event_filters
