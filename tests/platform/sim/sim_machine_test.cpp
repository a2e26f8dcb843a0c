#include "platform/sim/sim_machine.h"

#include <gtest/gtest.h>

namespace {

using platform::sim::ParseMachine;
using platform::sim::SimMachine;

TEST(SimMachineTest, EmptyObjectIsTheBuiltInMachine) {
  std::string error;
  const std::optional<SimMachine> machine = ParseMachine("{}", &error);
  ASSERT_TRUE(machine) << error;
  ASSERT_EQ(machine->readers.size(), 1u);
  EXPECT_EQ(machine->readers[0].manufacturer, "Virtual");
  EXPECT_EQ(machine->readers[0].deviceInstanceId, "ROOT\\BIOMETRIC\\0000");
  EXPECT_EQ(machine->driverVersion, "1.0.0.0");
  EXPECT_EQ(machine->sensor.touchAfterMs, 1500u);
  EXPECT_EQ(machine->enumerateHresult, 0);
  EXPECT_FALSE(machine->system.tokenFails);
}

TEST(SimMachineTest, EveryDeviceKeyIsRead) {
  std::string error;
  const std::optional<SimMachine> machine = ParseMachine(R"({
    "readers": [
      {"manufacturer": "Acmé", "model": "X1", "description": "d", "capabilities": 3, "unitId": 9,
       "deviceInstanceId": "USB\\VID_1\\7"},
      {}
    ],
    "enumerateHresult": 2147942405,
    "driverVersion": "",
    "sensorMode": 2,
    "openSessionHresult": -2147024891,
    "sensor": {"touchAfterMs": null, "locateHresult": -5},
    "system": {"tokenFails": true}
  })",
                                                         &error);
  ASSERT_TRUE(machine) << error;
  ASSERT_EQ(machine->readers.size(), 2u);
  EXPECT_EQ(machine->readers[0].manufacturer, "Acm\xC3\xA9");
  EXPECT_EQ(machine->readers[0].capabilities, 3u);
  EXPECT_EQ(machine->readers[0].unitId, 9u);
  EXPECT_EQ(machine->readers[0].deviceInstanceId, "USB\\VID_1\\7");
  EXPECT_EQ(machine->readers[1].model, "Touch Sensor");  // defaults per reader
  // An HRESULT may be written as its unsigned value.
  EXPECT_EQ(machine->enumerateHresult, static_cast<int32_t>(0x80070005u));
  EXPECT_EQ(machine->openSessionHresult, static_cast<int32_t>(0x80070005u));
  EXPECT_EQ(machine->driverVersion, "");
  EXPECT_EQ(machine->sensorMode, 2u);
  EXPECT_FALSE(machine->sensor.touchAfterMs.has_value());
  EXPECT_EQ(machine->sensor.locateHresult, -5);
  EXPECT_TRUE(machine->system.tokenFails);
}

TEST(SimMachineTest, NoReadersIsAllowed) {
  std::string error;
  const auto machine = ParseMachine(R"({"readers": []})", &error);
  ASSERT_TRUE(machine) << error;
  EXPECT_TRUE(machine->readers.empty());
}

struct BadCase {
  const char* json;
  const char* message;
};

class SimMachineErrorTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(SimMachineErrorTest, ProblemIsNamedWithItsPlace) {
  std::string error;
  EXPECT_FALSE(ParseMachine(GetParam().json, &error));
  EXPECT_EQ(error, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Bad, SimMachineErrorTest,
    ::testing::Values(
        BadCase{"[]", "the top level must be a JSON object"},
        BadCase{R"({"reader": []})", "reader: unknown key"},
        BadCase{R"({"readers": {}})", "readers: expected an array"},
        BadCase{R"({"readers": [{"unitId": "1"}]})", "readers[0].unitId: expected a number"},
        BadCase{R"({"readers": [{}, {"unitId": 1.5}]})", "readers[1].unitId: expected an integer"},
        BadCase{R"({"readers": [{"capabilities": -1}]})", "readers[0].capabilities: number out of range"},
        BadCase{R"({"sensor": {"touchAfterMs": "soon"}})", "sensor.touchAfterMs: expected a number"},
        BadCase{R"({"sensor": {"touch": 1}})", "sensor.touch: unknown key"},
        BadCase{R"({"sensorMode": -1})", "sensorMode: number out of range"},
        BadCase{R"({"system": {"tokenFails": 1}})", "system.tokenFails: expected true or false"}));

TEST(SimMachineTest, InvalidJsonNamesTheOffset) {
  std::string error;
  EXPECT_FALSE(ParseMachine(R"({"readers": [})", &error));
  EXPECT_EQ(error.rfind("not valid JSON at offset ", 0), 0u) << error;
}

TEST(SimMachineTest, ScopedMachineIsInForceForItsLifetime) {
  const auto before = platform::sim::CurrentMachine();
  {
    platform::sim::ScopedMachine scoped(platform::sim::EmptyMachine());
    EXPECT_TRUE(platform::sim::CurrentMachine()->readers.empty());
  }
  EXPECT_EQ(platform::sim::CurrentMachine(), before);
}

}  // namespace
