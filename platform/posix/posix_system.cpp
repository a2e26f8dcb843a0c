#include "platform/posix/posix_system.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <link.h>
#include <mutex>
#include <system_error>
#include <thread>

#include <QString>

#include "platform/posix/module_pin.h"

namespace platform::posix {
namespace {

// Pseudo handles of the one desktop window and monitor.
WindowHandle const kDesktopWindow = reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(0x10010));
MonitorHandle const kPrimaryMonitor = reinterpret_cast<MonitorHandle>(static_cast<uintptr_t>(0x10001));

// The emulated shcore.dll. Its handle is the address of this object; it
// counts references like the Windows loader so that unbalanced releases show.
struct PseudoShcore {
  std::mutex mutex;
  int references = 0;
  std::atomic<bool> awarenessSet{false};
};

PseudoShcore& Shcore() {
  static PseudoShcore shcore;
  return shcore;
}

LibraryHandle ShcoreHandle() {
  return &Shcore();
}

// The addresses GetProcAddress hands out for the emulated functions. They are
// never called through: Call* answers for them.
void SetProcessDpiAwarenessEntry() {}
void GetDpiForMonitorEntry() {}

bool IsShcoreName(const char16_t* fileName) {
  return QString::fromUtf16(fileName).compare(QStringLiteral("shcore.dll"), Qt::CaseInsensitive) == 0;
}

// Copies `text` with its NUL if it fits in `capacity` code units.
bool CopyOut(const std::u16string& text, char16_t* buffer, uint32_t capacity) {
  if (!buffer || text.size() + 1 > capacity) return false;
  std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  return true;
}

}  // namespace

// The real monotonic clock in milliseconds, truncated to 32 bits as
// GetTickCount is.
uint32_t PosixSystem::GetTickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void PosixSystem::Sleep(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

uint32_t PosixSystem::GetCurrentDirectoryW(uint32_t bufferLength, char16_t* buffer) {
  std::error_code error;
  const std::filesystem::path current = std::filesystem::current_path(error);
  if (error) return 0;
  const std::u16string path = Utf16(current.string());
  if (!CopyOut(path, buffer, bufferLength)) return static_cast<uint32_t>(path.size() + 1);
  return static_cast<uint32_t>(path.size());
}

void PosixSystem::CoTaskMemFree(void* memory) {
  std::free(memory);
}

uint32_t PosixSystem::MessageNumber(const void* nativeMessage) {
  return nativeMessage ? static_cast<const WindowMessage*>(nativeMessage)->message : 0;
}

WindowHandle PosixSystem::GetDesktopWindow() {
  return kDesktopWindow;
}

MonitorHandle PosixSystem::MonitorFromWindow(WindowHandle window, uint32_t flags) {
  if (window == kDesktopWindow || flags != kMonitorDefaultToNull) return kPrimaryMonitor;
  return nullptr;
}

// shcore.dll is the one run-time library there is.
LibraryHandle PosixSystem::LoadLibraryExW(const char16_t* fileName, uint32_t /*flags*/) {
  if (!fileName || !IsShcoreName(fileName)) return nullptr;
  std::lock_guard<std::mutex> lock(Shcore().mutex);
  ++Shcore().references;
  return ShcoreHandle();
}

ProcAddress PosixSystem::GetProcAddress(LibraryHandle library, const char* name) {
  if (library != ShcoreHandle() || !name) return nullptr;
  {
    std::lock_guard<std::mutex> lock(Shcore().mutex);
    if (Shcore().references == 0) return nullptr;
  }
  if (std::strcmp(name, "SetProcessDpiAwareness") == 0) return &SetProcessDpiAwarenessEntry;
  if (std::strcmp(name, "GetDpiForMonitor") == 0) return &GetDpiForMonitorEntry;
  return nullptr;
}

bool PosixSystem::FreeLibrary(LibraryHandle library) {
  if (library != ShcoreHandle()) return false;
  std::lock_guard<std::mutex> lock(Shcore().mutex);
  if (Shcore().references == 0) return false;
  --Shcore().references;
  return true;
}

// Like Windows, the process DPI awareness can be set only once.
int32_t PosixSystem::CallSetProcessDpiAwareness(ProcAddress function, int32_t value) {
  if (function != &SetProcessDpiAwarenessEntry || value < 0 || value > kProcessPerMonitorDpiAware)
    return kEInvalidArg;
  if (Shcore().awarenessSet.exchange(true)) return kEAccessDenied;
  return kSOk;
}

int32_t PosixSystem::CallGetDpiForMonitor(ProcAddress function, MonitorHandle monitor, int32_t dpiType,
                                          uint32_t* dpiX, uint32_t* dpiY) {
  if (function != &GetDpiForMonitorEntry || monitor != kPrimaryMonitor || dpiType < 0 || dpiType > 2 ||
      !dpiX || !dpiY)
    return kEInvalidArg;
  const int32_t dpi = MonitorDpi();
  if (dpi <= 0) return kEFail;
  *dpiX = static_cast<uint32_t>(dpi);
  *dpiY = static_cast<uint32_t>(dpi);
  return kSOk;
}

// The dynamic linker's map entry stands in for the module handle.
LibraryHandle PosixSystem::ModuleFromAddress(const void* address) {
  Dl_info info{};
  struct link_map* map = nullptr;
  if (!dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) || !map) return nullptr;
  return map;
}

