#pragma once

#include <atomic>
#include <cstring>
#include <gmock/gmock.h>
#include <string>

#include "platform/biometric_service.h"
#include "platform/device_registry.h"
#include "platform/platform.h"
#include "platform/security.h"
#include "platform/system.h"

class MockBiometricService : public platform::BiometricService {
 public:
  MOCK_METHOD(HRESULT_T, EnumBiometricUnits, (WINBIO_BIOMETRIC_TYPE, WINBIO_UNIT_SCHEMA**, size_t*),
              (override));
  MOCK_METHOD(HRESULT_T, Free, (void*), (override));
  MOCK_METHOD(HRESULT_T, OpenSession,
              (WINBIO_BIOMETRIC_TYPE, WINBIO_POOL_TYPE, WINBIO_SESSION_FLAGS, WINBIO_UNIT_ID*, size_t,
               const WINBIO_GUID*, WINBIO_SESSION_HANDLE*),
              (override));
  MOCK_METHOD(HRESULT_T, CloseSession, (WINBIO_SESSION_HANDLE), (override));
  MOCK_METHOD(HRESULT_T, LocateSensor, (WINBIO_SESSION_HANDLE, WINBIO_UNIT_ID*), (override));
  MOCK_METHOD(HRESULT_T, Cancel, (WINBIO_SESSION_HANDLE), (override));
  MOCK_METHOD(HRESULT_T, DeleteTemplate,
              (WINBIO_SESSION_HANDLE, WINBIO_UNIT_ID, const WINBIO_IDENTITY*, WINBIO_BIOMETRIC_SUBTYPE),
              (override));
  MOCK_METHOD(HRESULT_T, GetProperty,
              (WINBIO_SESSION_HANDLE, WINBIO_PROPERTY_TYPE, WINBIO_PROPERTY_ID, WINBIO_UNIT_ID,
               const WINBIO_IDENTITY*, WINBIO_BIOMETRIC_SUBTYPE, void**, size_t*),
              (override));
};

class MockDeviceRegistry : public platform::DeviceRegistry {
 public:
  MOCK_METHOD(platform::DevInfoSet, SetupDiGetClassDevs,
              (const WINBIO_GUID*, const char16_t*, void*, uint32_t), (override));
  MOCK_METHOD(bool, SetupDiEnumDeviceInfo, (platform::DevInfoSet, uint32_t, platform::DEVINFO_DATA*),
              (override));
  MOCK_METHOD(bool, SetupDiGetDeviceRegistryProperty,
              (platform::DevInfoSet, platform::DEVINFO_DATA*, uint32_t, uint32_t*, uint8_t*, uint32_t,
               uint32_t*),
              (override));
  MOCK_METHOD(bool, SetupDiDestroyDeviceInfoList, (platform::DevInfoSet), (override));
  MOCK_METHOD(int32_t, RegGetValue,
              (platform::RegKey, const char16_t*, const char16_t*, uint32_t, uint32_t*, void*, uint32_t*),
              (override));
  MOCK_METHOD(int32_t, RegOpenKeyEx,
              (platform::RegKey, const char16_t*, uint32_t, uint32_t, platform::RegKey*), (override));
  MOCK_METHOD(int32_t, RegEnumKeyEx, (platform::RegKey, uint32_t, char16_t*, uint32_t*), (override));
  MOCK_METHOD(int32_t, RegEnableReflectionKey, (platform::RegKey), (override));
  MOCK_METHOD(int32_t, RegFlushKey, (platform::RegKey), (override));
  MOCK_METHOD(int32_t, RegCloseKey, (platform::RegKey), (override));
};

class MockSecurity : public platform::Security {
 public:
  MOCK_METHOD(platform::Handle, GetCurrentProcess, (), (override));
  MOCK_METHOD(bool, OpenProcessToken, (platform::Handle, uint32_t, platform::Handle*), (override));
  MOCK_METHOD(bool, GetTokenInformation, (platform::Handle, int, void*, uint32_t, uint32_t*), (override));
  MOCK_METHOD(bool, CopySid, (uint32_t, void*, void*), (override));
  MOCK_METHOD(uint32_t, GetLengthSid, (void*), (override));
  MOCK_METHOD(uint32_t, GetLastError, (), (override));
  MOCK_METHOD(bool, CloseHandle, (platform::Handle), (override));
};

// A tick count that moves only when told to, or by each Sleep, which returns
// at once. Every other system service is the native one.
class FakeSystem : public platform::System {
 public:
  explicit FakeSystem(uint32_t start = 0) : ticks_(start) {}
  uint32_t GetTickCount() override { return ticks_.load(); }
  void Sleep(uint32_t milliseconds) override {
    slept_ += milliseconds;
    sleeps_ += 1;
    ticks_ += milliseconds;
  }
  void Advance(uint32_t milliseconds) { ticks_ += milliseconds; }
  uint64_t slept() const { return slept_.load(); }
  uint64_t sleeps() const { return sleeps_.load(); }

