#pragma once

#include <atomic>
#include <cstring>
#include <gmock/gmock.h>
#include <string>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include "platform/platform.h"
#include "platform/sim/sim_machine.h"
#include "platform/system.h"
#include "platform/winbio_types.h"

namespace fp_test {

// The system service double: a call a test has not scripted answers its
// type's default. It can run on a clock moved only by its sleeps.
class MockSystem : public platform::System {
 public:
  // The tick count starts at `start` and moves only by Sleep, which returns at once.
  void UseFakeClock(uint32_t start) {
    ticks_ = start;
    ON_CALL(*this, GetTickCount()).WillByDefault([this] { return ticks_.load(); });
    ON_CALL(*this, Sleep).WillByDefault([this](uint32_t milliseconds) { ticks_ += milliseconds; });
  }
  uint32_t Ticks() const { return ticks_.load(); }

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
  std::atomic<uint32_t> ticks_{0};
};

// Installs the system double (and optionally a biometric service) for the
// lifetime of the object.
class ScopedMockSystem {
 public:
  explicit ScopedMockSystem(platform::BiometricService* biometric = nullptr)
      : scope_(platform::Services{biometric, nullptr, &mock_, nullptr}) {}
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

}  // namespace fp_test

inline void SetText(WINBIO_STRING& target, const std::u16string& text) {
  std::memset(target, 0, sizeof(WINBIO_STRING));
  std::memcpy(target, text.data(),
              std::min<size_t>(text.size(), WINBIO_STRING_LENGTH - 1) * sizeof(char16_t));
}

// One record of the framework's unit array.
inline WINBIO_UNIT_SCHEMA MakeUnit(const std::u16string& manufacturer, const std::u16string& model,
                                   const std::u16string& description = u"Touch sensor",
                                   uint32_t capabilities = 1, WINBIO_UNIT_ID unitId = 1) {
  WINBIO_UNIT_SCHEMA unit{};
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
