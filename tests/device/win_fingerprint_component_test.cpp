#include "device/win_fingerprint_component.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/sim/sim_machine.h"
#include "tests/support/platform_fakes.h"

namespace {

using ::testing::_;
using ::testing::AllOf;
using ::testing::DoAll;
using ::testing::Field;
using ::testing::InSequence;
using ::testing::NotNull;
using ::testing::Pointee;
using ::testing::Return;
using ::testing::SetArgPointee;
using ::testing::StrictMock;

constexpr WINBIO_SESSION_HANDLE kHandle = 0x51;
constexpr WINBIO_UNIT_ID kUnitId = 7;

// The simulated process user, S-1-5-21-1004336348-1177238915-682003330-1001.
const std::vector<uint8_t> kSimUserSid = {1,    5,    0,    0,    0,    0,    0,    5,    21,   0,
                                          0,    0,    0xDC, 0xF4, 0xDC, 0x3B, 0x83, 0x3D, 0x2B, 0x46,
                                          0x82, 0x8B, 0xA6, 0x28, 0xE9, 0x03, 0x00, 0x00};

MATCHER(IsNullIdentity, "") {
  return arg != nullptr && arg->Type == WINBIO_ID_TYPE_NULL;
}
MATCHER_P(IsSidIdentity, sid, "") {
  return arg != nullptr && arg->Type == WINBIO_ID_TYPE_SID && arg->Value.AccountSid.Size == sid.size() &&
         std::equal(sid.begin(), sid.end(), arg->Value.AccountSid.Data);
}

class ComponentTest : public ::testing::Test {
 protected:
  ComponentTest() : machine_(platform::sim::DefaultMachine()) {
    units_[0] = MakeUnit(u"Acme", u"X1", u"Touch sensor", 1, kUnitId);
    units_[1] = MakeUnit(u"Acme", u"X2", u"Swipe sensor", 0, kUnitId + 1);
  }

  void ExpectOpen(MockBiometricService& biometric, HRESULT_T result, WINBIO_SESSION_HANDLE handle) {
    EXPECT_CALL(biometric, OpenSession(WINBIO_TYPE_FINGERPRINT, WINBIO_POOL_SYSTEM, WINBIO_FLAG_DEFAULT,
                                       nullptr, 0u, nullptr, NotNull()))
        .WillOnce(DoAll(SetArgPointee<6>(handle), Return(result)));
  }

