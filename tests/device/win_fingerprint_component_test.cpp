// One reader on the simulated machine: what it tells the host about itself,
// its session, and the operations besides the sensor wait.
#include "device/win_fingerprint_component.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdexcept>

#include "device/device_information.h"
#include "platform/sim/sim_biometric_service.h"
#include "platform/sim/sim_machine.h"
#include "tests/support/test_support.h"

namespace {

using platform::sim::ScopedMachine;
using platform::sim::SimMachine;

// The UDI narrows each UTF-16 unit to a byte; the other texts are UTF-8; the
// driver version comes from the first biometric device and is left out when
// the driver has none; a text without NUL stops at its fixed length.
TEST(ReaderPropertiesTest, InOrderForEachKindOfText) {
  WINBIO_UNIT_SCHEMA noNul = MakeUnit(u"", u"", u"d");
  for (char16_t& unit : noNul.Model) unit = u'M';
  for (char16_t& unit : noNul.SerialNumber) unit = u'S';  // what a read past the model would show
  const std::string longModel(WINBIO_STRING_LENGTH, 'M');
  // The values of UDI, manufacturer, model, description and driver version.
  const struct {
    WINBIO_UNIT_SCHEMA unit;
    const char* driverVersion;
    std::vector<std::string> values;
  } rows[] = {
      {MakeUnit(u"Acme", u"X1", u"Touch sensor"),
       "10.2.0.5",
       {"Acme X1", "Acme", "X1", "Touch sensor", "10.2.0.5"}},
      {MakeUnit(u"Acm\u00e9", u"X\u4e2d", u""), "", {"Acm\xE9 X\x2D", "Acm\xC3\xA9", "X\xE4\xB8\xAD", ""}},
      {noNul, "1.0", {" " + longModel, "", longModel, "d", "1.0"}},
  };
  const char* keys[] = {"UDI", "FINGERPRINT_MANUFACTURER", "FINGERPRINT_MODEL", "FINGERPRINT_DESCRIPTION",
                        "DRIVER_VERSION"};
  for (const auto& row : rows) {
    ScopedMachine machine(fp_test::Machine([&](SimMachine& m) { m.driverVersion = row.driverVersion; }));
    WINBIO_UNIT_SCHEMA units[] = {row.unit};
    WinFingerprintComponent component(0, units, "0");
    const ComponentInfo info = component.GetInfo();
    EXPECT_EQ(info.typeName, "FINGERPRINT");
    std::vector<Property> expected;
    for (size_t i = 0; i < row.values.size(); ++i) expected.emplace_back(keys[i], row.values[i]);
    EXPECT_EQ(info.properties, expected);
    EXPECT_TRUE(info.propertyMap.empty());
    EXPECT_TRUE(component.GetPropertyGroups().empty());
  }
}

TEST(ReaderPropertiesTest, IllFormedUtf16IsABadConversion) {
  EXPECT_EQ(DeviceInformation::ToUtf8(u"A\u00e9\u4e2d\U0001F600"), "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
  const std::u16string lead(1, char16_t(0xD83D)), trail(1, char16_t(0xDE00));
  for (const std::u16string& bad : {lead, trail, lead + u"A", trail + lead})
    EXPECT_THAT([&] { DeviceInformation::ToUtf8(bad); },
                ::testing::ThrowsMessage<std::range_error>(::testing::StrEq("bad conversion")));
  ScopedMachine machine(platform::sim::DefaultMachine());
  WINBIO_UNIT_SCHEMA units[] = {MakeUnit(u"Acme", u"X1", trail)};
  EXPECT_THROW(WinFingerprintComponent(0, units, "0"), std::range_error);
}

class ReaderTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(platform::sim::OpenSimSessionCount(), 0u); }
  ScopedMachine machine_{platform::sim::DefaultMachine()};
  WINBIO_UNIT_SCHEMA units_[1] = {MakeUnit(u"Acme", u"X1", u"Touch", 1, 7)};
};

TEST_F(ReaderTest, SessionAndSampleHint) {
  WinFingerprintComponent reader(0, units_, "0");
  ASSERT_EQ(reader.OpenSession(), FingerprintError::Success);
  EXPECT_EQ(platform::sim::OpenSimSessionCount(), 1u);
  EXPECT_EQ(reader.GetSampleHint(), 1u);
  EXPECT_EQ(reader.CloseSession(), FingerprintError::Success);
  EXPECT_EQ(platform::sim::OpenSimSessionCount(), 0u);
  EXPECT_EQ(reader.GetSampleHint(), 20u);  // unreadable without a session
  EXPECT_EQ(platform::sim::OutstandingSimAllocations(), 0u);
  // Components of one reader share its session, which closes with the last
  // of them (the check after the test) and is never lost to a second open.
  ASSERT_EQ(WinFingerprintComponent(0, units_, "0").OpenSession(), FingerprintError::Success);
  EXPECT_EQ(platform::sim::OpenSimSessionCount(), 1u);
  ASSERT_EQ(reader.OpenSession(), FingerprintError::Success);
  EXPECT_EQ(platform::sim::OpenSimSessionCount(), 1u);

  ScopedMachine refused(
      fp_test::Machine([](SimMachine& m) { m.openSessionHresult = static_cast<int32_t>(0x80098003u); }));
  EXPECT_EQ(reader.OpenSession(), FingerprintError::OpenSessionFailed);
}

// The lines on standard output are part of the host contract: none when the
// process token opens, one naming the error when it does not.
TEST_F(ReaderTest, FingersMapToTheirSubFactorsAndAFailingTokenIsReported) {
  WinFingerprintComponent reader(0, units_, "0");
  const std::pair<int, WINBIO_BIOMETRIC_SUBTYPE> fingers[] = {{0, 1},  {4, 5},  {5, 6},
                                                              {9, 10}, {12, 0}, {-1, 0}};
  ::testing::internal::CaptureStdout();
  for (const auto& [finger, subFactor] : fingers) {
    EXPECT_EQ(reader.SubFactorOf(finger), subFactor) << finger;
    EXPECT_EQ(reader.DeleteTemplate(finger), FingerprintError::Success);
  }
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");

  ScopedMachine failing(fp_test::Machine([](SimMachine& m) { m.system.tokenFails = true; }));
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(reader.DeleteTemplate(0), FingerprintError::Success);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Cannot open token handle: 5\n");
}

}  // namespace
