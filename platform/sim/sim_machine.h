#pragma once

#include <memory>

#include "common/sim_machine_file.h"

namespace platform::sim {

// The description's model and reader are shared with diag-host.
using common::DefaultMachine;
using common::EmptyMachine;
using common::ParseMachine;
using common::SimMachine;
using common::SimReader;
using common::SimRemovedDevice;
using common::SimSensor;
using common::SimSystemSettings;

// The machine in force: read once per process from the file named by
// FINGERPRINT_SIM (or the built-in one). A bad file is reported on standard
// error and gives a machine without readers.
std::shared_ptr<const SimMachine> CurrentMachine();

// Replaces the machine in force for its lifetime (tests).
class ScopedMachine {
 public:
  explicit ScopedMachine(SimMachine machine);
  ~ScopedMachine();
  ScopedMachine(const ScopedMachine&) = delete;
  ScopedMachine& operator=(const ScopedMachine&) = delete;

 private:
  std::shared_ptr<const SimMachine> saved_;
};

}  // namespace platform::sim