  platform::sim::ScopedMachine machine_;
  WINBIO_UNIT_SCHEMA units_[2];
};

TEST_F(ComponentTest, SessionOpensOnTheSystemPoolAndClosesOnce) {
  StrictMock<MockBiometricService> biometric;
  platform::ScopedServices services({&biometric, nullptr, nullptr, nullptr});
  {
    WinFingerprintComponent component(0, units_, "0");
    ExpectOpen(biometric, 0, kHandle);
    EXPECT_EQ(component.OpenSession(), FingerprintError::Success);
    EXPECT_CALL(biometric, CloseSession(kHandle)).WillOnce(Return(0));
    EXPECT_EQ(component.CloseSession(), FingerprintError::Success);
    ::testing::Mock::VerifyAndClearExpectations(&biometric);
  }  // destruction must not close the session again (StrictMock)
}

TEST_F(ComponentTest, DestructionClosesAStillOpenSession) {
  StrictMock<MockBiometricService> biometric;
  platform::ScopedServices services({&biometric, nullptr, nullptr, nullptr});
  auto component = std::make_unique<WinFingerprintComponent>(0, units_, "0");
  ExpectOpen(biometric, 0, kHandle);
  ASSERT_EQ(component->OpenSession(), FingerprintError::Success);
  EXPECT_CALL(biometric, CloseSession(kHandle)).WillOnce(Return(0));
  component.reset();
}

TEST_F(ComponentTest, RefusedSessionIsReportedAndNothingIsClosedLater) {
  StrictMock<MockBiometricService> biometric;
  platform::ScopedServices services({&biometric, nullptr, nullptr, nullptr});
  WinFingerprintComponent component(0, units_, "0");
  ExpectOpen(biometric, static_cast<HRESULT_T>(0x80098003u), 0);
  EXPECT_EQ(component.OpenSession(), FingerprintError::OpenSessionFailed);
}

TEST_F(ComponentTest, SensorModeIsLookedUpBeforeTheSessionOpens) {
  WinFingerprintComponent component(0, units_, "0");
  StrictMock<MockBiometricService> biometric;
  StrictMock<MockDeviceRegistry> registry;
  platform::ScopedServices services({&biometric, &registry, nullptr, nullptr});
  InSequence order;
  EXPECT_CALL(registry,
              RegOpenKeyEx(platform::kHkeyLocalMachine,
                           U16Eq(u"System\\CurrentControlSet\\Enum\\USB\\VID_1C7A&PID_0603\\6&1\\Device "
                                 u"Parameters\\WinBio\\Configurations"),
                           0u, platform::kKeyAllAccessWow64, _))
      .WillOnce(Return(platform::ERROR_FILE_NOT_FOUND_T));
  ExpectOpen(biometric, 0, kHandle);
  EXPECT_EQ(component.OpenSession(), FingerprintError::Success);
  EXPECT_CALL(biometric, CloseSession(kHandle)).WillOnce(Return(0));
  component.CloseSession();
}

TEST_F(ComponentTest, SensorCapability) {
  WinFingerprintComponent sensor(0, units_, "0");
  WinFingerprintComponent noSensor(1, units_, "1");
  EXPECT_TRUE(sensor.HasSensor());
  EXPECT_FALSE(noSensor.HasSensor());
  EXPECT_EQ(noSensor.GetDeviceId(), "1");
  EXPECT_EQ(noSensor.GetInfo().properties.front().second, "Acme X2");
}

struct FingerCase {
  int finger;
  WINBIO_BIOMETRIC_SUBTYPE subFactor;
};

class DeleteTemplateTest : public ComponentTest, public ::testing::WithParamInterface<FingerCase> {};

TEST_P(DeleteTemplateTest, DeletesTheCurrentUsersTemplateForTheFingersPosition) {
  StrictMock<MockBiometricService> biometric;
  platform::ScopedServices services({&biometric, nullptr, nullptr, nullptr});
  WinFingerprintComponent component(0, units_, "0");
  ExpectOpen(biometric, 0, kHandle);
  ASSERT_EQ(component.OpenSession(), FingerprintError::Success);
  EXPECT_CALL(biometric, DeleteTemplate(kHandle, kUnitId, IsSidIdentity(kSimUserSid), GetParam().subFactor))
      .WillOnce(Return(static_cast<HRESULT_T>(0x80098006u)));  // not examined
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(component.DeleteTemplate(GetParam().finger), FingerprintError::Success);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(component.SubFactorOf(GetParam().finger), GetParam().subFactor);
  EXPECT_CALL(biometric, CloseSession(kHandle)).WillOnce(Return(0));
}

INSTANTIATE_TEST_SUITE_P(Fingers, DeleteTemplateTest,
                         ::testing::Values(FingerCase{0, 1}, FingerCase{4, 5}, FingerCase{5, 6},
                                           FingerCase{9, 10}, FingerCase{12, 0}, FingerCase{-1, 0}));

TEST_F(ComponentTest, DeleteTemplateWithoutATokenStillCallsTheFrameworkWithANullIdentity) {
  platform::sim::SimMachine description = platform::sim::DefaultMachine();
  description.system.tokenFails = true;
  platform::sim::ScopedMachine failingToken(description);
  StrictMock<MockBiometricService> biometric;
  platform::ScopedServices services({&biometric, nullptr, nullptr, nullptr});
  WinFingerprintComponent component(0, units_, "0");
  EXPECT_CALL(biometric, DeleteTemplate(0u, kUnitId, IsNullIdentity(), 1)).WillOnce(Return(0));
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(component.DeleteTemplate(0), FingerprintError::Success);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Cannot open token handle: 5\n");
}

TEST_F(ComponentTest, DeleteTemplateClosesTheTokenWhenItCannotBeQueried) {
  StrictMock<MockBiometricService> biometric;
  StrictMock<MockSecurity> security;
  platform::ScopedServices services({&biometric, nullptr, nullptr, &security});
  WinFingerprintComponent component(0, units_, "0");
  platform::Handle const process = reinterpret_cast<platform::Handle>(-1);
  platform::Handle const token = reinterpret_cast<platform::Handle>(0x7A4);
  InSequence order;
  EXPECT_CALL(security, GetCurrentProcess()).WillOnce(Return(process));
  EXPECT_CALL(security, OpenProcessToken(process, 0x00020008u, NotNull()))
      .WillOnce(DoAll(SetArgPointee<2>(token), Return(true)));
  EXPECT_CALL(security, GetTokenInformation(token, 1, NotNull(), 88u, NotNull())).WillOnce(Return(false));
  EXPECT_CALL(security, GetLastError()).WillOnce(Return(122u));
  EXPECT_CALL(security, CloseHandle(token)).WillOnce(Return(true));
  EXPECT_CALL(biometric, DeleteTemplate(0u, kUnitId, IsNullIdentity(), 10)).WillOnce(Return(0));
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(component.DeleteTemplate(9), FingerprintError::Success);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Cannot query token information: 122\n");
}

TEST_F(ComponentTest, SampleHintIsReadFromTheUnitPropertyAndTheBufferFreed) {
  StrictMock<MockBiometricService> biometric;
  platform::ScopedServices services({&biometric, nullptr, nullptr, nullptr});
  WinFingerprintComponent component(0, units_, "0");
  uint32_t hint = 5;
  EXPECT_CALL(biometric, GetProperty(0u, 2u, 1u, kUnitId, nullptr, 0, NotNull(), NotNull()))
      .WillOnce(DoAll(SetArgPointee<6>(&hint), SetArgPointee<7>(sizeof(hint)), Return(0)));
  EXPECT_CALL(biometric, Free(&hint)).WillOnce(Return(0));
  EXPECT_EQ(component.GetSampleHint(), 5u);

  EXPECT_CALL(biometric, GetProperty(0u, 2u, 1u, kUnitId, nullptr, 0, NotNull(), NotNull()))
      .WillOnce(Return(static_cast<HRESULT_T>(0x80004001u)));
  EXPECT_EQ(component.GetSampleHint(), 20u);
}

TEST_F(ComponentTest, SampleHintOnTheSimulatedMachineLeavesNothingAllocated) {
  WinFingerprintComponent component(0, units_, "0");
  ASSERT_EQ(component.OpenSession(), FingerprintError::Success);
  EXPECT_EQ(component.GetSampleHint(), 1u);
  EXPECT_EQ(component.CloseSession(), FingerprintError::Success);
  // Without a session the property cannot be read.
  EXPECT_EQ(component.GetSampleHint(), 20u);
}

}  // namespace
