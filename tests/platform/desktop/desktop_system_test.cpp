// The desktop's own settings, as the real-reader backends take them: high
// contrast from the settings portal (here python3-dbusmock's on a private
// session bus), colours from the palette, DPI from the screen's scale, the
// suite's folders under XDG_DATA_HOME.
#include "platform/desktop/desktop_system.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QPalette>
#include <QProcess>

#include "platform/system.h"

namespace {

std::unique_ptr<platform::System> Desktop() {
  return platform::desktop::CreateDesktopSystem();
}

bool HighContrast(platform::System& system) {
  platform::HighContrastData contrast{};
  contrast.cbSize = sizeof(contrast);
  EXPECT_TRUE(system.SystemParametersInfoW(platform::kSpiGetHighContrast, sizeof(contrast), &contrast, 0));
  return (contrast.dwFlags & platform::kHcfHighContrastOn) != 0;
}

// A session bus of its own, and on it, once Start is called, a settings
// portal whose Read runs `code` (python, with dbusmock's conventions).
class PrivateSessionBus {
 public:
  PrivateSessionBus() {
    bus_.start(QStringLiteral("dbus-daemon"),
               {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    if (bus_.waitForStarted() && bus_.waitForReadyRead(30000)) address_ = bus_.readLine().trimmed();
    QDBusConnection::connectToBus(QString::fromUtf8(address_), QStringLiteral("test-session"));
  }
  ~PrivateSessionBus() {
    QDBusConnection::disconnectFromBus(QStringLiteral("test-session"));
    for (QProcess* process : {&portal_, &bus_}) {
      process->kill();
      process->waitForFinished();
    }
  }
  const QByteArray& Address() const { return address_; }

  bool StartPortal() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(address_));
    portal_.setProcessEnvironment(environment);
    portal_.start(QStringLiteral(FP_DBUSMOCK_PYTHON),
                  {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--session"), kPortal,
                   kPath, kSettings});
    for (int tries = 0; tries < 1500; ++tries) {
      if (QDBusConnection(QStringLiteral("test-session")).interface()->isServiceRegistered(kPortal))
        return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  bool Answer(const QString& code) {
    QDBusMessage add = QDBusMessage::createMethodCall(
        kPortal, kPath, QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("AddMethod"));
    add << kSettings << QStringLiteral("Read") << QStringLiteral("ss") << QStringLiteral("v") << code;
    return QDBusConnection(QStringLiteral("test-session")).call(add).type() == QDBusMessage::ReplyMessage;
  }

 private:
  const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
  const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
  const QString kSettings = QStringLiteral("org.freedesktop.portal.Settings");
  QProcess bus_;
  QProcess portal_;
  QByteArray address_;
};

// High contrast is on only where the desktop's portal says so; a desktop
// without a portal, or whose portal lacks the setting, has it off.
TEST(DesktopSystemTest, HighContrastIsThePortalsContrastSetting) {
  PrivateSessionBus session;
  ASSERT_FALSE(session.Address().isEmpty());
  qputenv("DBUS_SESSION_BUS_ADDRESS", session.Address());
  EXPECT_FALSE(HighContrast(*Desktop())) << "no portal on the bus";
  ASSERT_TRUE(session.StartPortal());
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
    ASSERT_TRUE(session.Answer(QString::fromLatin1(code)));
    EXPECT_EQ(HighContrast(*Desktop()), on);
  }
  qunsetenv("DBUS_SESSION_BUS_ADDRESS");
}

// Windows' system colours come from the palette, red in the lowest byte.
TEST(DesktopSystemTest, SystemColoursAreThePalettes) {
  QPalette palette = QGuiApplication::palette();
  palette.setColor(QPalette::Active, QPalette::Text, QColor(0x12, 0x34, 0x56));
  palette.setColor(QPalette::Active, QPalette::Highlight, QColor(0xAB, 0xCD, 0xEF));
  palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x81, 0x82));
  QGuiApplication::setPalette(palette);
  const std::unique_ptr<platform::System> desktop = Desktop();
  EXPECT_EQ(desktop->GetSysColor(8), 0x563412u);   // COLOR_WINDOWTEXT
  EXPECT_EQ(desktop->GetSysColor(13), 0xEFCDABu);  // COLOR_HIGHLIGHT
  EXPECT_EQ(desktop->GetSysColor(17), 0x828180u);  // COLOR_GRAYTEXT
}

TEST(DesktopSystemTest, TheSuitesFoldersGoUnderXdgDataHome) {
  qputenv("XDG_DATA_HOME", "/tmp/fp-desktop-data");
  char16_t* path = nullptr;
  const std::unique_ptr<platform::System> desktop = Desktop();
  EXPECT_EQ(desktop->SHGetKnownFolderPath(platform::kFolderIdProgramData, 0, nullptr, &path), platform::kSOk);
  EXPECT_EQ(path ? std::u16string(path) : std::u16string(), u"/tmp/fp-desktop-data");
  desktop->CoTaskMemFree(path);
  qunsetenv("XDG_DATA_HOME");
}

// The DPI a Windows program would see: the screen's logical DPI times its
// scale. The screen is fixed when the application starts, so each screen is
// measured by a child process (this program with --dpi).
TEST(DesktopSystemTest, DpiIsTheScreensLogicalDpiTimesItsScale) {
  const struct {
    const char* scale;
    const char* fontDpi;
    int dpi;
  } screens[] = {{"1", "96", 96}, {"2", "96", 192}, {"1", "144", 144}, {"1.5", "96", 144}};
  for (const auto& screen : screens) {
    SCOPED_TRACE(std::string(screen.scale) + " x " + screen.fontDpi);
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(screen.scale));
    environment.insert(QStringLiteral("QT_FONT_DPI"), QString::fromLatin1(screen.fontDpi));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--dpi")});
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.readAllStandardOutput().trimmed().toInt(), screen.dpi);
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  if (argc == 2 && std::string(argv[1]) == "--dpi") {
    uint32_t dpiX = 0;
    uint32_t dpiY = 0;
    const std::unique_ptr<platform::System> desktop = Desktop();
    platform::LibraryHandle shcore = desktop->LoadLibraryExW(u"shcore.dll", 0);
    desktop->CallGetDpiForMonitor(desktop->GetProcAddress(shcore, "GetDpiForMonitor"),
                                  desktop->MonitorFromWindow(desktop->GetDesktopWindow(), 1), 0, &dpiX,
                                  &dpiY);
    std::printf("%u\n", dpiX);
    return 0;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
