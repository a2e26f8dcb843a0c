#include "device/win_fingerprint_component_manager.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdexcept>

#include "device/win_fingerprint_component.h"
#include "platform/sim/sim_biometric_service.h"
#include "platform/sim/sim_machine.h"
#include "tests/support/platform_fakes.h"

namespace {

using ::testing::_;
using ::testing::DoAll;
using ::testing::InSequence;
using ::testing::NotNull;
using ::testing::Return;
using ::testing::SetArgPointee;
using ::testing::StrictMock;

platform::sim::SimMachine MachineWithReaders(size_t count) {
  platform::sim::SimMachine machine = platform::sim::DefaultMachine();
  machine.readers.clear();
  for (size_t i = 0; i < count; ++i) {
    platform::sim::SimReader reader;
    reader.manufacturer = "Maker " + std::to_string(i);
    reader.model = "M" + std::to_string(i);
    reader.unitId = static_cast<uint32_t>(100 + i);
    machine.readers.push_back(reader);
  }
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

TEST_F(ManagerTest, NothingIsListedBeforeTheFirstEnumeration) {
  platform::sim::ScopedMachine machine(MachineWithReaders(2));
  EXPECT_EQ(manager_.GetComponentCount(), 0u);
  EXPECT_EQ(manager_.GetComponent(0), nullptr);
  EXPECT_EQ(manager_.GetId(), (ComponentId{22, 0, 0}));
}

TEST_F(ManagerTest, MachineWithoutReaders) {
  platform::sim::ScopedMachine machine(MachineWithReaders(0));
  EXPECT_FALSE(manager_.IsDevicePresent());
  manager_.EnumerateComponents();
  EXPECT_EQ(manager_.GetComponentCount(), 0u);
  EXPECT_EQ(manager_.GetComponent(0), nullptr);
  EXPECT_EQ(manager_.ComponentAt(0), nullptr);
}

TEST_F(ManagerTest, TwoReadersInTheFrameworksOrder) {
  platform::sim::ScopedMachine machine(MachineWithReaders(2));
  EXPECT_TRUE(manager_.IsDevicePresent());
  manager_.EnumerateComponents();
  ASSERT_EQ(manager_.GetComponentCount(), 2u);
  EXPECT_EQ(manager_.GetComponent(0)->GetDeviceId(), "0");
  EXPECT_EQ(manager_.GetComponent(1)->GetDeviceId(), "1");
  EXPECT_EQ(Udi(manager_.GetComponent(0)), "Maker 0 M0");
  EXPECT_EQ(Udi(manager_.GetComponent(1)), "Maker 1 M1");
  EXPECT_EQ(manager_.ComponentAt(1), manager_.GetComponent(1));
  EXPECT_EQ(manager_.GetComponent(2), nullptr);
  EXPECT_EQ(manager_.ComponentAt(2), nullptr);
  EXPECT_NE(dynamic_cast<FingerprintComponent*>(manager_.GetComponent(1)), nullptr);
}

TEST_F(ManagerTest, ElevenReadersAreNumberedZeroToTen) {
  platform::sim::ScopedMachine machine(MachineWithReaders(11));
  manager_.EnumerateComponents();
  ASSERT_EQ(manager_.GetComponentCount(), 11u);
  for (uint32_t i = 0; i < 11; ++i) {
    EXPECT_EQ(manager_.GetComponent(i)->GetDeviceId(), std::to_string(i));
    EXPECT_EQ(Udi(manager_.GetComponent(i)), "Maker " + std::to_string(i) + " M" + std::to_string(i));
  }
  EXPECT_EQ(manager_.GetComponent(10)->GetDeviceId(), "10");
}

TEST_F(ManagerTest, FailingEnumerationLeavesTheListEmpty) {
  platform::sim::SimMachine description = MachineWithReaders(2);
  description.enumerateHresult = static_cast<int32_t>(0x80098030u);
  platform::sim::ScopedMachine machine(description);
  EXPECT_FALSE(manager_.IsDevicePresent());
  manager_.EnumerateComponents();
  EXPECT_EQ(manager_.GetComponentCount(), 0u);
  EXPECT_EQ(manager_.GetComponent(0), nullptr);
}

TEST_F(ManagerTest, EnumeratingAgainReplacesTheComponentsAndTheArray) {
  {
    platform::sim::ScopedMachine machine(MachineWithReaders(3));
    manager_.EnumerateComponents();
    ASSERT_EQ(manager_.GetComponentCount(), 3u);
  }
  platform::sim::ScopedMachine machine(MachineWithReaders(2));
  manager_.EnumerateComponents();
  EXPECT_EQ(manager_.GetComponentCount(), 2u);
  EXPECT_EQ(Udi(manager_.GetComponent(1)), "Maker 1 M1");
  // Only the second enumeration's array is still held.
  EXPECT_EQ(platform::sim::OutstandingSimAllocations(), 1u);
  manager_.EnumerateComponents();
  EXPECT_EQ(platform::sim::OutstandingSimAllocations(), 1u);
}

TEST_F(ManagerTest, DevicePresenceIsAskedAfreshAndLeavesTheListAlone) {
  {
    platform::sim::ScopedMachine machine(MachineWithReaders(2));
    manager_.EnumerateComponents();
  }
  platform::sim::ScopedMachine unplugged(MachineWithReaders(0));
  EXPECT_FALSE(manager_.IsDevicePresent());
  EXPECT_EQ(manager_.GetComponentCount(), 2u);
  EXPECT_EQ(manager_.GetComponent(1)->GetDeviceId(), "1");
  platform::sim::ScopedMachine pluggedIn(MachineWithReaders(1));
  EXPECT_TRUE(manager_.IsDevicePresent());
  EXPECT_EQ(manager_.GetComponentCount(), 2u);
  EXPECT_EQ(platform::sim::OutstandingSimAllocations(), 1u);  // the presence check freed its own array
}

// The framework's side, scripted: the exact calls and the order of release.
class ScriptedManagerTest : public ::testing::Test {
 protected:
  ScriptedManagerTest() : machine_(platform::sim::DefaultMachine()) {
    units_[0] = MakeUnit(u"Acme", u"X1", u"Touch sensor", 1, 5);
    units_[1] = MakeUnit(u"Acme", u"X2", u"Touch sensor", 1, 6);
    units_[2] = MakeUnit(u"Acme", std::u16string(1, char16_t(0xD800)), u"Touch sensor", 1, 7);
  }
  void ExpectEnumeration(size_t count, HRESULT_T result = 0) {
    EXPECT_CALL(biometric_, EnumBiometricUnits(WINBIO_TYPE_FINGERPRINT, NotNull(), NotNull()))
        .WillOnce(DoAll(SetArgPointee<1>(units_), SetArgPointee<2>(count), Return(result)));
  }

  platform::sim::ScopedMachine machine_;
  WINBIO_UNIT_SCHEMA units_[3];
  StrictMock<MockBiometricService> biometric_;
  platform::ScopedServices services_{{&biometric_, nullptr, nullptr, nullptr}};
};

TEST_F(ScriptedManagerTest, ComponentsAreDestroyedBeforeTheArrayIsFreed) {
  auto manager = std::make_unique<WinFingerprintComponentManager>(ComponentId{22, 0, 0});
  ExpectEnumeration(2);
  manager->EnumerateComponents();
  ASSERT_EQ(manager->GetComponentCount(), 2u);
  auto* second = dynamic_cast<FingerprintComponent*>(manager->GetComponent(1));
  EXPECT_CALL(biometric_, OpenSession(_, _, _, _, _, _, NotNull()))
      .WillOnce(DoAll(SetArgPointee<6>(WINBIO_SESSION_HANDLE{9}), Return(0)));
  ASSERT_EQ(second->OpenSession(), FingerprintError::Success);

  InSequence order;
  EXPECT_CALL(biometric_, CloseSession(9u)).WillOnce(Return(0));  // the component's session
  EXPECT_CALL(biometric_, Free(units_)).WillOnce(Return(0));
  manager.reset();
}

TEST_F(ScriptedManagerTest, FailedEnumerationIsSilentAndKeepsNoComponents) {
  WinFingerprintComponentManager manager(ComponentId{22, 0, 0});
  ExpectEnumeration(2, static_cast<HRESULT_T>(0x80004005u));
  EXPECT_CALL(biometric_, Free(units_)).WillOnce(Return(0));
  manager.EnumerateComponents();
  EXPECT_EQ(manager.GetComponentCount(), 0u);
  EXPECT_EQ(manager.GetComponent(0), nullptr);
}

TEST_F(ScriptedManagerTest, PresenceCheckFreesItsArray) {
  WinFingerprintComponentManager manager(ComponentId{22, 0, 0});
  ExpectEnumeration(2);
  EXPECT_CALL(biometric_, Free(units_)).WillOnce(Return(0));
  EXPECT_TRUE(manager.IsDevicePresent());
  ExpectEnumeration(0);
  EXPECT_CALL(biometric_, Free(units_)).WillOnce(Return(0));
  EXPECT_FALSE(manager.IsDevicePresent());
}

TEST_F(ScriptedManagerTest, ConversionFailurePropagatesAndKeepsTheComponentsBeforeIt) {
  WinFingerprintComponentManager manager(ComponentId{22, 0, 0});
  ExpectEnumeration(3);
  try {
    manager.EnumerateComponents();
    ADD_FAILURE() << "no exception";
  } catch (const std::range_error& error) {
    EXPECT_STREQ(error.what(), "bad conversion");
  }
  ASSERT_EQ(manager.GetComponentCount(), 2u);
  EXPECT_EQ(manager.GetComponent(1)->GetDeviceId(), "1");
  EXPECT_EQ(Udi(manager.GetComponent(1)), "Acme X2");
  EXPECT_CALL(biometric_, Free(units_)).WillOnce(Return(0));
}

}  // namespace
