#include <cstdio>

#include "host/commands.h"

int RunListCommand(ModuleLibrary& /*module*/, const HostOptions& /*options*/) {
  std::fputs("diag-host: 'list' is not available yet\n", stderr);
  return 2;
}
