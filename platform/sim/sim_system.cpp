#include "platform/sim/sim_system.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <link.h>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <QLocale>
#include <QString>

#include "platform/posix/module_pin.h"
#include "platform/sim/sim_machine.h"

namespace platform::sim {
namespace {

// Pseudo handles of the simulated desktop: one window, one monitor.
WindowHandle const kDesktopWindow = reinterpret_cast<WindowHandle>(static_cast<uintptr_t>(0x10010));
MonitorHandle const kPrimaryMonitor = reinterpret_cast<MonitorHandle>(static_cast<uintptr_t>(0x10001));

// The simulated shcore.dll. Its handle is the address of this object; it
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

// The simulated shcore.dll's functions, plain C++ functions.
using SetProcessDpiAwarenessFn = int32_t (*)(int32_t value);
using GetDpiForMonitorFn = int32_t (*)(MonitorHandle monitor, int32_t dpiType, uint32_t* dpiX,
                                       uint32_t* dpiY);

// Like Windows, the process DPI awareness can be set only once.
int32_t SimSetProcessDpiAwareness(int32_t value) {
  if (value < 0 || value > kProcessPerMonitorDpiAware) return kEInvalidArg;
  if (Shcore().awarenessSet.exchange(true)) return kEAccessDenied;
  return kSOk;
}

// Answers with the machine's "dpi"; 0 (or less) makes the query fail.
int32_t SimGetDpiForMonitor(MonitorHandle monitor, int32_t dpiType, uint32_t* dpiX, uint32_t* dpiY) {
  if (monitor != kPrimaryMonitor || dpiType < 0 || dpiType > 2 || !dpiX || !dpiY) return kEInvalidArg;
  const int32_t dpi = sim::CurrentMachine()->system.dpi;
  if (dpi <= 0) return kEFail;
  *dpiX = static_cast<uint32_t>(dpi);
  *dpiY = static_cast<uint32_t>(dpi);
  return kSOk;
}

bool IsShcoreName(const char16_t* fileName) {
  return QString::fromUtf16(fileName).compare(QStringLiteral("shcore.dll"), Qt::CaseInsensitive) == 0;
}

// Copies `text` with its NUL if it fits in `capacity` code units.
bool CopyOut(const std::u16string& text, char16_t* buffer, uint32_t capacity) {
  if (!buffer || text.size() + 1 > capacity) return false;
  std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  return true;
}

std::u16string Utf16(const std::string& utf8) {
  return QString::fromStdString(utf8).toStdU16String();
}

class SimSystem : public System {
 public:
  explicit SimSystem(UiLanguageSource languages) : languages_(languages) {}

  // The real monotonic clock in milliseconds, truncated to 32 bits as
  // GetTickCount is, or the machine's manual clock.
  uint32_t GetTickCount() override {
    const std::shared_ptr<const SimMachine> machine = sim::CurrentMachine();
    if (machine->system.manualClockStartMs) {
      std::lock_guard<std::mutex> lock(clockMutex_);
      return ManualTicks(machine);
    }
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  }

  void Sleep(uint32_t milliseconds) override {
    const std::shared_ptr<const SimMachine> machine = sim::CurrentMachine();
    if (!machine->system.manualClockStartMs) {
      std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
      return;
    }
    {
      std::lock_guard<std::mutex> lock(clockMutex_);
      manualTicks_ = ManualTicks(machine) + milliseconds;
    }
    std::this_thread::yield();  // time passes for the other threads too
  }

