#pragma once

#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include "platform/platform.h"
#include "platform/sim/sim_machine.h"
#include "platform/winbio_types.h"

namespace fp_test {

// The built-in simulated machine with changes.
template <class Change>
platform::sim::SimMachine Machine(Change change) {
  platform::sim::SimMachine machine = platform::sim::DefaultMachine();
  change(machine);
  return machine;
}

#ifdef FP_SIM_DATA
// A machine file of tests/data/sim, which must parse.
inline platform::sim::SimMachine MachineFile(const std::string& name) {
  QFile file(QStringLiteral(FP_SIM_DATA "/") + QString::fromStdString(name));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
  std::string error;
  const auto machine = platform::sim::ParseMachine(file.readAll().toStdString(), &error);
  EXPECT_TRUE(machine) << name << ": " << error;
  return machine.value_or(platform::sim::EmptyMachine());
}
#endif

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
