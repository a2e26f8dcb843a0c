#include "platform/sim/sim_machine.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include <QString>

namespace platform::sim {
namespace {

std::shared_ptr<const SimMachine> LoadFromEnvironment() {
  const char* path = std::getenv(common::kSimMachineVariable);
  if (!path || !*path) return std::make_shared<const SimMachine>(DefaultMachine());
  QString error;
  const std::optional<SimMachine> machine = common::ReadMachineFile(QString::fromLocal8Bit(path), &error);
  if (!machine) {
    std::fprintf(stderr, "%s: %s; simulating a machine without readers\n", common::kSimMachineVariable,
                 error.toLocal8Bit().constData());
    return std::make_shared<const SimMachine>(EmptyMachine());
  }
  return std::make_shared<const SimMachine>(*machine);
}

std::mutex g_machineMutex;
std::shared_ptr<const SimMachine>& Slot() {
  static std::shared_ptr<const SimMachine> machine;
  return machine;
}

}  // namespace

std::shared_ptr<const SimMachine> CurrentMachine() {
  std::lock_guard<std::mutex> lock(g_machineMutex);
  if (!Slot()) Slot() = LoadFromEnvironment();
  return Slot();
}

ScopedMachine::ScopedMachine(SimMachine machine) : saved_(CurrentMachine()) {
  std::lock_guard<std::mutex> lock(g_machineMutex);
  Slot() = std::make_shared<const SimMachine>(std::move(machine));
}

ScopedMachine::~ScopedMachine() {
  std::lock_guard<std::mutex> lock(g_machineMutex);
  Slot() = saved_;
}

}  // namespace platform::sim
