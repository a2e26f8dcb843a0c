#include "utils/high_contrast.h"

#include <cstdint>

#include "common/sys_color_index.h"
#include "platform/platform.h"
#include "platform/system.h"

namespace kivra::utils {

bool IsHighContrastOn() {
  platform::HighContrastData contrast{};
  contrast.cbSize = sizeof(contrast);
  if (!platform::system().SystemParametersInfoW(platform::kSpiGetHighContrast, sizeof(contrast), &contrast,
                                                0))
    return false;
  return (contrast.dwFlags & platform::kHcfHighContrastOn) != 0;
}

SystemColorTable SystemColors() {
  SystemColorTable colors;
  colors.reserve(kSystemColorCount);
  platform::System& system = platform::system();
  for (int32_t index = 0; index <= common::kLastSysColorIndex; ++index) {
    if (index == common::kUnusedSysColorIndex) continue;
    // COLORREF: red in the lowest byte.
    const uint32_t value = system.GetSysColor(index);
    colors.emplace_back(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                        static_cast<int>((value >> 16) & 0xFF), 255);
  }
  return colors;
}

}  // namespace kivra::utils
