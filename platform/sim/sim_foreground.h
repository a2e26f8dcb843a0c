#pragma once

#include <functional>

namespace platform::sim {

// Whether this process owns the foreground window, as the simulated machine
// sees it: one of the application's windows has the focus. Safe to call from
// any thread; true in a process without a graphical application.
std::function<bool()> SimForegroundProbe();

}  // namespace platform::sim
