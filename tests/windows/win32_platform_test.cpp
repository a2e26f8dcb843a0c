// The Windows services under the layers that use them, on the staged test
// machine (tests/data/windows/staged-machine.reg): shell folders, user name,
// system colours, high contrast. The user locale and the DPI show in
// diag-host's German and 144 dpi runs (diag_host_run.sh).
#include <gtest/gtest.h>
#include <string>

#include <QApplication>
#include <QColor>
#include <QDir>

#include "utils/application_folder.h"
#include "utils/high_contrast.h"

namespace {

using kivra::utils::ApplicationFolderKind;

TEST(StagedMachine, ApplicationFoldersUseTheShellFolderUserAndCurrentFolder) {
  const std::string user = qEnvironmentVariable("USERNAME").toStdString();
  ASSERT_FALSE(user.empty());
  const std::string userFolder = "C:\\ProgramData\\Tavero\\Nuvex\\" + user + "\\";
  const std::string current = QDir::toNativeSeparators(QDir::currentPath()).toStdString();
  const std::pair<ApplicationFolderKind, std::string> rows[] = {
      {ApplicationFolderKind::Vendor, "C:\\ProgramData\\Tavero\\"},
      {ApplicationFolderKind::User, userFolder},
      {ApplicationFolderKind::Logs, userFolder + "logs\\"},
      {ApplicationFolderKind::WorkingScripts, current + "\\scripts\\"},
  };
  for (const auto& [kind, path] : rows)
    EXPECT_EQ(kivra::utils::ApplicationFolderUtf8(kind), path) << static_cast<int>(kind);
}

TEST(StagedMachine, SystemColoursAndHighContrast) {
  const kivra::utils::SystemColorTable colors = kivra::utils::SystemColors();
  ASSERT_EQ(colors.size(), static_cast<size_t>(kivra::utils::kSystemColorCount));
  EXPECT_EQ(colors[5], QColor(255, 255, 255));  // COLOR_WINDOW, Wine's default
  EXPECT_EQ(colors[8], QColor(0, 0, 0));        // COLOR_WINDOWTEXT
  EXPECT_EQ(colors[25], QColor(0, 102, 204));   // COLOR_HOTLIGHT (26), staged
  // Wine 8 answers SPI_GETHIGHCONTRAST with the flag off and cannot be told
  // otherwise (SPI_SETHIGHCONTRAST fails): only the "off" answer runs here.
  EXPECT_FALSE(kivra::utils::IsHighContrastOn());
}

}  // namespace
