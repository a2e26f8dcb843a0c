#include "common/sim_machine_file.h"

#include <gtest/gtest.h>

namespace {

using common::ParseMachine;

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
      {R"({"system": {"tokenFails": 1}})", "system.tokenFails: expected true or false"},
      {R"({"system": {"sysColors": {"31": "#000000"}}})",
       "system.sysColors.31: key must be a colour index from 0 to 30"}};
  for (const auto& [json, message] : rows) {
    std::string error;
    EXPECT_FALSE(ParseMachine(json, &error));
    EXPECT_EQ(error, message);
  }
  std::string error;
  EXPECT_FALSE(ParseMachine(R"({"readers": [})", &error));
  EXPECT_EQ(error.rfind("not valid JSON at offset ", 0), 0u) << error;
  // The last system colour is COLOR_MENUBAR, 30.
  const auto lastColour = ParseMachine(R"({"system": {"sysColors": {"30": "#102030"}}})", &error);
  ASSERT_TRUE(lastColour) << error;
  EXPECT_EQ(lastColour->system.sysColors.at(30), 0x302010u);
}

}  // namespace
