#include "utils/high_contrast.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_machine.h"
#include "tests/support/test_support.h"

namespace {

using platform::sim::ScopedMachine;
using platform::sim::SimMachine;

TEST(HighContrastTest, SnapshotHasThirtyOpaqueColoursWithoutIndex25) {
  ScopedMachine machine(fp_test::Machine([](SimMachine& m) {
    for (int index = 0; index <= 30; ++index)
      m.system.sysColors[index] = 0x00030201u * static_cast<uint32_t>(index);
    m.system.sysColors[24] = 0x563412;  // red in the lowest byte
    m.system.sysColors[26] = 0xefcdab;
  }));
  const kivra::utils::SystemColorTable colors = kivra::utils::SystemColors();
  ASSERT_EQ(colors.size(), 30u);
  for (const QColor& color : colors) EXPECT_EQ(color.alpha(), 255);
  EXPECT_EQ(colors[24], QColor(0x12, 0x34, 0x56)) << "red is the lowest byte";
  EXPECT_EQ(colors[25], QColor(0xab, 0xcd, 0xef)) << "position 25 holds colour 26";
  EXPECT_EQ(colors[29], QColor(30, 60, 90)) << "position 29 holds colour 30";
}

}  // namespace
