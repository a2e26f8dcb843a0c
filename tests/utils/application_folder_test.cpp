#include "utils/application_folder.h"

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

// Every kind; a non-ASCII user name comes out as UTF-8; a failing query
// leaves its piece empty.
TEST(ApplicationFolderTest, EveryKindAndFailingQueries) {
  QTemporaryDir cwd;
  ASSERT_TRUE(cwd.isValid());
  fp_test::ScopedCurrentDir scopedCwd(cwd.path());
  const std::string user = "/pd/Tavero/Nuvex/alice/";
  const struct {
    const char* programData;
    const char* user;
    uint32_t kind;
    std::string folder;
  } rows[] = {{"/pd", "alice", 0, "/pd/Tavero/"},
              {"/pd", "alice", 1, "/pd/Tavero/Nuvex/"},
              {"/pd", "alice", 2, user},
              {"/pd", "alice", 3, user + "logs/"},
              {"/pd", "alice", 4, user + "zant/"},
              {"/pd", "alice", 5, user + "scripts/"},
              {"/pd", "alice", 6, QDir::currentPath().toStdString() + "/scripts/"},
              {"/pd", "alice", 7, user + "QtWebEngine/"},
              {"/pd", "alice", 8, user + "logs_thermal_monitor_tool/"},
              {"/pd", "alice", 9, user + "temp/"},
              {"/pd", "alice", 10, user + "logs_tools/"},
              {"/pd", "alice", 11, "/pd/"},
              {"/pd", "alice", 0xFFFFFFFFu, "/pd/"},
              {"/pd", "Jos\xC3\xA9", 9, "/pd/Tavero/Nuvex/Jos\xC3\xA9/temp/"},
              {"", "", 0, "/Tavero/"},
              {"", "", 9, "/Tavero/Nuvex//temp/"},
              {"", "", 42, "/"}};
  for (const auto& row : rows) {
    ScopedMachine machine(fp_test::Machine([&](SimMachine& m) {
      m.system.programData = row.programData;
      m.system.userName = row.user;
    }));
    EXPECT_EQ(ApplicationFolderUtf8(static_cast<ApplicationFolderKind>(row.kind)), row.folder) << row.kind;
    if (row.kind == 9 && row.user == std::string("alice")) {
      EXPECT_EQ(QString::fromStdU16String(ApplicationFolder(ApplicationFolderKind::Temp)),
                QString::fromStdString(row.folder));
    }
  }
}

}  // namespace
