// The one rule that chooses the backend: what the environment asks for comes
// first, the simulated machine only when asked, and the system bus is asked
// about fprintd only when the choice depends on it.
#include "common/backend_choice.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

using common::BackendFacts;
using common::BackendRequest;
using common::ServicePresence;

TEST(BackendChoiceTest, EnvironmentFirstThenFprintdThenLibfprintNeverTheSimulatedMachineUnasked) {
  const ServicePresence running{true, "fprintd is running on the system bus"};
  const ServicePresence absent{false, "fprintd is not on the system bus"};
  enum Build { kEverything, kNoDbus, kNoLibfprint, kWindows };
  const struct {
    std::optional<std::string> backend;
    bool simFile;
    Build build;
    ServicePresence fprintd;
    const char* name;
    const char* reason;
    bool busAsked;
  } rows[] = {
      {{}, false, kEverything, running, "fprintd", "fprintd is running on the system bus", true},
      {{}, false, kEverything, absent, "libfprint", "fprintd is not on the system bus", true},
      {{},
       false,
       kNoLibfprint,
       absent,
       "none",
       "fprintd is not on the system bus, and this build has no libfprint",
       true},
      {{}, false, kNoDbus, running, "libfprint", "this build has no D-Bus support for fprintd", false},
      {{}, true, kEverything, running, "sim", "FINGERPRINT_SIM is set", false},
      {"Sim", false, kEverything, running, "sim", "FINGERPRINT_BACKEND=Sim", false},
      {"libfprint", true, kEverything, running, "libfprint", "FINGERPRINT_BACKEND=libfprint", false},
      {"fprintd", false, kEverything, absent, "fprintd", "FINGERPRINT_BACKEND=fprintd", false},
      {"libfprint", false, kNoLibfprint, running, "none",
       "FINGERPRINT_BACKEND=libfprint, but this build has no libfprint", false},
      {"fprintd", false, kNoDbus, running, "none",
       "FINGERPRINT_BACKEND=fprintd, but this build has no D-Bus support", false},
      {"simulated", false, kEverything, running, "none",
       "FINGERPRINT_BACKEND=simulated names no backend; known: sim, fprintd, libfprint", false},
      {"sim", true, kWindows, running, "win32", "the Windows Biometric Framework", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.reason);
    int busAsked = 0;
    BackendFacts facts;
    facts.windows = row.build == kWindows;
    facts.fprintdBuilt = row.build != kNoDbus;
    facts.libfprintBuilt = row.build != kNoLibfprint;
    facts.fprintdPresence = [&] {
      ++busAsked;
      return row.fprintd;
    };
    const common::BackendChoice choice =
        common::ChooseBackend(BackendRequest{row.backend, row.simFile}, facts);
    EXPECT_EQ(choice.name, row.name);
    EXPECT_EQ(choice.reason, row.reason);
    EXPECT_EQ(busAsked, row.busAsked ? 1 : 0);
  }
}

}  // namespace