  bool GetUserPreferredUILanguages(uint32_t flags, uint32_t* numLanguages, char16_t* buffer,
                                   uint32_t* bufferSize) override {
    if (!(flags & kMuiLanguageName) || !numLanguages || !bufferSize) return false;
    const std::vector<std::string> languages = UiLanguages();
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

  // An empty user name in the machine description stands for a failing call.
  bool GetUserNameW(char16_t* buffer, uint32_t* size) override {
    if (!size) return false;
    const std::u16string name = Utf16(sim::CurrentMachine()->system.userName);
    if (name.empty()) return false;
    const uint32_t capacity = *size;
    *size = static_cast<uint32_t>(name.size() + 1);
    return CopyOut(name, buffer, capacity);
  }

  uint32_t GetCurrentDirectoryW(uint32_t bufferLength, char16_t* buffer) override {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (error) return 0;
    const std::u16string path = Utf16(current.string());
    if (!CopyOut(path, buffer, bufferLength)) return static_cast<uint32_t>(path.size() + 1);
    return static_cast<uint32_t>(path.size());
  }

  // An empty "programData" stands for a failing known-folder query.
  int32_t SHGetKnownFolderPath(const Guid& folderId, uint32_t /*flags*/, void* /*token*/,
                               char16_t** path) override {
    if (!path) return kEInvalidArg;
    *path = nullptr;
    if (std::memcmp(&folderId, &kFolderIdProgramData, sizeof(Guid)) != 0) return kEFail;
    const std::u16string folder = Utf16(sim::CurrentMachine()->system.programData);
    if (folder.empty()) return kEFail;
    auto* copy = static_cast<char16_t*>(std::malloc((folder.size() + 1) * sizeof(char16_t)));
    if (!copy) return kEFail;
    CopyOut(folder, copy, static_cast<uint32_t>(folder.size() + 1));
    *path = copy;
    return kSOk;
  }

  void CoTaskMemFree(void* memory) override { std::free(memory); }

  uint32_t GetSysColor(int32_t index) override {
    const auto machine = sim::CurrentMachine();
    const auto found = machine->system.sysColors.find(index);
    return found == machine->system.sysColors.end() ? 0 : found->second;
  }

  bool SystemParametersInfoW(uint32_t action, uint32_t /*param*/, void* data, uint32_t /*winIni*/) override {
    if (action != kSpiGetHighContrast || !data) return false;
    auto* contrast = static_cast<HighContrastData*>(data);
    if (contrast->cbSize != sizeof(HighContrastData)) return false;
    static char16_t scheme[] = u"High Contrast Black";
    const bool on = sim::CurrentMachine()->system.highContrast;
    contrast->dwFlags = kHcfAvailable | (on ? kHcfHighContrastOn : 0);
    contrast->lpszDefaultScheme = on ? scheme : nullptr;
    return true;
  }

  uint32_t MessageNumber(const void* nativeMessage) override {
    return nativeMessage ? static_cast<const WindowMessage*>(nativeMessage)->message : 0;
  }

  WindowHandle GetDesktopWindow() override { return kDesktopWindow; }

  MonitorHandle MonitorFromWindow(WindowHandle window, uint32_t flags) override {
    if (window == kDesktopWindow || flags != kMonitorDefaultToNull) return kPrimaryMonitor;
    return nullptr;
  }

  // The simulated machine has one run-time library: shcore.dll.
  LibraryHandle LoadLibraryExW(const char16_t* fileName, uint32_t /*flags*/) override {
    if (!fileName || !IsShcoreName(fileName)) return nullptr;
    std::lock_guard<std::mutex> lock(Shcore().mutex);
    ++Shcore().references;
    return ShcoreHandle();
  }

  ProcAddress GetProcAddress(LibraryHandle library, const char* name) override {
    if (library != ShcoreHandle() || !name) return nullptr;
    {
      std::lock_guard<std::mutex> lock(Shcore().mutex);
      if (Shcore().references == 0) return nullptr;
    }
    if (std::strcmp(name, "SetProcessDpiAwareness") == 0)
      return reinterpret_cast<ProcAddress>(&SimSetProcessDpiAwareness);
    if (std::strcmp(name, "GetDpiForMonitor") == 0)
      return reinterpret_cast<ProcAddress>(&SimGetDpiForMonitor);
    return nullptr;
  }

  int32_t CallSetProcessDpiAwareness(ProcAddress function, int32_t value) override {
    return reinterpret_cast<SetProcessDpiAwarenessFn>(function)(value);
  }

  int32_t CallGetDpiForMonitor(ProcAddress function, MonitorHandle monitor, int32_t dpiType, uint32_t* dpiX,
                               uint32_t* dpiY) override {
    return reinterpret_cast<GetDpiForMonitorFn>(function)(monitor, dpiType, dpiX, dpiY);
  }

  bool FreeLibrary(LibraryHandle library) override {
    if (library != ShcoreHandle()) return false;
    std::lock_guard<std::mutex> lock(Shcore().mutex);
    if (Shcore().references == 0) return false;
    --Shcore().references;
    return true;
  }

  // The dynamic linker's map entry stands in for the module handle.
  LibraryHandle ModuleFromAddress(const void* address) override {
    Dl_info info{};
    struct link_map* map = nullptr;
    if (!dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) || !map) return nullptr;
    return map;
  }

  // The real dynamic linker's: a simulated machine still runs real code.
  bool PinModule(const void* address) override { return posix::PinModuleContaining(address); }

  uint32_t GetModuleFileNameW(LibraryHandle module, char16_t* buffer, uint32_t size) override {
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

 private:
  // The manual clock belongs to one machine: another machine starts its own.
  uint32_t ManualTicks(const std::shared_ptr<const SimMachine>& machine) {
    if (clockMachine_.lock() != machine) {
      clockMachine_ = machine;
      manualTicks_ = *machine->system.manualClockStartMs;
    }
    return manualTicks_;
  }

  std::mutex clockMutex_;
  std::vector<std::string> UiLanguages() const {
    if (languages_ == UiLanguageSource::Machine) return sim::CurrentMachine()->system.uiLanguages;
    // Qt's system locale reads LANGUAGE, LC_ALL, LC_MESSAGES and LANG.
    std::vector<std::string> languages;
    for (const QString& language : QLocale::system().uiLanguages())
      languages.push_back(language.toStdString());
    return languages;
  }

  UiLanguageSource languages_;
  std::weak_ptr<const SimMachine> clockMachine_;
  uint32_t manualTicks_ = 0;
};

}  // namespace

std::unique_ptr<System> CreateSimSystem(UiLanguageSource languages) {
  return std::make_unique<SimSystem>(languages);
}

}  // namespace platform::sim
