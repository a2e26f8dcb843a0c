#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>
#include <type_traits>

#include "contract/component_id.h"
#include "contract/diagnostic.h"
#include "contract/test.h"

namespace {

class MinimalTest : public Test {
 public:
  using Test::Test;
  bool IsSupported(SystemComponent*) override { return false; }
  TestStatus Run(TestContext*) override { return TestStatus::Passed; }
  bool QueryTraitA() override { return true; }
};

TEST(ComponentIdTest, KeyPacksTheThreeNumbers) {
  const ComponentId id{22, 1, 1};
  EXPECT_EQ(id.key, (uint64_t{22} << 48) + (uint64_t{1} << 24) + 1);
  EXPECT_EQ(ComponentId{}.key, 0u);
  static_assert(std::is_trivially_copyable_v<ComponentId>);
}

TEST(ComponentIdTest, IdentityAndOrderFollowTheKeyOnly) {
  ComponentId a{22, 1, 1};
  ComponentId b = a;
  b.module = 3;  // fields disagree, key agrees
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a != b);
  EXPECT_FALSE(a < b);

  ComponentId big{1, 0, 0};
  ComponentId small{0, 0xFFFFFF, 0xFFFFFF};
  EXPECT_TRUE(small < big);  // unsigned 64-bit order of the keys
  std::map<ComponentId, int, ComponentIdLess> ordered{{big, 1}, {small, 2}};
  EXPECT_EQ(ordered.begin()->second, 2);
}

TEST(DiagnosticTest, IndexAndIdentifierLookups) {
  MinimalTest first(ComponentId{22, 1, 1});
  MinimalTest second(ComponentId{22, 1, 2});
  Diagnostic diagnostic(ComponentId{22, 1, 0}, {&first, &second});

  EXPECT_EQ(diagnostic.GetId(), (ComponentId{22, 1, 0}));
  EXPECT_EQ(diagnostic.GetTestCount(), 2u);
  EXPECT_EQ(diagnostic.GetTest(0), &first);
  EXPECT_EQ(diagnostic.GetTest(1), &second);
  EXPECT_EQ(diagnostic.GetTest(2), nullptr);
  EXPECT_EQ(diagnostic.FindTest(ComponentId{22, 1, 2}), &second);
  EXPECT_EQ(diagnostic.FindTest(ComponentId{22, 1, 0}), nullptr);
}

}  // namespace
