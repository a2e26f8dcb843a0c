#pragma once

namespace platform::posix {

// Keeps the shared object that contains `address` loaded until the process
// ends, whoever closes it: a reference taken with RTLD_NODELETE is never given
// back. RTLD_NOLOAD makes sure this loads nothing.
bool PinModuleContaining(const void* address);

}  // namespace platform::posix
