#include "platform/sim/sim_machine.h"

#include <gtest/gtest.h>

namespace {

using platform::sim::ParseMachine;
using platform::sim::SimMachine;

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

// A description a user got wrong: the problem is named with its place.
TEST(SimMachineTest, ProblemIsNamedWithItsPlace) {
  const std::pair<const char*, const char*> rows[] = {
      {"[]", "the top level must be a JSON object"},
      {R"({"reader": []})", "reader: unknown key"},
      {R"({"readers": {}})", "readers: expected an array"},
      {R"({"readers": [{"unitId": "1"}]})", "readers[0].unitId: expected a number"},
      {R"({"readers": [{}, {"unitId": 1.5}]})", "readers[1].unitId: expected an integer"},
      {R"({"readers": [{"capabilities": -1}]})", "readers[0].capabilities: number out of range"},
      {R"({"sensor": {"touchAfterMs": "soon"}})", "sensor.touchAfterMs: expected a number"},
      {R"({"sensor": {"touch": 1}})", "sensor.touch: unknown key"},
      {R"({"sensorMode": -1})", "sensorMode: number out of range"},
      {R"({"system": {"tokenFails": 1}})", "system.tokenFails: expected true or false"}};
  for (const auto& [json, message] : rows) {
    std::string error;
    EXPECT_FALSE(ParseMachine(json, &error));
    EXPECT_EQ(error, message);
  }
  std::string error;
  EXPECT_FALSE(ParseMachine(R"({"readers": [})", &error));
  EXPECT_EQ(error.rfind("not valid JSON at offset ", 0), 0u) << error;
}

}  // namespace
