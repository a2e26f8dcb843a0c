#include "utils/application_folder.h"

#include <gtest/gtest.h>
#include <tuple>

#include <QString>

#include "tests/support/test_support.h"

namespace {

using kivra::utils::ApplicationFolder;
using kivra::utils::ApplicationFolderKind;
using kivra::utils::ApplicationFolderUtf8;
using platform::sim::ScopedMachine;
using platform::sim::SimMachine;

// The temporary folder the module uses, one other kind and an unknown kind;
// a non-ASCII user name comes out as UTF-8; a failing query leaves its piece
// empty.
TEST(ApplicationFolderTest, KindsAndFailingQueries) {
  const std::tuple<const char*, const char*, uint32_t, const char*> rows[] = {
      {"/pd", "alice", 9, "/pd/Tavero/Nuvex/alice/temp/"},
      {"/pd", "alice", 10, "/pd/Tavero/Nuvex/alice/logs_tools/"},  // the last known kind
      {"/pd", "alice", 0xFFFFFFFFu, "/pd/"},
      {"/pd", "Jos\xC3\xA9", 9, "/pd/Tavero/Nuvex/Jos\xC3\xA9/temp/"},
      {"", "", 9, "/Tavero/Nuvex//temp/"}};
  for (const auto& [programData, user, kind, folder] : rows) {
    ScopedMachine machine(fp_test::Machine([data = programData, name = user](SimMachine& m) {
      m.system.programData = data;
      m.system.userName = name;
    }));
    EXPECT_EQ(ApplicationFolderUtf8(static_cast<ApplicationFolderKind>(kind)), folder) << kind;
    EXPECT_EQ(QString::fromStdU16String(ApplicationFolder(static_cast<ApplicationFolderKind>(kind))),
              QString::fromUtf8(folder));
  }
}

}  // namespace
