#pragma once

#include <cstdint>
#include <string>

namespace kivra::utils {

// The folders of the suite's per-user data tree, under the program-data
// folder P and the Windows user U (shown with "/" for the separator):
//   0 P/Tavero/            4 .../U/zant/                 8 .../U/logs_thermal_monitor_tool/
//   1 P/Tavero/Nuvex/      5 .../U/scripts/              9 .../U/temp/
//   2 P/Tavero/Nuvex/U/    6 <current directory>/scripts/  10 .../U/logs_tools/
//   3 .../U/logs/          7 .../U/QtWebEngine/
// Any other value names P itself.
enum class ApplicationFolderKind : uint32_t {
  Vendor = 0,
  Product = 1,
  User = 2,
  Logs = 3,
  Zant = 4,
  Scripts = 5,
  WorkingScripts = 6,
  WebEngine = 7,
  ThermalMonitorLogs = 8,
  Temp = 9,
  ToolLogs = 10,
};

// The folder's path, ending with the platform's separator. Only composed:
// the folder is neither checked nor created. A failing system query leaves
// its piece empty (a failing program-data query gives a path that starts
// with the separator).
std::u16string ApplicationFolder(ApplicationFolderKind kind);

// The same path in UTF-8.
std::string ApplicationFolderUtf8(ApplicationFolderKind kind);

}  // namespace kivra::utils
