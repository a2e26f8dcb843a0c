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
  const std::pair<uint32_t, std::string> rows[] = {{0, "/data/ProgramData/Tavero/"},
                                                   {1, "/data/ProgramData/Tavero/Nuvex/"},
                                                   {2, user},
                                                   {3, user + "logs/"},
                                                   {4, user + "zant/"},
                                                   {5, user + "scripts/"},
                                                   {6, QDir::currentPath().toStdString() + "/scripts/"},
                                                   {7, user + "QtWebEngine/"},
                                                   {8, user + "logs_thermal_monitor_tool/"},
                                                   {9, user + "temp/"},
                                                   {10, user + "logs_tools/"},
                                                   {11, "/data/ProgramData/"},
                                                   {0xFFFFFFFFu, "/data/ProgramData/"}};
  for (const auto& [kind, folder] : rows) EXPECT_EQ(Folder(kind), folder) << kind;
  EXPECT_EQ(QString::fromStdU16String(ApplicationFolder(ApplicationFolderKind::Temp)),
            QString::fromStdString(user + "temp/"));
}

// A non-ASCII user name comes out as UTF-8; a failing query leaves its piece empty.
TEST_F(ApplicationFolderTest, UserNameAndFailingQueries) {
  const struct {
    const char* programData;
    const char* user;
    uint32_t kind;
    const char* folder;
  } rows[] = {{"/pd", "Jos\xC3\xA9", 9, "/pd/Tavero/Nuvex/Jos\xC3\xA9/temp/"},
              {"", "", 0, "/Tavero/"},
              {"", "", 9, "/Tavero/Nuvex//temp/"},
              {"", "", 42, "/"}};
  for (const auto& row : rows) {
    ScopedMachine machine(fp_test::Machine([&](SimMachine& m) {
      m.system.programData = row.programData;
      m.system.userName = row.user;
    }));
    EXPECT_EQ(Folder(row.kind), row.folder);
  }
}

}  // namespace
