#include "device/device_information.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdexcept>

#include "device/win_fingerprint_component.h"
#include "platform/sim/sim_device_registry.h"
#include "platform/sim/sim_machine.h"
#include "tests/support/platform_fakes.h"

namespace {

using ::testing::_;
using ::testing::DoAll;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::InSequence;
using ::testing::NiceMock;
using ::testing::Pair;
using ::testing::Pointee;
using ::testing::Return;
using ::testing::SetArgPointee;
using ::testing::StrictMock;

constexpr char16_t kDriverKey[] = u"{53d29ef7-377c-4d14-864b-eb3a85769359}\\0003";
constexpr char16_t kClassPath[] =
    u"SYSTEM\\CurrentControlSet\\Control\\Class\\{53d29ef7-377c-4d14-864b-eb3a85769359}\\0003";
platform::DevInfoSet const kSet = reinterpret_cast<platform::DevInfoSet>(0x5E7);

bool SameGuid(const WINBIO_GUID* a, const WINBIO_GUID& b) {
  return a && std::memcmp(a, &b, sizeof(b)) == 0;
}

// Scripts the registry of a machine whose first biometric device has the
// driver key above and, when `version` is not empty, that driver version.
void ExpectDriverVersionLookup(MockDeviceRegistry& registry, const std::u16string& version, int times = 1) {
  EXPECT_CALL(registry, SetupDiGetClassDevs(_, nullptr, nullptr, 0u))
      .Times(times)
      .WillRepeatedly([](const WINBIO_GUID* guid, const char16_t*, void*, uint32_t) {
        return SameGuid(guid, platform::kGuidDevClassBiometric) ? kSet : platform::kInvalidDevInfoSet;
      });
  EXPECT_CALL(registry, SetupDiEnumDeviceInfo(kSet, 0u, Pointee(Field(&platform::DEVINFO_DATA::cbSize, 32u))))
      .Times(times)
      .WillRepeatedly(Return(true));
  const uint32_t keyBytes = sizeof(kDriverKey);
  EXPECT_CALL(registry, SetupDiGetDeviceRegistryProperty(kSet, _, platform::kSpdrpDriver, _, nullptr, 0u, _))
      .Times(times)
      .WillRepeatedly(DoAll(SetArgPointee<6>(keyBytes), Return(false)));
  EXPECT_CALL(registry, SetupDiGetDeviceRegistryProperty(kSet, _, platform::kSpdrpDriver, _, _, keyBytes, _))
      .Times(times)
      .WillRepeatedly([](platform::DevInfoSet, platform::DEVINFO_DATA*, uint32_t, uint32_t*, uint8_t* buffer,
                         uint32_t, uint32_t*) {
        std::memcpy(buffer, kDriverKey, sizeof(kDriverKey));
        return true;
      });
  if (version.empty()) {
    EXPECT_CALL(registry, RegGetValue(platform::kHkeyLocalMachine, U16Eq(kClassPath), U16Eq(u"DriverVersion"),
                                      platform::kRrfRtRegSz, nullptr, nullptr, _))
        .Times(times)
        .WillRepeatedly(Return(platform::ERROR_FILE_NOT_FOUND_T));
  } else {
    const uint32_t bytes = static_cast<uint32_t>((version.size() + 1) * sizeof(char16_t));
    EXPECT_CALL(registry, RegGetValue(platform::kHkeyLocalMachine, U16Eq(kClassPath), U16Eq(u"DriverVersion"),
                                      platform::kRrfRtRegSz, nullptr, nullptr, _))
        .Times(times)
        .WillRepeatedly(DoAll(SetArgPointee<6>(bytes), Return(platform::ERROR_SUCCESS_T)));
    EXPECT_CALL(registry,
                RegGetValue(platform::kHkeyLocalMachine, U16Eq(kClassPath), U16Eq(u"DriverVersion"),
                            platform::kRrfRtRegSz, nullptr, ::testing::NotNull(), Pointee(2 * bytes)))
        .Times(times)
        .WillRepeatedly([version](platform::RegKey, const char16_t*, const char16_t*, uint32_t, uint32_t*,
                                  void* data, uint32_t* size) {
          std::memcpy(data, version.c_str(), (version.size() + 1) * sizeof(char16_t));
          *size = static_cast<uint32_t>((version.size() + 1) * sizeof(char16_t));
          return platform::ERROR_SUCCESS_T;
        });
  }
  EXPECT_CALL(registry, SetupDiDestroyDeviceInfoList(kSet)).Times(times).WillRepeatedly(Return(true));
}

std::vector<Property> PropertiesOf(const WINBIO_UNIT_SCHEMA& unit) {
  WINBIO_UNIT_SCHEMA units[] = {unit};
  WinFingerprintComponent component(0, units, "0");
  return component.GetInfo().properties;
}

TEST(DeviceInformationTest, PropertiesInOrderWithDriverVersionFromTheClassKey) {
  StrictMock<MockDeviceRegistry> registry;
  platform::ScopedServices services({nullptr, &registry, nullptr, nullptr});
  ExpectDriverVersionLookup(registry, u"10.2.0.5");

  WINBIO_UNIT_SCHEMA units[] = {MakeUnit(u"Acme", u"X1", u"Touch sensor")};
  WinFingerprintComponent component(0, units, "0");
  const ComponentInfo info = component.GetInfo();
  EXPECT_EQ(info.typeName, "FINGERPRINT");
  EXPECT_EQ(info.secondText, "");
  EXPECT_THAT(info.properties,
              ElementsAre(Pair("UDI", "Acme X1"), Pair("FINGERPRINT_MANUFACTURER", "Acme"),
                          Pair("FINGERPRINT_MODEL", "X1"), Pair("FINGERPRINT_DESCRIPTION", "Touch sensor"),
                          Pair("DRIVER_VERSION", "10.2.0.5")));
  EXPECT_TRUE(info.propertyMap.empty());
  EXPECT_TRUE(component.GetPropertyGroups().empty());
}

TEST(DeviceInformationTest, EveryReaderReportsTheFirstBiometricDevicesDriverVersion) {
  StrictMock<MockDeviceRegistry> registry;
  platform::ScopedServices services({nullptr, &registry, nullptr, nullptr});
  // Member index 0 for both readers (the lookup expects no other index).
  ExpectDriverVersionLookup(registry, u"10.2.0.5", 2);
  WINBIO_UNIT_SCHEMA units[] = {MakeUnit(u"Acme", u"X1"), MakeUnit(u"Other", u"Swipe 2")};
  WinFingerprintComponent first(0, units, "0");
  WinFingerprintComponent second(1, units, "1");
  EXPECT_THAT(first.GetInfo().properties.back(), Pair("DRIVER_VERSION", "10.2.0.5"));
  EXPECT_THAT(second.GetInfo().properties.back(), Pair("DRIVER_VERSION", "10.2.0.5"));
  EXPECT_THAT(second.GetInfo().properties.front(), Pair("UDI", "Other Swipe 2"));
}

TEST(DeviceInformationTest, NoDriverVersionValueLeavesTheEntryOut) {
  StrictMock<MockDeviceRegistry> registry;
  platform::ScopedServices services({nullptr, &registry, nullptr, nullptr});
  ExpectDriverVersionLookup(registry, u"");
  EXPECT_THAT(PropertiesOf(MakeUnit(u"Acme", u"X1")),
              ElementsAre(Pair("UDI", "Acme X1"), Pair("FINGERPRINT_MANUFACTURER", "Acme"),
                          Pair("FINGERPRINT_MODEL", "X1"), Pair("FINGERPRINT_DESCRIPTION", "Touch sensor")));
}

TEST(DeviceInformationTest, NoBiometricDeviceOrNoClassSetGivesNoVersion) {
  StrictMock<MockDeviceRegistry> registry;
  platform::ScopedServices services({nullptr, &registry, nullptr, nullptr});
  {
    InSequence order;
    EXPECT_CALL(registry, SetupDiGetClassDevs(_, nullptr, nullptr, 0u)).WillOnce(Return(kSet));
    EXPECT_CALL(registry, SetupDiEnumDeviceInfo(kSet, 0u, _)).WillOnce(Return(false));
    EXPECT_CALL(registry, SetupDiDestroyDeviceInfoList(kSet)).WillOnce(Return(true));
  }
  EXPECT_EQ(DeviceInformation::DriverVersion(), u"");
  // An invalid set is never destroyed.
  EXPECT_CALL(registry, SetupDiGetClassDevs(_, nullptr, nullptr, 0u))
      .WillOnce(Return(platform::kInvalidDevInfoSet));
  EXPECT_EQ(DeviceInformation::DriverVersion(), u"");
}

TEST(DeviceInformationTest, UdiNarrowsEachUnitWhileTheOtherTextsAreUtf8) {
  platform::sim::ScopedMachine machine(platform::sim::DefaultMachine());
  const auto properties = PropertiesOf(MakeUnit(u"Acm\u00e9", u"X\u4e2d"));
  ASSERT_GE(properties.size(), 3u);
  EXPECT_EQ(properties[0].second, std::string("Acm\xE9 X\x2D"));
  EXPECT_EQ(properties[1].second, std::string("Acm\xC3\xA9"));
  EXPECT_EQ(properties[2].second, std::string("X\xE4\xB8\xAD"));
}

TEST(DeviceInformationTest, EmptyManufacturerAndModel) {
  platform::sim::ScopedMachine machine(platform::sim::DefaultMachine());
  EXPECT_THAT(
      PropertiesOf(MakeUnit(u"", u"", u"")),
      ElementsAre(Pair("UDI", " "), Pair("FINGERPRINT_MANUFACTURER", ""), Pair("FINGERPRINT_MODEL", ""),
                  Pair("FINGERPRINT_DESCRIPTION", ""), Pair("DRIVER_VERSION", "1.0.0.0")));
}

TEST(DeviceInformationTest, TextsWithoutNulStopAtTheirFixedLength) {
  platform::sim::ScopedMachine machine(platform::sim::DefaultMachine());
  WINBIO_UNIT_SCHEMA unit = MakeUnit(u"Acme", u"X1");
  for (char16_t& unitOfText : unit.Model) unitOfText = u'M';  // no NUL anywhere
  const auto properties = PropertiesOf(unit);
  EXPECT_EQ(properties[2].second, std::string(WINBIO_STRING_LENGTH, 'M'));
}

TEST(DeviceInformationTest, CollectingAgainReplacesTheProperties) {
  platform::sim::ScopedMachine machine(platform::sim::DefaultMachine());
  WINBIO_UNIT_SCHEMA units[] = {MakeUnit(u"Acme", u"X1")};
  WinFingerprintComponent component(0, units, "0");
  const auto first = component.GetInfo().properties;
  DeviceInformation::Collect(component, units[0]);
  EXPECT_EQ(component.GetInfo().properties, first);
  EXPECT_EQ(first.size(), 5u);
}

TEST(DeviceInformationTest, Utf8ConversionCombinesPairsAndRejectsLoneSurrogates) {
  EXPECT_EQ(DeviceInformation::ToUtf8(u"A\u00e9\u4e2d\U0001F600"), "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
  EXPECT_EQ(DeviceInformation::ToUtf8(u"\U0010FFFF"), "\xF4\x8F\xBF\xBF");
  const std::u16string loneLead(1, char16_t(0xD83D));
  const std::u16string loneTrail(1, char16_t(0xDE00));
  const std::u16string leadThenLetter = loneLead + u"A";
  const std::u16string swapped = loneTrail + loneLead;
  for (const std::u16string& bad : {loneLead, loneTrail, leadThenLetter, swapped}) {
    try {
      DeviceInformation::ToUtf8(bad);
      ADD_FAILURE() << "no exception";
    } catch (const std::range_error& error) {
      EXPECT_STREQ(error.what(), "bad conversion");
    }
  }
}

TEST(DeviceInformationTest, IllFormedTextEndsTheComponentsConstruction) {
  platform::sim::ScopedMachine machine(platform::sim::DefaultMachine());
  WINBIO_UNIT_SCHEMA units[] = {MakeUnit(u"Acme", u"X1", std::u16string(1, char16_t(0xDC00)))};
  EXPECT_THROW(WinFingerprintComponent(0, units, "0"), std::range_error);
}

// Sensor mode: the configurations key of the first unit's device, searched
// for the first numbered sub-key that holds "SensorMode".
class SensorModeTest : public ::testing::Test {
 protected:
  platform::RegKey const kConfigurations = reinterpret_cast<platform::RegKey>(0xC0);
  platform::RegKey const kFirst = reinterpret_cast<platform::RegKey>(0xC1);
  platform::RegKey const kSecond = reinterpret_cast<platform::RegKey>(0xC2);
  const std::u16string kPath =
      u"System\\CurrentControlSet\\Enum\\USB\\VID_1C7A&PID_0603\\6&1\\Device "
      u"Parameters\\WinBio\\Configurations";

  static auto SubKey(const char16_t* name) {
    return [name](platform::RegKey, uint32_t, char16_t* out, uint32_t* length) {
      EXPECT_EQ(*length, 261u);
      const std::u16string text(name);
      std::memcpy(out, text.c_str(), (text.size() + 1) * sizeof(char16_t));
      *length = static_cast<uint32_t>(text.size());
      return platform::ERROR_SUCCESS_T;
    };
  }
  static auto Mode(uint32_t mode) { return DoAll(SetArgPointee<5>(mode), Return(platform::ERROR_SUCCESS_T)); }
};

TEST_F(SensorModeTest, FirstNumberedConfigurationWithTheValueDecides) {
  StrictMock<MockDeviceRegistry> registry;
  platform::ScopedServices services({nullptr, &registry, nullptr, nullptr});
  const WINBIO_UNIT_SCHEMA unit = MakeUnit(u"Acme", u"X1");
  constexpr uint32_t kAccess = 0x000F013F;
  {
    InSequence order;
    EXPECT_CALL(registry, RegOpenKeyEx(platform::kHkeyLocalMachine, U16Eq(kPath), 0u, kAccess, _))
        .WillOnce(DoAll(SetArgPointee<4>(kConfigurations), Return(0)));
    // "Default" is not a number and is skipped without being opened.
    EXPECT_CALL(registry, RegEnumKeyEx(kConfigurations, 0u, _, _)).WillOnce(SubKey(u"Default"));
    EXPECT_CALL(registry, RegEnumKeyEx(kConfigurations, 1u, _, _)).WillOnce(SubKey(u"0"));
    EXPECT_CALL(registry, RegOpenKeyEx(platform::kHkeyLocalMachine, U16Eq(kPath + u"\\0"), 0u, kAccess, _))
        .WillOnce(DoAll(SetArgPointee<4>(kFirst), Return(0)));
    EXPECT_CALL(registry, RegGetValue(kFirst, nullptr, U16Eq(u"SensorMode"), platform::kRrfRtRegDword,
                                      nullptr, _, Pointee(4u)))
        .WillOnce(Return(platform::ERROR_FILE_NOT_FOUND_T));
    // Given up: back to reflection, flushed, closed.
    EXPECT_CALL(registry, RegEnableReflectionKey(kFirst)).WillOnce(Return(0));
    EXPECT_CALL(registry, RegFlushKey(kFirst)).WillOnce(Return(0));
    EXPECT_CALL(registry, RegCloseKey(kFirst)).WillOnce(Return(0));
    EXPECT_CALL(registry, RegEnumKeyEx(kConfigurations, 2u, _, _)).WillOnce(SubKey(u"12"));
    EXPECT_CALL(registry, RegOpenKeyEx(platform::kHkeyLocalMachine, U16Eq(kPath + u"\\12"), 0u, kAccess, _))
        .WillOnce(DoAll(SetArgPointee<4>(kSecond), Return(0)));
    EXPECT_CALL(registry,
                RegGetValue(kSecond, nullptr, U16Eq(u"SensorMode"), platform::kRrfRtRegDword, nullptr, _, _))
        .WillOnce([](platform::RegKey, const char16_t*, const char16_t*, uint32_t, uint32_t*, void* data,
                     uint32_t*) {
          const uint32_t mode = 2;
          std::memcpy(data, &mode, sizeof(mode));
          return platform::ERROR_SUCCESS_T;
        });
    // Found: both keys are simply closed; the search stops.
    EXPECT_CALL(registry, RegCloseKey(kSecond)).WillOnce(Return(0));
    EXPECT_CALL(registry, RegCloseKey(kConfigurations)).WillOnce(Return(0));
  }
  EXPECT_EQ(DeviceInformation::SensorModeFlags(&unit), WINBIO_FLAG_ADVANCED);
}

TEST_F(SensorModeTest, ExhaustedConfigurationsGiveNoFlags) {
  StrictMock<MockDeviceRegistry> registry;
  platform::ScopedServices services({nullptr, &registry, nullptr, nullptr});
  const WINBIO_UNIT_SCHEMA unit = MakeUnit(u"Acme", u"X1");
  InSequence order;
  EXPECT_CALL(registry, RegOpenKeyEx(platform::kHkeyLocalMachine, _, 0u, _, _))
      .WillOnce(DoAll(SetArgPointee<4>(kConfigurations), Return(0)));
  EXPECT_CALL(registry, RegEnumKeyEx(kConfigurations, 0u, _, _))
      .WillOnce(Return(platform::ERROR_NO_MORE_ITEMS_T));
  EXPECT_CALL(registry, RegEnableReflectionKey(kConfigurations)).WillOnce(Return(0));
  EXPECT_CALL(registry, RegFlushKey(kConfigurations)).WillOnce(Return(0));
  EXPECT_CALL(registry, RegCloseKey(kConfigurations)).WillOnce(Return(0));
  EXPECT_EQ(DeviceInformation::SensorModeFlags(&unit), 0u);
}

TEST_F(SensorModeTest, ModesOnTheSimulatedMachine) {
  for (const auto& [mode, flags] :
       {std::pair<uint32_t, uint32_t>{0, 0}, {1, WINBIO_FLAG_BASIC}, {2, WINBIO_FLAG_ADVANCED}, {7, 0}}) {
    platform::sim::SimMachine description = platform::sim::DefaultMachine();
    description.sensorMode = mode;
    description.readers[0].deviceInstanceId = "USB\\VID_1C7A&PID_0603\\6&1";
    platform::sim::ScopedMachine machine(description);
    const WINBIO_UNIT_SCHEMA unit = MakeUnit(u"Acme", u"X1");
    EXPECT_EQ(DeviceInformation::SensorModeFlags(&unit), flags) << "mode " << mode;
    EXPECT_EQ(platform::sim::OpenSimRegistryKeyCount(), 0u);
  }
  // A device without configurations.
  platform::sim::ScopedMachine machine(platform::sim::DefaultMachine());
  const WINBIO_UNIT_SCHEMA unit = MakeUnit(u"Acme", u"X1");
  EXPECT_EQ(DeviceInformation::SensorModeFlags(&unit), 0u);
  EXPECT_EQ(DeviceInformation::SensorModeFlags(nullptr), 0u);
}

}  // namespace
