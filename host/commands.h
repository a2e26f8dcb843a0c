#pragma once

#include "host/host_options.h"

class ModuleLibrary;

// Each command returns the process exit code.
int RunInfoCommand(ModuleLibrary& module, const HostOptions& options);
int RunHelpCommand(ModuleLibrary& module, const HostOptions& options);
int RunListCommand(ModuleLibrary& module, const HostOptions& options);
int RunRunCommand(ModuleLibrary& module, const HostOptions& options);
