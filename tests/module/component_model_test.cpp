#include <gtest/gtest.h>
#include <map>
#include <type_traits>

#include "contract/component_id.h"

namespace {

// The key packs the three numbers; identity and order follow the key alone.
TEST(ComponentIdTest, KeyPacksTheNumbersAndAloneDecidesIdentityAndOrder) {
  ComponentId a{22, 1, 1};
  EXPECT_EQ(a.key, (uint64_t{22} << 48) + (uint64_t{1} << 24) + 1);
  EXPECT_EQ(ComponentId{}.key, 0u);
  static_assert(std::is_trivially_copyable_v<ComponentId>);

  ComponentId b = a;
  b.module = 3;  // fields disagree, key agrees
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a != b);
  EXPECT_FALSE(a < b);

  const ComponentId big{1, 0, 0};
  const ComponentId small{0, 0xFFFFFF, 0xFFFFFF};
  EXPECT_TRUE(small < big);  // unsigned 64-bit order of the keys
  const std::map<ComponentId, int, ComponentIdLess> ordered{{big, 1}, {small, 2}};
  EXPECT_EQ(ordered.begin()->second, 2);
}

}  // namespace
