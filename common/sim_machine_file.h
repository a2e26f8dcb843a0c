#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QString>

// The simulated machine's description file (FINGERPRINT_SIM): its data model,
// reading and checking. The simulated services answer from it; diag-host
// reads the same file to refuse a bad one and to say what it simulates.
namespace common {

// The environment variable that names the file.
inline constexpr const char* kSimMachineVariable = "FINGERPRINT_SIM";

struct SimReader {
  std::string manufacturer = "Virtual";
  std::string model = "Touch Sensor";
  std::string description = "Simulated fingerprint reader";
  uint32_t capabilities = 1;
  uint32_t unitId = 1;
  std::string deviceInstanceId = "ROOT\\BIOMETRIC\\0000";
};

// A device of the biometric class that was removed: still in the device
// tree, with its driver key, but not present.
struct SimRemovedDevice {
  std::string deviceInstanceId;
  std::string driverVersion;
};

struct SimSensor {
  std::optional<uint32_t> touchAfterMs = 1500;  // nullopt: never touched
  int32_t locateHresult = 0;                    // negative: every wait fails at once
  // A driver that does not honour WinBioCancel: neither a cancellation nor
  // closing the session ends a pending wait, only the touch.
  bool ignoresCancel = false;
  // How long opening and closing a session take (a hung driver: long).
  uint32_t openSessionMs = 0;
  uint32_t closeSessionMs = 0;
  // The units touched, one per wait in turn (the last one repeats); empty:
  // the first reader's.
  std::vector<uint32_t> touchedUnits;
  // Touches reach only a process that owns the foreground window, as the
  // system pool's WinBioLocateSensor waits for focus.
  bool needsForeground = false;
};

struct SimSystemSettings {
  std::string userName = "user";
  std::string programData;  // "<temp>/ProgramData" unless given
  std::vector<std::string> uiLanguages{"en-US"};
  bool highContrast = false;
  int32_t dpi = 96;  // 0: the DPI query fails
  bool tokenFails = false;
  std::map<int, uint32_t> sysColors;  // index -> 0x00BBGGRR, as GetSysColor answers
  // Set: the tick count starts here and moves only by Sleep, which returns at
  // once, so timing can be checked exactly. Unset: the real monotonic clock.
  std::optional<uint32_t> manualClockStartMs;
};

// The simulated machine: what the simulated Windows services report.
struct SimMachine {
  std::vector<SimReader> readers{SimReader{}};
  std::vector<SimRemovedDevice> removedDevices;  // in the class before the readers
  int32_t enumerateHresult = 0;
  std::string driverVersion = "1.0.0.0";  // "": no version value
  int32_t openSessionHresult = 0;
  bool essCapable = false;   // WinBioIsESSCapable's answer
  uint32_t enumerateMs = 0;  // how long WinBioEnumBiometricUnits takes (a service starting: long)
  SimSensor sensor;
  SimSystemSettings system;
};

// Parses a machine description. On failure returns nullopt and sets `error`
// to a one-line description of the problem.
std::optional<SimMachine> ParseMachine(const std::string& json, std::string* error);

// The built-in machine, with every default filled in.
SimMachine DefaultMachine();

// A machine with no readers; used after a simulation file could not be read.
SimMachine EmptyMachine();

// The file at `path`: nullopt, with `error` naming the file and the problem
// ("cannot read simulation file '...': ..." or "bad simulation file '...':
// readers: expected an array"), when it cannot be read or used.
std::optional<SimMachine> ReadMachineFile(const QString& path, QString* error);

}  // namespace common
