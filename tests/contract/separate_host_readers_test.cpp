// A host compiled on its own lists the readers: it declares the manager and
// component classes itself, from their slot orders and field layouts,
// includes none of the module's headers, and reaches the readers through
// dlopen and the virtual tables alone.

#include <cstdint>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <stdlib.h>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "host_view.h"

namespace {

using ::hostview::ComponentInfo;
using ::hostview::Property;

constexpr int32_t kSuccess = 20;
constexpr int32_t kCancelled = 17;

// The simulated machine is read once per process, from this file.
constexpr char kMachine[] = R"({
  "readers": [
    {"manufacturer": "Acm\u00e9", "model": "X\u4e2d", "description": "Touch sensor", "capabilities": 1},
    {"manufacturer": "Other", "model": "S2", "description": "Swipe sensor", "capabilities": 0}
  ],
  "driverVersion": "10.2.0.5",
  "sensor": {"touchAfterMs": 0}
})";

TEST(SeparateHostReadersTest, ListsReadersAndWaitsForATouchThroughTheVirtualTables) {
  char path[] = "/tmp/fp_readers_XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(write(fd, kMachine, sizeof(kMachine) - 1), static_cast<ssize_t>(sizeof(kMachine) - 1));
  close(fd);
  setenv("FINGERPRINT_SIM", path, 1);

  hostview::LoadedModule module(FP_MODULE_PATH);
  ASSERT_TRUE(module.ok()) << module.error;

  hostview::ComponentManager* manager = module.get()->GetComponentManager();
  ASSERT_NE(manager, nullptr);
  EXPECT_EQ(manager->GetId().key, uint64_t{22} << 48);
  EXPECT_TRUE(manager->IsDevicePresent());
  manager->EnumerateComponents();
  ASSERT_EQ(manager->GetComponentCount(), 2u);
  EXPECT_EQ(manager->GetComponent(2), nullptr);

  hostview::SystemComponent* first = manager->GetComponent(0);
  hostview::SystemComponent* second = manager->ComponentAt(1);
  EXPECT_EQ(first->GetDeviceId(), "0");
  EXPECT_EQ(second->GetDeviceId(), "1");
  const ComponentInfo info = first->GetInfo();
  EXPECT_EQ(info.typeName, "FINGERPRINT");
  EXPECT_EQ(info.secondText, "");
  const std::vector<Property> expected = {{"UDI", "Acm\xE9 X\x2D"},
                                          {"FINGERPRINT_MANUFACTURER", "Acm\xC3\xA9"},
                                          {"FINGERPRINT_MODEL", "X\xE4\xB8\xAD"},
                                          {"FINGERPRINT_DESCRIPTION", "Touch sensor"},
                                          {"DRIVER_VERSION", "10.2.0.5"}};
  EXPECT_EQ(info.properties, expected);
  EXPECT_TRUE(info.propertyMap.empty());
  EXPECT_TRUE(first->GetPropertyGroups().empty());
  EXPECT_EQ(second->GetInfo().properties.at(0), (Property{"UDI", "Other S2"}));
  EXPECT_EQ(first->HostValue(), 0u);
  EXPECT_TRUE(first->HostQuery1() && first->HostQuery2() && first->HostQuery3());

  auto* reader = static_cast<hostview::FingerprintComponent*>(first);
  EXPECT_TRUE(reader->HasSensor());
  EXPECT_FALSE(static_cast<hostview::FingerprintComponent*>(second)->HasSensor());
  reader->ResetState();
  ASSERT_EQ(reader->OpenSession(), kSuccess);
  EXPECT_EQ(reader->LocateSensor(5), kSuccess);
  reader->CancelAndClose();
  EXPECT_TRUE(reader->IsCancelRequested());
  ASSERT_EQ(reader->OpenSession(), kSuccess);
  EXPECT_EQ(reader->LocateSensor(5), kCancelled);
  reader->CancelAndClose();

  module.release();
  unlink(path);
}

}  // namespace
