#pragma once

#include <cstdint>
#include <memory>

namespace platform {

// Opaque Windows handles: HWND, HMONITOR and HMODULE.
using WindowHandle = void*;
using MonitorHandle = void*;
using LibraryHandle = void*;

// FARPROC: the backend casts it to the function's real type, calling
// convention included, before calling.
using ProcAddress = void (*)();

// GUID, in the Windows layout.
struct Guid {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};

// FOLDERID_ProgramData {62AB5D82-FDC1-4DC3-A9DD-070D1D495D97}
constexpr Guid kFolderIdProgramData = {
    0x62AB5D82, 0xFDC1, 0x4DC3, {0xA9, 0xDD, 0x07, 0x0D, 0x1D, 0x49, 0x5D, 0x97}};

// Windows constants under names that do not collide with <windows.h> macros.
constexpr uint32_t kMuiLanguageName = 0x8;                             // MUI_LANGUAGE_NAME
constexpr uint32_t kSpiGetHighContrast = 0x0042;                       // SPI_GETHIGHCONTRAST
constexpr uint32_t kHcfHighContrastOn = 0x00000001;                    // HCF_HIGHCONTRASTON
constexpr uint32_t kHcfAvailable = 0x00000002;                         // HCF_AVAILABLE
constexpr uint32_t kWmThemeChanged = 0x031A;                           // WM_THEMECHANGED
constexpr uint32_t kMonitorDefaultToNull = 0;                          // MONITOR_DEFAULTTONULL
constexpr uint32_t kMonitorDefaultToPrimary = 1;                       // MONITOR_DEFAULTTOPRIMARY
constexpr uint32_t kLoadLibrarySearchSystem32 = 0x00000800;            // LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr int32_t kProcessPerMonitorDpiAware = 2;                      // PROCESS_PER_MONITOR_DPI_AWARE
constexpr int32_t kMdtEffectiveDpi = 0;                                // MDT_EFFECTIVE_DPI
constexpr int32_t kSOk = 0;                                            // S_OK
constexpr int32_t kEFail = static_cast<int32_t>(0x80004005u);          // E_FAIL
constexpr int32_t kEInvalidArg = static_cast<int32_t>(0x80070057u);    // E_INVALIDARG
constexpr int32_t kEAccessDenied = static_cast<int32_t>(0x80070005u);  // E_ACCESSDENIED

// HIGHCONTRASTW; 16 bytes on x86-64.
struct HighContrastData {
  uint32_t cbSize;
  uint32_t dwFlags;
  char16_t* lpszDefaultScheme;
};

// MSG, the record behind a "windows_generic_MSG" native event. The simulated
// machine uses the same layout, so tests hand the theme-change filter one of
// these as if Windows had sent it.
struct WindowMessage {
  WindowHandle hwnd;
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
  uint32_t time;
  int32_t ptX;
  int32_t ptY;
  uint32_t lPrivate;
};

// Kernel and desktop services: time, user, folders, languages, colours, high
// contrast, DPI and run-time library loading. Texts are NUL-terminated UTF-16,
// lengths in UTF-16 code units, with the Windows conventions of each call.
class System {
 public:
  virtual ~System() = default;

  virtual uint32_t GetTickCount() = 0;  // milliseconds since start, wraps after 2^32
  virtual void Sleep(uint32_t milliseconds) = 0;

  // Languages as a double-NUL-terminated list. `bufferSize` is in and out.
  virtual bool GetUserPreferredUILanguages(uint32_t flags, uint32_t* numLanguages, char16_t* buffer,
                                           uint32_t* bufferSize) = 0;
  // `size` is in and out, counting the terminating NUL.
  virtual bool GetUserNameW(char16_t* buffer, uint32_t* size) = 0;
  // The length written without its NUL, or the size needed when the buffer is
  // too small, or 0 on failure.
  virtual uint32_t GetCurrentDirectoryW(uint32_t bufferLength, char16_t* buffer) = 0;
  // `*path` must be released with CoTaskMemFree whatever the result.
  virtual int32_t SHGetKnownFolderPath(const Guid& folderId, uint32_t flags, void* token,
                                       char16_t** path) = 0;
  virtual void CoTaskMemFree(void* memory) = 0;

  virtual uint32_t GetSysColor(int32_t index) = 0;  // 0x00BBGGRR
  virtual bool SystemParametersInfoW(uint32_t action, uint32_t param, void* data, uint32_t winIni) = 0;
  // The message number of a "windows_generic_MSG" native event.
  virtual uint32_t MessageNumber(const void* nativeMessage) = 0;

  virtual WindowHandle GetDesktopWindow() = 0;
  virtual MonitorHandle MonitorFromWindow(WindowHandle window, uint32_t flags) = 0;

  virtual LibraryHandle LoadLibraryExW(const char16_t* fileName, uint32_t flags) = 0;
  virtual ProcAddress GetProcAddress(LibraryHandle library, const char* name) = 0;
  virtual bool FreeLibrary(LibraryHandle library) = 0;
  // shcore.dll's SetProcessDpiAwareness and GetDpiForMonitor, called through
  // addresses from GetProcAddress. The backend knows their real type, calling
  // convention included (WINAPI: the same as the default on x86-64 only).
  virtual int32_t CallSetProcessDpiAwareness(ProcAddress function, int32_t value) = 0;
  virtual int32_t CallGetDpiForMonitor(ProcAddress function, MonitorHandle monitor, int32_t dpiType,
                                       uint32_t* dpiX, uint32_t* dpiY) = 0;

  // The loaded binary (executable or library) that contains `address`, and
  // its file's full path. The handle carries no reference.
  virtual LibraryHandle ModuleFromAddress(const void* address) = 0;
  virtual uint32_t GetModuleFileNameW(LibraryHandle module, char16_t* buffer, uint32_t size) = 0;
  // Keeps the binary that contains `address` loaded until the process ends,
  // whoever unloads it: code of it may still run on a thread left waiting in
  // a service that never answered.
  virtual bool PinModule(const void* address) = 0;
};

// The separator of the platform's paths: "\" on Windows, "/" elsewhere.
char16_t PathSeparator();

}  // namespace platform