uint32_t PosixSystem::GetModuleFileNameW(LibraryHandle module, char16_t* buffer, uint32_t size) {
  if (!buffer || size == 0) return 0;
  const auto* map = static_cast<const struct link_map*>(module);
  // The executable's entry has an empty name; a null handle means the
  // executable, as on Windows.
  const char* name = map && map->l_name && *map->l_name ? map->l_name : "/proc/self/exe";
  char resolved[PATH_MAX];
  if (!realpath(name, resolved)) return 0;
  const std::u16string path = Utf16(resolved);
  if (CopyOut(path, buffer, size)) return static_cast<uint32_t>(path.size());
  // Truncated, as Windows does: the buffer is filled and terminated.
  std::memcpy(buffer, path.data(), (size - 1) * sizeof(char16_t));
  buffer[size - 1] = u'\0';
  return size;
}

bool PosixSystem::PinModule(const void* address) {
  return PinModuleContaining(address);
}

bool PosixSystem::AnswerLanguages(const std::vector<std::string>& languages, uint32_t flags,
                                  uint32_t* numLanguages, char16_t* buffer, uint32_t* bufferSize) {
  if (!(flags & kMuiLanguageName) || !numLanguages || !bufferSize) return false;
  std::u16string list;
  for (const std::string& language : languages) {
    list += Utf16(language);
    list += u'\0';
  }
  list += u'\0';
  const auto needed = static_cast<uint32_t>(list.size());
  const uint32_t capacity = *bufferSize;
  *bufferSize = needed;
  *numLanguages = static_cast<uint32_t>(languages.size());
  if (!buffer) return true;  // size query
  if (capacity < needed) return false;
  std::memcpy(buffer, list.data(), needed * sizeof(char16_t));
  return true;
}

bool PosixSystem::AnswerUserName(const std::u16string& name, char16_t* buffer, uint32_t* size) {
  if (!size || name.empty()) return false;
  const uint32_t capacity = *size;
  *size = static_cast<uint32_t>(name.size() + 1);
  return CopyOut(name, buffer, capacity);
}

int32_t PosixSystem::AnswerKnownFolder(const std::u16string& folder, const Guid& folderId, char16_t** path) {
  if (!path) return kEInvalidArg;
  *path = nullptr;
  if (std::memcmp(&folderId, &kFolderIdProgramData, sizeof(Guid)) != 0 || folder.empty()) return kEFail;
  auto* copy = static_cast<char16_t*>(std::malloc((folder.size() + 1) * sizeof(char16_t)));
  if (!copy) return kEFail;
  CopyOut(folder, copy, static_cast<uint32_t>(folder.size() + 1));
  *path = copy;
  return kSOk;
}

bool PosixSystem::AnswerHighContrast(bool on, uint32_t action, void* data) {
  if (action != kSpiGetHighContrast || !data) return false;
  auto* contrast = static_cast<HighContrastData*>(data);
  if (contrast->cbSize != sizeof(HighContrastData)) return false;
  static char16_t scheme[] = u"High Contrast Black";
  contrast->dwFlags = kHcfAvailable | (on ? kHcfHighContrastOn : 0);
  contrast->lpszDefaultScheme = on ? scheme : nullptr;
  return true;
}

std::u16string PosixSystem::Utf16(const std::string& utf8) {
  return QString::fromStdString(utf8).toStdU16String();
}

}  // namespace platform::posix
