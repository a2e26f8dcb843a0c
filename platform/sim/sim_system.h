#pragma once

#include <memory>

#include "platform/system.h"

namespace platform::sim {

// Where the user's preferred UI languages come from: the machine
// description, or the Linux desktop the process runs on.
enum class UiLanguageSource { Machine, Desktop };

// Tick count, desktop, languages, folders, colours and DPI of the simulated machine.
std::unique_ptr<System> CreateSimSystem(UiLanguageSource languages = UiLanguageSource::Machine);

}  // namespace platform::sim
