#include "device/win_fingerprint_component_manager.h"

#include <chrono>
#include <gtest/gtest.h>
#include <optional>
#include <tuple>

#include "device/driver_versions.h"
#include "device/win_fingerprint_component.h"
#include "platform/sim/sim_biometric_service.h"
#include "platform/sim/sim_device_registry.h"
#include "platform/sim/sim_machine.h"
#include "tests/support/test_support.h"

namespace {

using platform::sim::SimMachine;

SimMachine MachineWithReaders(size_t count, int32_t enumerateHresult = 0) {
  SimMachine machine = platform::sim::DefaultMachine();
  machine.readers.assign(count, {});
  for (size_t i = 0; i < count; ++i) {
    machine.readers[i].manufacturer = "Maker " + std::to_string(i);
    machine.readers[i].model = "M" + std::to_string(i);
  }
  machine.enumerateHresult = enumerateHresult;
  return machine;
}

// Readers are numbered in the framework's order; a failing enumeration lists
// none. Presence is asked afresh and leaves the list alone.
TEST(ManagerTest, ReadersInTheFrameworksOrder) {
  auto manager = std::make_unique<WinFingerprintComponentManager>(ComponentId{22, 0, 0});
  const std::pair<SimMachine, size_t> rows[] = {{MachineWithReaders(0), 0},
                                                {MachineWithReaders(2), 2},
                                                {MachineWithReaders(11), 11},
                                                {MachineWithReaders(2, int32_t(0x80098030u)), 0}};
  size_t listed = 0;
  for (const auto& [machine, count] : rows) {
    platform::sim::ScopedMachine scoped(machine);
    EXPECT_EQ(manager->IsDevicePresent(), count > 0);
    EXPECT_EQ(manager->GetComponentCount(), listed);
    manager->EnumerateComponents();
    ASSERT_EQ(listed = manager->GetComponentCount(), count);
    for (uint32_t i = 0; i < count; ++i) {
      EXPECT_EQ(manager->GetComponent(i)->GetDeviceId(), std::to_string(i));
      EXPECT_EQ(manager->GetComponent(i)->GetInfo().properties.at(0).second,
                "Maker " + std::to_string(i) + " M" + std::to_string(i));
      EXPECT_EQ(manager->ComponentAt(i), manager->GetComponent(i));
    }
    EXPECT_EQ(manager->GetComponent(static_cast<uint32_t>(count)), nullptr);
    EXPECT_EQ(manager->ComponentAt(static_cast<uint32_t>(count)), nullptr);
    // Only the latest enumeration's array is held; the presence check frees its
    // own. The device list of the driver versions went with the listing.
    EXPECT_EQ(platform::sim::OutstandingSimAllocations(), count > 0 ? 1u : 0u);
    EXPECT_EQ(platform::sim::OpenSimDeviceInfoSetCount(), 0u);
  }
  manager.reset();
  EXPECT_EQ(platform::sim::OutstandingSimAllocations(), 0u);  // every array went back
}

// Listings on machine files: biometrics turned off by policy still list the
// device tree's readers, saying why; a service that hangs is given up on
// within the grace period (bounds generous for a loaded machine).
TEST(ManagerTest, ListingsThatTheServiceDoesNotAnswerPlainly) {
  const std::tuple<const char*, size_t, std::vector<Property>> rows[] = {
      // The device tree has no model: the device's name stands for it.
      {"biometrics-disabled.json",
       1,
       {{"UDI", "Virtual Simulated fingerprint reader"},
        {"FINGERPRINT_MANUFACTURER", "Virtual"},
        {"FINGERPRINT_MODEL", "Simulated fingerprint reader"},
        {"FINGERPRINT_DESCRIPTION", "Simulated fingerprint reader"},
        {"DRIVER_VERSION", "1.0.0.0"},
        {"BIOMETRICS", "TURNED_OFF_BY_POLICY"}}},
      {"two-readers.json", 2, {}},
      // Last: the listing it gives up on stays in the service for a while.
      {"enumeration-hangs.json", 0, {}},
  };
  for (const auto& [file, count, properties] : rows) {
    platform::sim::ScopedMachine scoped(fp_test::MachineFile(file));
    WinFingerprintComponentManager manager(ComponentId{22, 0, 0});
    const auto start = std::chrono::steady_clock::now();
    manager.EnumerateComponents();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(7000)) << file;
    ASSERT_EQ(manager.GetComponentCount(), count) << file;
    if (!properties.empty()) {
      EXPECT_EQ(manager.GetComponent(0)->GetInfo().properties, properties) << file;
    }
  }
}

// A removed reader keeps its driver key in the class; a unit whose device is
// not found takes the first present device's version, never the removed one's.
TEST(ManagerTest, ARemovedDevicesVersionIsNotTaken) {
  platform::sim::ScopedMachine scoped(fp_test::MachineFile("removed-reader.json"));
  DriverVersions versions;
  EXPECT_EQ(versions.Of(u"USB\\VID_0000&PID_0000\\NONE"), u"10.2.0.5");
  EXPECT_EQ(versions.Of(u"ROOT\\BIOMETRIC\\0000"), u"10.2.0.5");
}

}  // namespace
