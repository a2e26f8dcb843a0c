#include "platform/desktop/desktop_system.h"

#include <cmath>
#include <pwd.h>
#include <unistd.h>
#include <vector>

#include <QGuiApplication>
#include <QLocale>
#include <QPalette>
#include <QScreen>
#include <QStandardPaths>

#include "platform/posix/posix_system.h"
#if defined(FP_HAVE_SETTINGS_PORTAL)
#include "platform/desktop/settings_portal.h"
#endif

namespace platform::desktop {
namespace {

struct PaletteColor {
  QPalette::ColorGroup group;
  QPalette::ColorRole role;
};

// The palette's colour that plays each Windows system colour's part
// (GetSysColor's indices 0 to 30; 25 is unused).
PaletteColor PaletteColorFor(int32_t index) {
  constexpr auto A = QPalette::Active;
  switch (index) {
    case 1:   // COLOR_BACKGROUND (the desktop)
    case 4:   // COLOR_MENU
    case 30:  // COLOR_MENUBAR
      return {A, QPalette::Window};
    case 5:  // COLOR_WINDOW
      return {A, QPalette::Base};
    case 6:  // COLOR_WINDOWFRAME
    case 7:  // COLOR_MENUTEXT
      return {A, QPalette::WindowText};
    case 8:  // COLOR_WINDOWTEXT
      return {A, QPalette::Text};
    case 2:   // COLOR_ACTIVECAPTION
    case 13:  // COLOR_HIGHLIGHT
    case 27:  // COLOR_GRADIENTACTIVECAPTION
    case 29:  // COLOR_MENUHILIGHT
      return {A, QPalette::Highlight};
    case 9:   // COLOR_CAPTIONTEXT
    case 14:  // COLOR_HIGHLIGHTTEXT
      return {A, QPalette::HighlightedText};
    case 3:   // COLOR_INACTIVECAPTION
    case 28:  // COLOR_GRADIENTINACTIVECAPTION
      return {QPalette::Inactive, QPalette::Highlight};
    case 19:  // COLOR_INACTIVECAPTIONTEXT
      return {QPalette::Inactive, QPalette::HighlightedText};
    case 17:  // COLOR_GRAYTEXT
      return {QPalette::Disabled, QPalette::Text};
    case 18:  // COLOR_BTNTEXT
      return {A, QPalette::ButtonText};
    case 12:  // COLOR_APPWORKSPACE
    case 16:  // COLOR_BTNSHADOW
      return {A, QPalette::Dark};
    case 20:  // COLOR_BTNHIGHLIGHT
      return {A, QPalette::Light};
    case 21:  // COLOR_3DDKSHADOW
      return {A, QPalette::Shadow};
    case 22:  // COLOR_3DLIGHT
      return {A, QPalette::Midlight};
    case 23:  // COLOR_INFOTEXT
      return {A, QPalette::ToolTipText};
    case 24:  // COLOR_INFOBK
      return {A, QPalette::ToolTipBase};
    case 26:  // COLOR_HOTLIGHT
      return {A, QPalette::Link};
    default:  // COLOR_SCROLLBAR, the borders, COLOR_BTNFACE
      return {A, QPalette::Button};
  }
}

std::string UserName() {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
    return found->pw_name;
  return qEnvironmentVariable("USER").toStdString();
}

class DesktopSystem : public posix::PosixSystem {
 public:
  // Qt's system locale reads LANGUAGE, LC_ALL, LC_MESSAGES and LANG.
  bool GetUserPreferredUILanguages(uint32_t flags, uint32_t* numLanguages, char16_t* buffer,
                                   uint32_t* bufferSize) override {
    std::vector<std::string> languages;
    for (const QString& language : QLocale::system().uiLanguages())
      languages.push_back(language.toStdString());
    return AnswerLanguages(languages, flags, numLanguages, buffer, bufferSize);
  }

  bool GetUserNameW(char16_t* buffer, uint32_t* size) override {
    return AnswerUserName(Utf16(UserName()), buffer, size);
  }

  // The suite's folders go where the XDG base directories put a user's
  // application data ($XDG_DATA_HOME, ~/.local/share).
  int32_t SHGetKnownFolderPath(const Guid& folderId, uint32_t /*flags*/, void* /*token*/,
                               char16_t** path) override {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return AnswerKnownFolder(data.toStdU16String(), folderId, path);
  }

  // 0x00BBGGRR, as GetSysColor answers.
  uint32_t GetSysColor(int32_t index) override {
    if (!qGuiApp) return 0;
    const PaletteColor color = PaletteColorFor(index);
    const QColor rgb = QGuiApplication::palette().color(color.group, color.role);
    return static_cast<uint32_t>(rgb.red()) | static_cast<uint32_t>(rgb.green()) << 8 |
           static_cast<uint32_t>(rgb.blue()) << 16;
  }

  // The desktop's own setting where its settings portal has one; off elsewhere.
  bool SystemParametersInfoW(uint32_t action, uint32_t /*param*/, void* data, uint32_t /*winIni*/) override {
    if (action != kSpiGetHighContrast) return false;
#if defined(FP_HAVE_SETTINGS_PORTAL)
    return AnswerHighContrast(portal_.HighContrast().value_or(false), action, data);
#else
    return AnswerHighContrast(false, action, data);
#endif
  }

  // Windows' effective DPI: the screen's logical DPI times its scale.
  int32_t MonitorDpi() override {
    const QScreen* screen = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    if (!screen) return 0;
    return static_cast<int32_t>(std::lround(screen->logicalDotsPerInchX() * screen->devicePixelRatio()));
  }

#if defined(FP_HAVE_SETTINGS_PORTAL)
 private:
  SettingsPortal portal_;
#endif
};

}  // namespace

std::unique_ptr<System> CreateDesktopSystem() {
  return std::make_unique<DesktopSystem>();
}

}  // namespace platform::desktop
