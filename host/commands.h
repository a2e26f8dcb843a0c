#pragma once

#include "host/host_options.h"

class ModuleLibrary;

// Each command returns the process exit code.
int ShowInfo(ModuleLibrary& module, const HostOptions& options);
int ShowHelp(ModuleLibrary& module, const HostOptions& options);
int ListReaders(ModuleLibrary& module, const HostOptions& options);
int RunTest(ModuleLibrary& module, const HostOptions& options);
