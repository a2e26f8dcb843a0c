#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#endif
#include "platform/win32/win32_system.h"

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <objbase.h>
#include <shellscalingapi.h>
#include <shlobj.h>

namespace platform::win32 {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "WCHAR is UTF-16");
static_assert(sizeof(Guid) == sizeof(GUID), "GUID layout");
static_assert(sizeof(HighContrastData) == sizeof(HIGHCONTRASTW), "HIGHCONTRASTW layout");
static_assert(offsetof(HighContrastData, dwFlags) == offsetof(HIGHCONTRASTW, dwFlags),
              "HIGHCONTRASTW layout");
static_assert(sizeof(WindowMessage) == sizeof(MSG), "MSG layout");
static_assert(offsetof(WindowMessage, message) == offsetof(MSG, message), "MSG layout");

wchar_t* Wide(char16_t* text) {
  return reinterpret_cast<wchar_t*>(text);
}
const wchar_t* Wide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text);
}

class Win32System : public System {
 public:
  uint32_t GetTickCount() override { return ::GetTickCount(); }
  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }

  bool GetUserPreferredUILanguages(uint32_t flags, uint32_t* numLanguages, char16_t* buffer,
                                   uint32_t* bufferSize) override {
    ULONG count = 0;
    ULONG size = bufferSize ? *bufferSize : 0;
    const BOOL ok = ::GetUserPreferredUILanguages(flags, &count, Wide(buffer), &size);
    if (numLanguages) *numLanguages = count;
    if (bufferSize) *bufferSize = size;
    return ok != FALSE;
  }

  bool GetUserNameW(char16_t* buffer, uint32_t* size) override {
    DWORD length = size ? *size : 0;
    const BOOL ok = ::GetUserNameW(Wide(buffer), &length);
    if (size) *size = length;
    return ok != FALSE;
  }

  uint32_t GetCurrentDirectoryW(uint32_t bufferLength, char16_t* buffer) override {
    return ::GetCurrentDirectoryW(bufferLength, Wide(buffer));
  }

  int32_t SHGetKnownFolderPath(const Guid& folderId, uint32_t flags, void* token, char16_t** path) override {
    GUID id;
    std::memcpy(&id, &folderId, sizeof(id));
    PWSTR result = nullptr;
    const HRESULT hr = ::SHGetKnownFolderPath(id, flags, static_cast<HANDLE>(token), &result);
    if (path) {
      *path = reinterpret_cast<char16_t*>(result);
    } else {
      ::CoTaskMemFree(result);
    }
    return hr;
  }

  void CoTaskMemFree(void* memory) override { ::CoTaskMemFree(memory); }

  uint32_t GetSysColor(int32_t index) override { return ::GetSysColor(index); }

  bool SystemParametersInfoW(uint32_t action, uint32_t param, void* data, uint32_t winIni) override {
    return ::SystemParametersInfoW(action, param, data, winIni) != FALSE;
  }

  uint32_t MessageNumber(const void* nativeMessage) override {
    return nativeMessage ? static_cast<const MSG*>(nativeMessage)->message : 0;
  }

  WindowHandle GetDesktopWindow() override { return ::GetDesktopWindow(); }

  MonitorHandle MonitorFromWindow(WindowHandle window, uint32_t flags) override {
    return ::MonitorFromWindow(static_cast<HWND>(window), flags);
  }

  LibraryHandle LoadLibraryExW(const char16_t* fileName, uint32_t flags) override {
    return ::LoadLibraryExW(Wide(fileName), nullptr, flags);
  }

  ProcAddress GetProcAddress(LibraryHandle library, const char* name) override {
    return reinterpret_cast<ProcAddress>(::GetProcAddress(static_cast<HMODULE>(library), name));
  }

  int32_t CallSetProcessDpiAwareness(ProcAddress function, int32_t value) override {
    using Fn = HRESULT(WINAPI*)(PROCESS_DPI_AWARENESS);
    return reinterpret_cast<Fn>(function)(static_cast<PROCESS_DPI_AWARENESS>(value));
  }

  int32_t CallGetDpiForMonitor(ProcAddress function, MonitorHandle monitor, int32_t dpiType, uint32_t* dpiX,
                               uint32_t* dpiY) override {
    using Fn = HRESULT(WINAPI*)(HMONITOR, MONITOR_DPI_TYPE, UINT*, UINT*);
    return reinterpret_cast<Fn>(function)(static_cast<HMONITOR>(monitor),
                                          static_cast<MONITOR_DPI_TYPE>(dpiType), dpiX, dpiY);
  }

  bool FreeLibrary(LibraryHandle library) override {
    return ::FreeLibrary(static_cast<HMODULE>(library)) != FALSE;
  }

  LibraryHandle ModuleFromAddress(const void* address) override {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCWSTR>(address), &module))
      return nullptr;
    return module;
  }

  uint32_t GetModuleFileNameW(LibraryHandle module, char16_t* buffer, uint32_t size) override {
    return ::GetModuleFileNameW(static_cast<HMODULE>(module), Wide(buffer), size);
  }

  bool PinModule(const void* address) override {
    HMODULE module = nullptr;
    return ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                                static_cast<LPCWSTR>(address), &module) != FALSE;
  }
};

}  // namespace

std::unique_ptr<System> CreateWin32System() {
  return std::make_unique<Win32System>();
}

}  // namespace platform::win32