  bool GetUserPreferredUILanguages(uint32_t flags, uint32_t* count, char16_t* buffer,
                                   uint32_t* size) override {
    return native_->GetUserPreferredUILanguages(flags, count, buffer, size);
  }
  bool GetUserNameW(char16_t* buffer, uint32_t* size) override { return native_->GetUserNameW(buffer, size); }
  uint32_t GetCurrentDirectoryW(uint32_t length, char16_t* buffer) override {
    return native_->GetCurrentDirectoryW(length, buffer);
  }
  int32_t SHGetKnownFolderPath(const platform::Guid& id, uint32_t flags, void* token,
                               char16_t** path) override {
    return native_->SHGetKnownFolderPath(id, flags, token, path);
  }
  void CoTaskMemFree(void* memory) override { native_->CoTaskMemFree(memory); }
  uint32_t GetSysColor(int32_t index) override { return native_->GetSysColor(index); }
  bool SystemParametersInfoW(uint32_t action, uint32_t param, void* data, uint32_t winIni) override {
    return native_->SystemParametersInfoW(action, param, data, winIni);
  }
  uint32_t MessageNumber(const void* message) override { return native_->MessageNumber(message); }
  platform::WindowHandle GetDesktopWindow() override { return native_->GetDesktopWindow(); }
  platform::MonitorHandle MonitorFromWindow(platform::WindowHandle window, uint32_t flags) override {
    return native_->MonitorFromWindow(window, flags);
  }
  platform::LibraryHandle LoadLibraryExW(const char16_t* name, uint32_t flags) override {
    return native_->LoadLibraryExW(name, flags);
  }
  platform::ProcAddress GetProcAddress(platform::LibraryHandle library, const char* name) override {
    return native_->GetProcAddress(library, name);
  }
  bool FreeLibrary(platform::LibraryHandle library) override { return native_->FreeLibrary(library); }
  int32_t CallSetProcessDpiAwareness(platform::ProcAddress function, int32_t value) override {
    return native_->CallSetProcessDpiAwareness(function, value);
  }
  int32_t CallGetDpiForMonitor(platform::ProcAddress function, platform::MonitorHandle monitor, int32_t type,
                               uint32_t* dpiX, uint32_t* dpiY) override {
    return native_->CallGetDpiForMonitor(function, monitor, type, dpiX, dpiY);
  }
  platform::LibraryHandle ModuleFromAddress(const void* address) override {
    return native_->ModuleFromAddress(address);
  }
  uint32_t GetModuleFileNameW(platform::LibraryHandle module, char16_t* buffer, uint32_t size) override {
    return native_->GetModuleFileNameW(module, buffer, size);
  }

 private:
  std::atomic<uint32_t> ticks_;
  std::atomic<uint64_t> slept_{0};
  std::atomic<uint64_t> sleeps_{0};
  platform::System* native_ = &platform::system();  // the service in force before this fake
};

inline void SetText(WINBIO_STRING& target, const std::u16string& text) {
  std::memset(target, 0, sizeof(WINBIO_STRING));
  std::memcpy(target, text.data(),
              std::min<size_t>(text.size(), WINBIO_STRING_LENGTH - 1) * sizeof(char16_t));
}

inline WINBIO_UNIT_SCHEMA MakeUnit(const std::u16string& manufacturer, const std::u16string& model,
                                   const std::u16string& description = u"Touch sensor",
                                   uint32_t capabilities = 1, WINBIO_UNIT_ID unitId = 1) {
  WINBIO_UNIT_SCHEMA unit;
  std::memset(&unit, 0, sizeof(unit));
  unit.UnitId = unitId;
  unit.PoolType = WINBIO_POOL_SYSTEM;
  unit.BiometricFactor = WINBIO_TYPE_FINGERPRINT;
  unit.Capabilities = capabilities;
  SetText(unit.Manufacturer, manufacturer);
  SetText(unit.Model, model);
  SetText(unit.Description, description);
  SetText(unit.DeviceInstanceId, u"USB\\VID_1C7A&PID_0603\\6&1");
  return unit;
}

// Matches a NUL-terminated UTF-16 argument against a text.
MATCHER_P(U16Eq, expected, "") {
  return arg != nullptr && std::u16string(arg) == std::u16string(expected);
}
// Pass a std::u16string (not a pointer into a temporary): the matcher keeps its argument.
