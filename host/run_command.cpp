#include <cstdio>

#include "host/commands.h"

int RunRunCommand(ModuleLibrary& /*module*/, const HostOptions& /*options*/) {
  std::fputs("diag-host: 'run' is not available yet\n", stderr);
  return 2;
}
