#include "platform/win32/win32_foreground.h"

#include <windows.h>

namespace platform::win32 {

bool ProcessOwnsForegroundWindow() {
  const HWND window = ::GetForegroundWindow();
  if (!window) return false;
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  return process == ::GetCurrentProcessId();
}

}  // namespace platform::win32
