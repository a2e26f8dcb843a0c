#include "device/win_fingerprint_component_manager.h"

#include <gtest/gtest.h>

#include "device/win_fingerprint_component.h"
#include "platform/sim/sim_biometric_service.h"
#include "platform/sim/sim_machine.h"

namespace {

using platform::sim::ScopedMachine;
using platform::sim::SimMachine;

SimMachine MachineWithReaders(size_t count, int32_t enumerateHresult = 0) {
  SimMachine machine = platform::sim::DefaultMachine();
  machine.readers.clear();
  for (size_t i = 0; i < count; ++i) {
    platform::sim::SimReader reader;
    reader.manufacturer = "Maker " + std::to_string(i);
    reader.model = "M" + std::to_string(i);
    machine.readers.push_back(reader);
  }
  machine.enumerateHresult = enumerateHresult;
  return machine;
}

std::string Udi(SystemComponent* component) {
  return component->GetInfo().properties.at(0).second;
}

class ManagerTest : public ::testing::Test {
 protected:
  void TearDown() override {
    owner_.reset();
    EXPECT_EQ(platform::sim::OutstandingSimAllocations(), 0u);  // every array went back
  }
  std::unique_ptr<WinFingerprintComponentManager> owner_ =
      std::make_unique<WinFingerprintComponentManager>(ComponentId{22, 0, 0});
  WinFingerprintComponentManager& manager_ = *owner_;
};

// Readers are numbered in the framework's order; a failing enumeration lists none.
TEST_F(ManagerTest, ReadersInTheFrameworksOrder) {
  const std::pair<SimMachine, size_t> rows[] = {{MachineWithReaders(0), 0},
                                                {MachineWithReaders(2), 2},
                                                {MachineWithReaders(11), 11},
                                                {MachineWithReaders(2, int32_t(0x80098030u)), 0}};
  EXPECT_EQ(manager_.GetComponentCount(), 0u) << "nothing before the first enumeration";
  for (const auto& [machine, count] : rows) {
    ScopedMachine scoped(machine);
    EXPECT_EQ(manager_.IsDevicePresent(), count > 0);
    manager_.EnumerateComponents();
    ASSERT_EQ(manager_.GetComponentCount(), count);
    for (uint32_t i = 0; i < count; ++i) {
      EXPECT_EQ(manager_.GetComponent(i)->GetDeviceId(), std::to_string(i));
      EXPECT_EQ(Udi(manager_.GetComponent(i)), "Maker " + std::to_string(i) + " M" + std::to_string(i));
      EXPECT_EQ(manager_.ComponentAt(i), manager_.GetComponent(i));
    }
    EXPECT_EQ(manager_.GetComponent(static_cast<uint32_t>(count)), nullptr);
    EXPECT_EQ(manager_.ComponentAt(static_cast<uint32_t>(count)), nullptr);
    // Only the latest enumeration's array is held; the presence check frees its own.
    EXPECT_EQ(platform::sim::OutstandingSimAllocations(), count > 0 ? 1u : 0u);
  }
}

TEST_F(ManagerTest, PresenceIsAskedAfreshAndLeavesTheListAlone) {
  {
    ScopedMachine machine(MachineWithReaders(2));
    manager_.EnumerateComponents();
  }
  ScopedMachine unplugged(MachineWithReaders(0));
  EXPECT_FALSE(manager_.IsDevicePresent());
  EXPECT_EQ(manager_.GetComponentCount(), 2u);
  EXPECT_EQ(manager_.GetComponent(1)->GetDeviceId(), "1");
}

}  // namespace
