#include <cstring>
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/security.h"
#include "platform/sim/sim_machine.h"

namespace {

platform::Security& Security() {
  return platform::security();
}

TEST(SimSecurityTest, TokenUserIsAPlausibleLocalAccountSid) {
  platform::sim::ScopedMachine machine(platform::sim::DefaultMachine());
  platform::Handle token = nullptr;
  ASSERT_TRUE(Security().OpenProcessToken(Security().GetCurrentProcess(), platform::kTokenRead, &token));
  ASSERT_NE(token, nullptr);

  uint32_t needed = 0;
  EXPECT_FALSE(Security().GetTokenInformation(token, platform::TokenUserClass, nullptr, 0, &needed));
  EXPECT_EQ(Security().GetLastError(), 122u);  // ERROR_INSUFFICIENT_BUFFER
  alignas(8) unsigned char buffer[88] = {};
  ASSERT_GE(sizeof(buffer), needed);
  uint32_t length = 0;
  ASSERT_TRUE(
      Security().GetTokenInformation(token, platform::TokenUserClass, buffer, sizeof(buffer), &length));
  platform::TOKEN_USER_DATA user;
  std::memcpy(&user, buffer, sizeof(user));
  const auto* sid = static_cast<const unsigned char*>(user.Sid);
  EXPECT_EQ(sid[0], 1);  // revision
  EXPECT_EQ(sid[1], 5);  // S-1-5-21-x-y-z-rid
  EXPECT_EQ(sid[7], 5);  // NT authority
  EXPECT_EQ(sid[8], 21);
  EXPECT_EQ(Security().GetLengthSid(user.Sid), 28u);

  unsigned char copy[68] = {};
  EXPECT_FALSE(Security().CopySid(27, copy, user.Sid));
  ASSERT_TRUE(Security().CopySid(sizeof(copy), copy, user.Sid));
  EXPECT_EQ(std::memcmp(copy, sid, 28), 0);
  EXPECT_TRUE(Security().CloseHandle(token));
}

TEST(SimSecurityTest, FailingTokenIsAccessDenied) {
  platform::sim::SimMachine description = platform::sim::DefaultMachine();
  description.system.tokenFails = true;
  platform::sim::ScopedMachine machine(description);
  platform::Handle token = reinterpret_cast<platform::Handle>(0x1);
  EXPECT_FALSE(Security().OpenProcessToken(Security().GetCurrentProcess(), platform::kTokenRead, &token));
  EXPECT_EQ(token, nullptr);
  EXPECT_EQ(Security().GetLastError(), 5u);
}

}  // namespace
