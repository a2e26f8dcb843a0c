#pragma once

#include "common/backend_choice.h"

// The backend the module runs on, and why, for display. The host sees only
// the module's exports, so it applies the module's own rule
// (common/backend_choice.h) to the same facts, asked the same way: the
// environment, what this build has, and whether fprintd is on the system bus.
// Worked out once per process.
const common::BackendChoice& BackendInUse();
