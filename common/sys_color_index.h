#pragma once

// The indices of Windows' system colours (GetSysColor), which the simulated
// machine's file and the high-contrast styling both walk.
namespace common {

// COLOR_MENUBAR, the last system colour; COLOR_SCROLLBAR (0) is the first.
inline constexpr int kLastSysColorIndex = 30;
// The one index in between that names no colour.
inline constexpr int kUnusedSysColorIndex = 25;

}  // namespace common
