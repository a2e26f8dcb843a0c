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

// The machine in force, with its lock. Never destroyed: a call that returns
// while the process exits (one the module gave up on) may still read it.
struct MachineSlot {
  std::mutex mutex;
  std::shared_ptr<const SimMachine> machine;
};

MachineSlot& Slot() {
  static MachineSlot* const slot = new MachineSlot();
  return *slot;
}

}  // namespace

std::shared_ptr<const SimMachine> CurrentMachine() {
  MachineSlot& slot = Slot();
  std::lock_guard<std::mutex> lock(slot.mutex);
  if (!slot.machine) slot.machine = LoadFromEnvironment();
  return slot.machine;
}

ScopedMachine::ScopedMachine(SimMachine machine) : saved_(CurrentMachine()) {
  MachineSlot& slot = Slot();
  std::lock_guard<std::mutex> lock(slot.mutex);
  slot.machine = std::make_shared<const SimMachine>(std::move(machine));
}

ScopedMachine::~ScopedMachine() {
  MachineSlot& slot = Slot();
  std::lock_guard<std::mutex> lock(slot.mutex);
  slot.machine = saved_;
}

}  // namespace platform::sim
