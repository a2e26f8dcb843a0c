#include "platform/sim/sim_device_registry.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

#include "platform/device_registry.h"
#include "platform/platform.h"
#include "platform/sim/sim_machine.h"

namespace {

using platform::sim::SimMachine;

platform::DeviceRegistry& Registry() {
  return platform::registry();
}

class SimRegistryTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(platform::sim::OpenSimDeviceInfoSetCount(), 0u);
    EXPECT_EQ(platform::sim::OpenSimRegistryKeyCount(), 0u);
  }
  static SimMachine TwoReaders() {
    SimMachine machine = platform::sim::DefaultMachine();
    machine.readers.resize(2);
    machine.readers[1].deviceInstanceId = "USB\\VID_1C7A&PID_0603\\7";
    machine.driverVersion = "10.2.0.5";
    machine.sensorMode = 1;
    return machine;
  }
  static std::u16string DriverKey(platform::DevInfoSet set, platform::DEVINFO_DATA* info) {
    uint32_t required = 0;
    uint32_t type = 0;
    EXPECT_FALSE(Registry().SetupDiGetDeviceRegistryProperty(set, info, platform::kSpdrpDriver, &type,
                                                             nullptr, 0, &required));
    std::vector<char16_t> name(required / 2 + 1, u'\0');
    EXPECT_TRUE(Registry().SetupDiGetDeviceRegistryProperty(set, info, platform::kSpdrpDriver, &type,
                                                            reinterpret_cast<uint8_t*>(name.data()), required,
                                                            &required));
    EXPECT_EQ(type, platform::REG_SZ_T);
    return name.data();
  }
};

TEST_F(SimRegistryTest, BiometricClassListsOneDevicePerReader) {
  platform::sim::ScopedMachine machine(TwoReaders());
  const platform::DevInfoSet set =
      Registry().SetupDiGetClassDevs(&platform::kGuidDevClassBiometric, nullptr, nullptr, 0);
  ASSERT_NE(set, platform::kInvalidDevInfoSet);
  platform::DEVINFO_DATA info{};
  info.cbSize = 32;
  ASSERT_TRUE(Registry().SetupDiEnumDeviceInfo(set, 0, &info));
  EXPECT_EQ(DriverKey(set, &info), u"{53d29ef7-377c-4d14-864b-eb3a85769359}\\0000");
  ASSERT_TRUE(Registry().SetupDiEnumDeviceInfo(set, 1, &info));
  EXPECT_EQ(DriverKey(set, &info), u"{53d29ef7-377c-4d14-864b-eb3a85769359}\\0001");
  EXPECT_FALSE(Registry().SetupDiEnumDeviceInfo(set, 2, &info));
  info.cbSize = 28;
  EXPECT_FALSE(Registry().SetupDiEnumDeviceInfo(set, 0, &info));
  EXPECT_TRUE(Registry().SetupDiDestroyDeviceInfoList(set));
  EXPECT_FALSE(Registry().SetupDiDestroyDeviceInfoList(set));

  const WINBIO_GUID otherClass{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  const platform::DevInfoSet empty = Registry().SetupDiGetClassDevs(&otherClass, nullptr, nullptr, 0);
  info.cbSize = 32;
  EXPECT_FALSE(Registry().SetupDiEnumDeviceInfo(empty, 0, &info));
  EXPECT_TRUE(Registry().SetupDiDestroyDeviceInfoList(empty));
}

TEST_F(SimRegistryTest, DriverVersionWithTheSizeQuery) {
  platform::sim::ScopedMachine machine(TwoReaders());
  const char16_t* path =
      u"SYSTEM\\CurrentControlSet\\Control\\Class\\{53D29EF7-377C-4D14-864B-EB3A85769359}\\0001";
  uint32_t size = 0;
  ASSERT_EQ(Registry().RegGetValue(platform::kHkeyLocalMachine, path, u"DriverVersion", platform::kRrfRtRegSz,
                                   nullptr, nullptr, &size),
            0);
  EXPECT_EQ(size, sizeof(u"10.2.0.5"));
  char16_t small[4];
  uint32_t smallSize = sizeof(small);
  EXPECT_EQ(Registry().RegGetValue(platform::kHkeyLocalMachine, path, u"DriverVersion", platform::kRrfRtRegSz,
                                   nullptr, small, &smallSize),
            platform::ERROR_MORE_DATA_T);
  std::vector<char16_t> version(size / 2);
  uint32_t type = 0;
  ASSERT_EQ(Registry().RegGetValue(platform::kHkeyLocalMachine, path, u"DriverVersion", platform::kRrfRtRegSz,
                                   &type, version.data(), &size),
            0);
  EXPECT_EQ(std::u16string(version.data()), u"10.2.0.5");
  EXPECT_EQ(type, platform::REG_SZ_T);
  // Only as the type asked for.
  EXPECT_EQ(Registry().RegGetValue(platform::kHkeyLocalMachine, path, u"DriverVersion",
                                   platform::kRrfRtRegDword, nullptr, nullptr, &size),
            platform::ERROR_UNSUPPORTED_TYPE_T);

  SimMachine noVersion = TwoReaders();
  noVersion.driverVersion = "";
  platform::sim::ScopedMachine missing(noVersion);
  EXPECT_EQ(Registry().RegGetValue(platform::kHkeyLocalMachine, path, u"DriverVersion", platform::kRrfRtRegSz,
                                   nullptr, nullptr, &size),
            platform::ERROR_FILE_NOT_FOUND_T);
}

TEST_F(SimRegistryTest, WinBioConfigurationsHoldTheSensorMode) {
  platform::sim::ScopedMachine machine(TwoReaders());
  platform::RegKey configurations = nullptr;
  ASSERT_EQ(Registry().RegOpenKeyEx(platform::kHkeyLocalMachine,
                                    u"System\\CurrentControlSet\\Enum\\USB\\VID_1C7A&PID_0603\\7\\Device "
                                    u"Parameters\\WinBio\\Configurations",
                                    0, platform::kKeyAllAccessWow64, &configurations),
            0);
  char16_t name[261];
  uint32_t length = 261;
  ASSERT_EQ(Registry().RegEnumKeyEx(configurations, 0, name, &length), 0);
  EXPECT_EQ(std::u16string(name), u"0");
  EXPECT_EQ(length, 1u);
  length = 261;
  EXPECT_EQ(Registry().RegEnumKeyEx(configurations, 1, name, &length), platform::ERROR_NO_MORE_ITEMS_T);

  uint32_t mode = 0;
  uint32_t size = sizeof(mode);
  EXPECT_EQ(Registry().RegGetValue(configurations, u"0", u"SensorMode", platform::kRrfRtRegDword, nullptr,
                                   &mode, &size),
            0);
  EXPECT_EQ(mode, 1u);
  EXPECT_EQ(Registry().RegEnableReflectionKey(configurations), 0);
  EXPECT_EQ(Registry().RegFlushKey(configurations), 0);
  EXPECT_EQ(Registry().RegCloseKey(configurations), 0);
  EXPECT_NE(Registry().RegCloseKey(configurations), 0);

  platform::RegKey missing = nullptr;
  EXPECT_EQ(
      Registry().RegOpenKeyEx(platform::kHkeyLocalMachine, u"System\\CurrentControlSet\\Enum\\PCI\\NONE", 0,
                              platform::kKeyAllAccessWow64, &missing),
      platform::ERROR_FILE_NOT_FOUND_T);
  EXPECT_EQ(missing, nullptr);
}

}  // namespace
