#pragma once

#include <string>

#include "suite/hostcore/file_system.h"
#include "suite/hostcore/module_loader.h"

// The suite's system-services library: process-wide services that live as
// long as the process.
namespace kivra::hostcore {

ModuleLoader* get_module();
FileSystem* get_filesystem();

// The folder for the suite's temporary files; empty unless the host set one.
// Read and written on the user-interface thread.
const std::string& get_temporary_path();
void set_temporary_path(std::string path);

}  // namespace kivra::hostcore
