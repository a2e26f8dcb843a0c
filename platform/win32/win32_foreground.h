#pragma once

namespace platform::win32 {

// Whether a window of this process is the foreground window
// (GetForegroundWindow + GetWindowThreadProcessId).
bool ProcessOwnsForegroundWindow();

}  // namespace platform::win32
