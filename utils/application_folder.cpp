#include "utils/application_folder.h"

#include <vector>

#include <QString>

#include "platform/platform.h"
#include "platform/system.h"

namespace kivra::utils {
namespace {

std::u16string ProgramData() {
  platform::System& system = platform::system();
  char16_t* path = nullptr;
  const int32_t hr = system.SHGetKnownFolderPath(platform::kFolderIdProgramData, 0, nullptr, &path);
  std::u16string folder = (hr >= 0 && path) ? std::u16string(path) : std::u16string();
  system.CoTaskMemFree(path);  // owed on failure too
  return folder;
}

std::u16string UserName() {
  constexpr uint32_t kCapacity = 257;  // UNLEN + 1
  std::vector<char16_t> buffer(kCapacity, u'\0');
  uint32_t size = kCapacity;
  if (!platform::system().GetUserNameW(buffer.data(), &size)) return {};
  buffer.back() = u'\0';
  return std::u16string(buffer.data());
}

std::u16string CurrentDirectory() {
  constexpr uint32_t kCapacity = 260;  // MAX_PATH
  std::vector<char16_t> buffer(kCapacity, u'\0');
  const uint32_t length = platform::system().GetCurrentDirectoryW(kCapacity, buffer.data());
  if (length < 1 || length > kCapacity) return {};
  return std::u16string(buffer.data(), length);
}

}  // namespace

std::u16string ApplicationFolder(ApplicationFolderKind kind) {
  const std::u16string separator(1, platform::PathSeparator());
  const auto folder = [&separator](std::u16string path, const char16_t* name) {
    return path + name + separator;
  };

  if (kind == ApplicationFolderKind::WorkingScripts)
    return folder(CurrentDirectory() + separator, u"scripts");

  const std::u16string root = ProgramData() + separator;
  const auto number = static_cast<uint32_t>(kind);
  if (number > static_cast<uint32_t>(ApplicationFolderKind::ToolLogs)) return root;
  const std::u16string vendor = folder(root, u"Tavero");
  if (kind == ApplicationFolderKind::Vendor) return vendor;
  const std::u16string product = folder(vendor, u"Nuvex");
  if (kind == ApplicationFolderKind::Product) return product;
  const std::u16string user = folder(product, UserName().c_str());

  switch (kind) {
    case ApplicationFolderKind::Logs:
      return folder(user, u"logs");
    case ApplicationFolderKind::Zant:
      return folder(user, u"zant");
    case ApplicationFolderKind::Scripts:
      return folder(user, u"scripts");
    case ApplicationFolderKind::WebEngine:
      return folder(user, u"QtWebEngine");
    case ApplicationFolderKind::ThermalMonitorLogs:
      return folder(user, u"logs_thermal_monitor_tool");
    case ApplicationFolderKind::Temp:
      return folder(user, u"temp");
    case ApplicationFolderKind::ToolLogs:
      return folder(user, u"logs_tools");
    default:
      return user;
  }
}

std::string ApplicationFolderUtf8(ApplicationFolderKind kind) {
  const std::u16string path = ApplicationFolder(kind);
  return QString::fromUtf16(path.data(), static_cast<qsizetype>(path.size())).toStdString();
}

}  // namespace kivra::utils
