#pragma once

#include <QString>

#include "common/sim_machine_file.h"

// The simulated machine as the module sees it: read once per process from
// the file FINGERPRINT_SIM names, or the built-in one. On the simulated
// backend the module takes its readers and its system (languages, DPI, ...)
// from it.
class SimulatedMachine {
 public:
  // The machine in force; null, with `error` naming the file and the
  // problem, when the file cannot be used. On Windows the module reads no
  // such file: the built-in machine.
  static const SimulatedMachine* InForce(QString* error);

  const common::SimMachine& Machine() const { return machine_; }

  // Why a listing on the simulated backend found no reader, from what the
  // file tells the machine to simulate ("the simulated machine 'x.json'
  // fails the listing with 0x80004005, ..."); empty when it says nothing
  // that would.
  QString WhyNoReaders() const;

 private:
  QString file_;  // empty: the built-in machine
  common::SimMachine machine_ = common::DefaultMachine();
};

// Why the module listed no reader, where diag-host can know: on the simulated
// backend, what the machine's file tells it to simulate; empty otherwise.
QString WhyNoReaders();
