#pragma once

#include <gmock/gmock.h>
#include <memory>
#include <string>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include "platform/platform.h"
#include "platform/sim/sim_machine.h"
#include "platform/system.h"

namespace fp_test {

// A system service that answers like the simulated machine unless a test
// says otherwise, and records every call for EXPECT_CALL.
class MockSystem : public platform::System {
 public:
  MockSystem() : native_(&platform::system()) {
    using ::testing::_;
    using ::testing::Invoke;
    platform::System* n = native_;
    ON_CALL(*this, GetTickCount()).WillByDefault(Invoke(n, &platform::System::GetTickCount));
    ON_CALL(*this, Sleep(_)).WillByDefault(Invoke(n, &platform::System::Sleep));
    ON_CALL(*this, GetUserPreferredUILanguages(_, _, _, _))
        .WillByDefault(Invoke(n, &platform::System::GetUserPreferredUILanguages));
    ON_CALL(*this, GetUserNameW(_, _)).WillByDefault(Invoke(n, &platform::System::GetUserNameW));
    ON_CALL(*this, GetCurrentDirectoryW(_, _))
        .WillByDefault(Invoke(n, &platform::System::GetCurrentDirectoryW));
    ON_CALL(*this, SHGetKnownFolderPath(_, _, _, _))
        .WillByDefault(Invoke(n, &platform::System::SHGetKnownFolderPath));
    ON_CALL(*this, CoTaskMemFree(_)).WillByDefault(Invoke(n, &platform::System::CoTaskMemFree));
    ON_CALL(*this, GetSysColor(_)).WillByDefault(Invoke(n, &platform::System::GetSysColor));
    ON_CALL(*this, SystemParametersInfoW(_, _, _, _))
        .WillByDefault(Invoke(n, &platform::System::SystemParametersInfoW));
    ON_CALL(*this, MessageNumber(_)).WillByDefault(Invoke(n, &platform::System::MessageNumber));
    ON_CALL(*this, GetDesktopWindow()).WillByDefault(Invoke(n, &platform::System::GetDesktopWindow));
    ON_CALL(*this, MonitorFromWindow(_, _)).WillByDefault(Invoke(n, &platform::System::MonitorFromWindow));
    ON_CALL(*this, LoadLibraryExW(_, _)).WillByDefault(Invoke(n, &platform::System::LoadLibraryExW));
    ON_CALL(*this, GetProcAddress(_, _)).WillByDefault(Invoke(n, &platform::System::GetProcAddress));
    ON_CALL(*this, FreeLibrary(_)).WillByDefault(Invoke(n, &platform::System::FreeLibrary));
    ON_CALL(*this, CallSetProcessDpiAwareness(_, _))
        .WillByDefault(Invoke(n, &platform::System::CallSetProcessDpiAwareness));
    ON_CALL(*this, CallGetDpiForMonitor(_, _, _, _, _))
        .WillByDefault(Invoke(n, &platform::System::CallGetDpiForMonitor));
    ON_CALL(*this, ModuleFromAddress(_)).WillByDefault(Invoke(n, &platform::System::ModuleFromAddress));
    ON_CALL(*this, GetModuleFileNameW(_, _, _))
        .WillByDefault(Invoke(n, &platform::System::GetModuleFileNameW));
  }

  platform::System& native() { return *native_; }

  MOCK_METHOD(uint32_t, GetTickCount, (), (override));
  MOCK_METHOD(void, Sleep, (uint32_t), (override));
  MOCK_METHOD(bool, GetUserPreferredUILanguages, (uint32_t, uint32_t*, char16_t*, uint32_t*), (override));
  MOCK_METHOD(bool, GetUserNameW, (char16_t*, uint32_t*), (override));
  MOCK_METHOD(uint32_t, GetCurrentDirectoryW, (uint32_t, char16_t*), (override));
  MOCK_METHOD(int32_t, SHGetKnownFolderPath, (const platform::Guid&, uint32_t, void*, char16_t**),
              (override));
  MOCK_METHOD(void, CoTaskMemFree, (void*), (override));
  MOCK_METHOD(uint32_t, GetSysColor, (int32_t), (override));
  MOCK_METHOD(bool, SystemParametersInfoW, (uint32_t, uint32_t, void*, uint32_t), (override));
  MOCK_METHOD(uint32_t, MessageNumber, (const void*), (override));
  MOCK_METHOD(platform::WindowHandle, GetDesktopWindow, (), (override));
  MOCK_METHOD(platform::MonitorHandle, MonitorFromWindow, (platform::WindowHandle, uint32_t), (override));
  MOCK_METHOD(platform::LibraryHandle, LoadLibraryExW, (const char16_t*, uint32_t), (override));
  MOCK_METHOD(platform::ProcAddress, GetProcAddress, (platform::LibraryHandle, const char*), (override));
  MOCK_METHOD(bool, FreeLibrary, (platform::LibraryHandle), (override));
  MOCK_METHOD(int32_t, CallSetProcessDpiAwareness, (platform::ProcAddress, int32_t), (override));
  MOCK_METHOD(int32_t, CallGetDpiForMonitor,
              (platform::ProcAddress, platform::MonitorHandle, int32_t, uint32_t*, uint32_t*), (override));
  MOCK_METHOD(platform::LibraryHandle, ModuleFromAddress, (const void*), (override));
  MOCK_METHOD(uint32_t, GetModuleFileNameW, (platform::LibraryHandle, char16_t*, uint32_t), (override));

 private:
  platform::System* native_;  // the service in force before this mock
};

// Installs a mock system service for the lifetime of the object.
class ScopedMockSystem {
 public:
  ScopedMockSystem() : scope_(platform::Services{nullptr, nullptr, &mock_, nullptr}) {}
  ::testing::NiceMock<MockSystem>& operator*() { return mock_; }
  ::testing::NiceMock<MockSystem>* operator->() { return &mock_; }

 private:
  ::testing::NiceMock<MockSystem> mock_;
  platform::ScopedServices scope_;
};

// The built-in simulated machine with changes.
template <class Change>
platform::sim::SimMachine Machine(Change change) {
  platform::sim::SimMachine machine = platform::sim::DefaultMachine();
  change(machine);
  return machine;
}

// Makes `path` the process's current directory for the lifetime of the object.
class ScopedCurrentDir {
 public:
  explicit ScopedCurrentDir(const QString& path) : saved_(QDir::currentPath()) { QDir::setCurrent(path); }
  ~ScopedCurrentDir() { QDir::setCurrent(saved_); }
  ScopedCurrentDir(const ScopedCurrentDir&) = delete;
  ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

 private:
  QString saved_;
};

inline bool WriteFile(const QString& path, const QByteArray& content) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

inline QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline std::u16string U16(const char* utf8) {
  return QString::fromUtf8(utf8).toStdU16String();
}

}  // namespace fp_test

namespace fp_test {

// "#rrggbb" as the colour reference GetSysColor answers (red in the lowest byte).
inline uint32_t ColorRef(const char* rgb) {
  const uint32_t value = static_cast<uint32_t>(std::stoul(std::string(rgb + 1), nullptr, 16));
  return ((value >> 16) & 0xFF) | (value & 0xFF00) | ((value & 0xFF) << 16);
}

}  // namespace fp_test
