#include "utils/application_folder.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include <QDir>
#include <QTemporaryDir>

#include "tests/support/test_support.h"

namespace {

using kivra::utils::ApplicationFolder;
using kivra::utils::ApplicationFolderKind;
using kivra::utils::ApplicationFolderUtf8;
using platform::sim::ScopedMachine;
using platform::sim::SimMachine;
using ::testing::_;

std::string Folder(uint32_t kind) {
  return ApplicationFolderUtf8(static_cast<ApplicationFolderKind>(kind));
}

class ApplicationFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(cwd_.isValid()); }

  QTemporaryDir cwd_;
  fp_test::ScopedCurrentDir scopedCwd_{cwd_.path()};
  ScopedMachine machine_{fp_test::Machine([](SimMachine& m) {
    m.system.programData = "/data/ProgramData";
    m.system.userName = "alice";
  })};
};

TEST_F(ApplicationFolderTest, EveryKind) {
  const std::string user = "/data/ProgramData/Tavero/Nuvex/alice/";
  EXPECT_EQ(Folder(0), "/data/ProgramData/Tavero/");
  EXPECT_EQ(Folder(1), "/data/ProgramData/Tavero/Nuvex/");
  EXPECT_EQ(Folder(2), user);
  EXPECT_EQ(Folder(3), user + "logs/");
  EXPECT_EQ(Folder(4), user + "zant/");
  EXPECT_EQ(Folder(5), user + "scripts/");
  EXPECT_EQ(Folder(6), QDir::currentPath().toStdString() + "/scripts/");
  EXPECT_EQ(Folder(7), user + "QtWebEngine/");
  EXPECT_EQ(Folder(8), user + "logs_thermal_monitor_tool/");
  EXPECT_EQ(Folder(9), user + "temp/");
  EXPECT_EQ(Folder(10), user + "logs_tools/");
  EXPECT_EQ(Folder(11), "/data/ProgramData/");
  EXPECT_EQ(Folder(0xFFFFFFFFu), "/data/ProgramData/");
  EXPECT_EQ(ApplicationFolder(ApplicationFolderKind::Temp),
            fp_test::U16("/data/ProgramData/Tavero/Nuvex/alice/temp/"));
}

TEST_F(ApplicationFolderTest, WorkingScriptsDependOnTheCurrentDirectoryOnly) {
  const std::string before = Folder(6);
  {
    ScopedMachine other(fp_test::Machine([](SimMachine& m) {
      m.system.userName = "bob";
      m.system.programData = "";
    }));
    EXPECT_EQ(Folder(6), before);
  }
  QTemporaryDir elsewhere;
  fp_test::ScopedCurrentDir cwd(elsewhere.path());
  EXPECT_EQ(Folder(6), QDir::currentPath().toStdString() + "/scripts/");
  EXPECT_NE(Folder(6), before);
}

TEST_F(ApplicationFolderTest, NonAsciiUserNameComesOutAsUtf8) {
  ScopedMachine machine(fp_test::Machine([](SimMachine& m) {
    m.system.programData = "/pd";
    m.system.userName = "Jos\xC3\xA9";
  }));
  EXPECT_EQ(Folder(9), "/pd/Tavero/Nuvex/Jos\xC3\xA9/temp/");
}

TEST_F(ApplicationFolderTest, FailingQueriesLeaveTheirPieceEmpty) {
  ScopedMachine machine(fp_test::Machine([](SimMachine& m) {
    m.system.programData = "";  // the known-folder query fails
    m.system.userName = "";     // and so does the user name
  }));
  EXPECT_EQ(Folder(0), "/Tavero/");
  EXPECT_EQ(Folder(9), "/Tavero/Nuvex//temp/");
  EXPECT_EQ(Folder(42), "/");
}

TEST_F(ApplicationFolderTest, KnownFolderBufferIsFreedAlsoOnFailure) {
  fp_test::ScopedMockSystem system;
  void* handedOut = nullptr;
  EXPECT_CALL(*system, SHGetKnownFolderPath(_, 0u, nullptr, _))
      .WillOnce([&](const platform::Guid& id, uint32_t, void*, char16_t** path) {
        EXPECT_EQ(std::memcmp(&id, &platform::kFolderIdProgramData, sizeof(id)), 0);
        *path = static_cast<char16_t*>(std::calloc(4, sizeof(char16_t)));
        handedOut = *path;
        return platform::kEFail;
      });
  EXPECT_CALL(*system, CoTaskMemFree(_)).WillOnce([&](void* memory) {
    EXPECT_EQ(memory, handedOut);
    std::free(memory);
  });
  EXPECT_EQ(Folder(1), "/Tavero/Nuvex/");
}

TEST_F(ApplicationFolderTest, OverlongCurrentDirectoryIsLeftOut) {
  fp_test::ScopedMockSystem system;
  EXPECT_CALL(*system, GetCurrentDirectoryW(260u, _)).WillOnce(::testing::Return(300u));
  EXPECT_EQ(Folder(6), "/scripts/");
  EXPECT_CALL(*system, GetCurrentDirectoryW(260u, _)).WillOnce(::testing::Return(0u));
  EXPECT_EQ(Folder(6), "/scripts/");
}

}  // namespace
