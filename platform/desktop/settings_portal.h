#pragma once

#include <cstdint>
#include <mutex>
#include <optional>

#include <QString>

namespace platform::desktop {

// The desktop's settings portal (xdg-desktop-portal on the session bus),
// where GNOME, KDE and others publish the user's appearance choices. Asked
// only while it runs (never started for the question), each call bounded.
class SettingsPortal {
 public:
  SettingsPortal();
  ~SettingsPortal();
  SettingsPortal(const SettingsPortal&) = delete;
  SettingsPortal& operator=(const SettingsPortal&) = delete;

  // org.freedesktop.appearance's contrast: whether the user asked for high
  // contrast; nothing where there is no portal or it lacks the setting.
  std::optional<bool> HighContrast();

 private:
  std::optional<uint32_t> ReadNumber(const QString& group, const QString& key);

  std::mutex mutex_;
  const QString connectionName_;
  bool connected_ = false;
};

}  // namespace platform::desktop
