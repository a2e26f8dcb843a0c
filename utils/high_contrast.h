#pragma once

#include <vector>

#include <QColor>

namespace kivra::utils {

// A snapshot of 30 Windows system colours, opaque. Position i holds system
// colour i for i up to 24; positions 25 to 29 hold system colours 26 to 30
// (COLOR_HOTLIGHT, COLOR_GRADIENTACTIVECAPTION, COLOR_GRADIENTINACTIVECAPTION,
// COLOR_MENUHILIGHT, COLOR_MENUBAR); index 25 does not exist.
using SystemColorTable = std::vector<QColor>;

inline constexpr int kSystemColorCount = 30;

// True when Windows high contrast is on; false also when the query fails.
bool IsHighContrastOn();

// A fresh snapshot of the system colours.
SystemColorTable SystemColors();

}  // namespace kivra::utils
