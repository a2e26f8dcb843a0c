#pragma once

#include <functional>
#include <optional>
#include <string>

// Which backend a process runs on, and why: one rule for the module, which
// runs on it, and for diag-host, which names it to the user.
namespace common {

inline constexpr char kBackendVariable[] = "FINGERPRINT_BACKEND";

// What the environment asks for.
struct BackendRequest {
  std::optional<std::string> backend;  // FINGERPRINT_BACKEND, when set and not empty
  bool simFile = false;                // FINGERPRINT_SIM (kSimMachineVariable) is set

  static BackendRequest OfProcess();
};

// Whether a system service's name is on its bus; `detail` says so to a
// person ("fprintd is running on the system bus") or says why not.
struct ServicePresence {
  bool present = false;
  std::string detail;
};

// What the build and the machine offer.
struct BackendFacts {
  bool windows = false;
  bool fprintdBuilt = false;
  bool libfprintBuilt = false;
  // Asked only when the choice depends on it: it talks to the system bus.
  std::function<ServicePresence()> fprintdPresence;
};

struct BackendChoice {
  std::string name;    // "sim", "fprintd", "libfprint", "win32" or "none"
  std::string reason;  // why, for a person
};

// Windows always runs on its own framework. Elsewhere FINGERPRINT_BACKEND
// names the backend (in any case); else FINGERPRINT_SIM asks for the
// simulated machine; else the real machine: fprintd when its name is on the
// system bus, libfprint directly when not. A backend that cannot be had gives
// "none", never the simulated machine.
BackendChoice ChooseBackend(const BackendRequest& request, const BackendFacts& facts);

// The rule for this process: its environment, and what this build has.
// `fprintdPresence` asks the system bus (platform/fprintd/fprintd_presence.h);
// empty where the build has no D-Bus.
BackendChoice ChooseBackendForThisProcess(std::function<ServicePresence()> fprintdPresence);

}  // namespace common
