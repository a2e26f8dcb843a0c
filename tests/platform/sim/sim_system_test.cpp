#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <QDir>

#include "platform/platform.h"
#include "platform/sim/sim_machine.h"
#include "platform/system.h"
#include "tests/support/test_support.h"

// The simulated machine behaves like the Windows calls it stands in for, so
// code that passes here makes the same calls right on Windows.
namespace {

using platform::sim::ScopedMachine;
using platform::sim::SimMachine;

platform::System& System() {
  return platform::system();
}

TEST(SimSystemTest, PreferredLanguagesFollowTheWindowsBufferProtocol) {
  ScopedMachine machine(fp_test::Machine([](SimMachine& m) { m.system.uiLanguages = {"fr-FR", "en-US"}; }));
  uint32_t count = 0;
  uint32_t size = 0;
  ASSERT_TRUE(System().GetUserPreferredUILanguages(platform::kMuiLanguageName, &count, nullptr, &size));
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(size, 13u) << "fr-FR, en-US, each with its NUL, and the final NUL";

  std::vector<char16_t> small(5);
  size = 5;
  EXPECT_FALSE(System().GetUserPreferredUILanguages(platform::kMuiLanguageName, &count, small.data(), &size));

  std::vector<char16_t> buffer(64, u'#');
  size = 64;
  ASSERT_TRUE(System().GetUserPreferredUILanguages(platform::kMuiLanguageName, &count, buffer.data(), &size));
  EXPECT_EQ(std::u16string(buffer.data(), 13), std::u16string(u"fr-FR\0en-US\0\0", 13));
  EXPECT_FALSE(System().GetUserPreferredUILanguages(0, &count, buffer.data(), &size)) << "names only";
}

TEST(SimSystemTest, UserNameAndCurrentDirectory) {
  ScopedMachine machine(fp_test::Machine([](SimMachine& m) { m.system.userName = "dora"; }));
  std::vector<char16_t> buffer(3);
  uint32_t size = 3;
  EXPECT_FALSE(System().GetUserNameW(buffer.data(), &size));
  EXPECT_EQ(size, 5u) << "the size needed, NUL included";
  buffer.resize(size);
  ASSERT_TRUE(System().GetUserNameW(buffer.data(), &size));
  EXPECT_EQ(std::u16string(buffer.data()), u"dora");

  const std::u16string cwd = QDir::currentPath().toStdU16String();
  std::vector<char16_t> small(2);
  EXPECT_EQ(System().GetCurrentDirectoryW(2, small.data()), cwd.size() + 1);
  std::vector<char16_t> large(cwd.size() + 1);
  EXPECT_EQ(System().GetCurrentDirectoryW(static_cast<uint32_t>(large.size()), large.data()), cwd.size());
  EXPECT_EQ(std::u16string(large.data()), cwd);
}

TEST(SimSystemTest, PseudoShcoreAnswersFromTheMachine) {
  platform::LibraryHandle shcore =
      System().LoadLibraryExW(u"SHCORE.DLL", platform::kLoadLibrarySearchSystem32);
  ASSERT_NE(shcore, nullptr) << "library names are case-insensitive";
  const platform::ProcAddress getDpi = System().GetProcAddress(shcore, "GetDpiForMonitor");
  const platform::ProcAddress setAwareness = System().GetProcAddress(shcore, "SetProcessDpiAwareness");
  ASSERT_NE(getDpi, nullptr);
  ASSERT_NE(setAwareness, nullptr);
  EXPECT_EQ(System().GetProcAddress(shcore, "GetScaleFactorForMonitor"), nullptr);

  const platform::MonitorHandle monitor =
      System().MonitorFromWindow(System().GetDesktopWindow(), platform::kMonitorDefaultToPrimary);
  ASSERT_NE(monitor, nullptr);
  EXPECT_EQ(System().MonitorFromWindow(nullptr, platform::kMonitorDefaultToNull), nullptr);

  uint32_t x = 0;
  uint32_t y = 0;
  {
    ScopedMachine machine(fp_test::Machine([](SimMachine& m) { m.system.dpi = 144; }));
    ASSERT_EQ(System().CallGetDpiForMonitor(getDpi, monitor, platform::kMdtEffectiveDpi, &x, &y),
              platform::kSOk);
    EXPECT_EQ(x, 144u);
    EXPECT_EQ(y, 144u);
    EXPECT_EQ(System().CallGetDpiForMonitor(getDpi, nullptr, platform::kMdtEffectiveDpi, &x, &y),
              platform::kEInvalidArg);
  }
  {
    ScopedMachine machine(fp_test::Machine([](SimMachine& m) { m.system.dpi = 0; }));
    EXPECT_EQ(System().CallGetDpiForMonitor(getDpi, monitor, platform::kMdtEffectiveDpi, &x, &y),
              platform::kEFail);
  }
  EXPECT_EQ(System().CallSetProcessDpiAwareness(setAwareness, 7), platform::kEInvalidArg);
  EXPECT_TRUE(System().FreeLibrary(shcore));
  EXPECT_FALSE(System().FreeLibrary(shcore));
}

}  // namespace
