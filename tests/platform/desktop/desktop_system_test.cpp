// The desktop's own settings, as the real-reader backends take them: high
// contrast from the settings portal (python3-dbusmock's, on the private
// session bus CTest runs this under), colours from the palette, DPI from the
// screen's scale (CTest's QT_SCALE_FACTOR=2: a 200 % screen).
#include "platform/desktop/desktop_system.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QPalette>
#include <QProcess>

namespace {

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kSettings = QStringLiteral("org.freedesktop.portal.Settings");

bool HighContrast() {
  platform::HighContrastData contrast{};
  contrast.cbSize = sizeof(contrast);
  EXPECT_TRUE(platform::desktop::CreateDesktopSystem()->SystemParametersInfoW(
      platform::kSpiGetHighContrast, sizeof(contrast), &contrast, 0));
  return (contrast.dwFlags & platform::kHcfHighContrastOn) != 0;
}

// High contrast is on only where the desktop's portal says so; a desktop
// without a portal, or whose portal lacks the setting, has it off.
TEST(DesktopSystemTest, HighContrastIsThePortalsContrastSetting) {
  ASSERT_TRUE(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
      << "CTest runs this under dbus-run-session";
  EXPECT_FALSE(HighContrast()) << "no portal";
  QProcess portal;
  portal.start(QStringLiteral(FP_DBUSMOCK_PYTHON),
               {"-m", "dbusmock", "--session", kPortal, kPath, kSettings});
  for (int tries = 0;
       tries < 1500 && !QDBusConnection::sessionBus().interface()->isServiceRegistered(kPortal); ++tries)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const std::pair<const char*, bool> answers[] = {
      // Read wraps the value in a variant, older portals in two.
      {"ret = dbus.UInt32(1, variant_level=2)", true},
      {"ret = dbus.UInt32(1, variant_level=1)", true},
      {"ret = dbus.UInt32(0, variant_level=2)", false},
      {"raise dbus.exceptions.DBusException('no such key', name='org.freedesktop.portal.Error.NotFound')",
       false},
  };
  for (const auto& [code, on] : answers) {
    SCOPED_TRACE(code);
    QDBusMessage answer = QDBusMessage::createMethodCall(
        kPortal, kPath, QStringLiteral("org.freedesktop.DBus.Mock"), "AddMethod");
    answer << kSettings << QStringLiteral("Read") << QStringLiteral("ss") << QStringLiteral("v")
           << QString::fromLatin1(code);
    ASSERT_EQ(QDBusConnection::sessionBus().call(answer).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(HighContrast(), on);
  }
  portal.kill();
  portal.waitForFinished();
}

// Windows' system colours come from the palette, red in the lowest byte; its
// DPI is the screen's logical DPI times its scale.
TEST(DesktopSystemTest, ColoursAreThePalettesAndTheDpiIsScaled) {
  QPalette palette = QGuiApplication::palette();
  palette.setColor(QPalette::Active, QPalette::Text, QColor(0x12, 0x34, 0x56));
  palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x81, 0x82));
  QGuiApplication::setPalette(palette);
  const std::unique_ptr<platform::System> desktop = platform::desktop::CreateDesktopSystem();
  EXPECT_EQ(desktop->GetSysColor(8), 0x563412u);   // COLOR_WINDOWTEXT
  EXPECT_EQ(desktop->GetSysColor(17), 0x828180u);  // COLOR_GRAYTEXT

  platform::LibraryHandle shcore = desktop->LoadLibraryExW(u"shcore.dll", 0);
  uint32_t dpiX = 0;
  uint32_t dpiY = 0;
  EXPECT_EQ(desktop->CallGetDpiForMonitor(desktop->GetProcAddress(shcore, "GetDpiForMonitor"),
                                          desktop->MonitorFromWindow(desktop->GetDesktopWindow(), 1), 0,
                                          &dpiX, &dpiY),
            platform::kSOk);
  EXPECT_EQ(dpiX, 192u) << "a 200 % screen of 96 dpi";
  desktop->FreeLibrary(shcore);
}

}  // namespace
