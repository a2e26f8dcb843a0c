#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/system.h"

namespace platform::posix {

// The system services that a Linux process answers the same way whichever
// machine it stands for: the real clock, the current directory, the dynamic
// linker, and the one desktop window and monitor. shcore.dll is emulated, so
// the DPI code finds its functions; its GetDpiForMonitor answers MonitorDpi.
// The user, languages, folders, colours, contrast and DPI are the
// subclass's: the simulated machine's or the desktop's.
class PosixSystem : public System {
 public:
  uint32_t GetTickCount() override;
  void Sleep(uint32_t milliseconds) override;
  uint32_t GetCurrentDirectoryW(uint32_t bufferLength, char16_t* buffer) override;
  void CoTaskMemFree(void* memory) override;
  uint32_t MessageNumber(const void* nativeMessage) override;
  WindowHandle GetDesktopWindow() override;
  MonitorHandle MonitorFromWindow(WindowHandle window, uint32_t flags) override;
  LibraryHandle LoadLibraryExW(const char16_t* fileName, uint32_t flags) override;
  ProcAddress GetProcAddress(LibraryHandle library, const char* name) override;
  bool FreeLibrary(LibraryHandle library) override;
  int32_t CallSetProcessDpiAwareness(ProcAddress function, int32_t value) override;
  int32_t CallGetDpiForMonitor(ProcAddress function, MonitorHandle monitor, int32_t dpiType, uint32_t* dpiX,
                               uint32_t* dpiY) override;
  LibraryHandle ModuleFromAddress(const void* address) override;
  uint32_t GetModuleFileNameW(LibraryHandle module, char16_t* buffer, uint32_t size) override;
  bool PinModule(const void* address) override;

  // The DPI of the primary monitor; 0 or less makes the query fail.
  virtual int32_t MonitorDpi() = 0;

 protected:
  // The Windows calls' ways of handing out what the subclass knows.
  static bool AnswerLanguages(const std::vector<std::string>& languages, uint32_t flags,
                              uint32_t* numLanguages, char16_t* buffer, uint32_t* bufferSize);
  // An empty `name` stands for a failing call.
  static bool AnswerUserName(const std::u16string& name, char16_t* buffer, uint32_t* size);
  // The program-data folder; an empty `folder` stands for a failing call.
  static int32_t AnswerKnownFolder(const std::u16string& folder, const Guid& folderId, char16_t** path);
  static bool AnswerHighContrast(bool on, uint32_t action, void* data);
  static std::u16string Utf16(const std::string& utf8);
};

}  // namespace platform::posix
