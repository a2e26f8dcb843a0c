#include "platform/sim/sim_biometric_service.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <thread>

#include "platform/biometric_service.h"
#include "platform/platform.h"
#include "platform/sim/sim_machine.h"

namespace {

using namespace std::chrono_literals;
using platform::sim::SimMachine;

platform::BiometricService& Service() {
  return platform::biometric();
}

SimMachine Machine(std::optional<uint32_t> touchAfterMs = std::nullopt) {
  SimMachine machine = platform::sim::DefaultMachine();
  machine.sensor.touchAfterMs = touchAfterMs;
  return machine;
}

WINBIO_SESSION_HANDLE Open() {
  WINBIO_SESSION_HANDLE handle = 0;
  EXPECT_EQ(Service().OpenSession(WINBIO_TYPE_FINGERPRINT, WINBIO_POOL_SYSTEM, WINBIO_FLAG_DEFAULT, nullptr,
                                  0, nullptr, &handle),
            0);
  return handle;
}

std::future<HRESULT_T> Locate(WINBIO_SESSION_HANDLE handle) {
  return std::async(std::launch::async, [handle] {
    WINBIO_UNIT_ID unit = 0;
    return Service().LocateSensor(handle, &unit);
  });
}

class SimBiometricTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(platform::sim::OpenSimSessionCount(), 0u);
    EXPECT_EQ(platform::sim::OutstandingSimAllocations(), 0u);
  }
};

TEST_F(SimBiometricTest, EnumerationGivesTheReadersInUtf16) {
  SimMachine description = Machine();
  description.readers.resize(2);
  description.readers[0].manufacturer = "Acm\xC3\xA9";
  description.readers[0].model = "X\xE4\xB8\xAD";
  description.readers[0].unitId = 41;
  description.readers[0].capabilities = 3;
  description.readers[1].description = std::string(300, 'd');
  platform::sim::ScopedMachine machine(description);

  WINBIO_UNIT_SCHEMA* units = nullptr;
  size_t count = 0;
  ASSERT_EQ(Service().EnumBiometricUnits(WINBIO_TYPE_FINGERPRINT, &units, &count), 0);
  ASSERT_EQ(count, 2u);
  ASSERT_NE(units, nullptr);
  EXPECT_EQ(std::u16string(units[0].Manufacturer), u"Acm\u00e9");
  EXPECT_EQ(std::u16string(units[0].Model), u"X\u4e2d");
  EXPECT_EQ(std::u16string(units[0].DeviceInstanceId), u"ROOT\\BIOMETRIC\\0000");
  EXPECT_EQ(units[0].UnitId, 41u);
  EXPECT_EQ(units[0].Capabilities, 3u);
  EXPECT_EQ(units[0].BiometricFactor, WINBIO_TYPE_FINGERPRINT);
  // Cut to the record's 256 units, NUL included.
  EXPECT_EQ(std::u16string(units[1].Description), std::u16string(255, u'd'));
  EXPECT_EQ(platform::sim::OutstandingSimAllocations(), 1u);
  EXPECT_EQ(Service().Free(units), 0);
  EXPECT_LT(Service().Free(units), 0);  // a second release is refused, not a double free
}

TEST_F(SimBiometricTest, EnumerationFailureOrNoReaders) {
  SimMachine failing = Machine();
  failing.enumerateHresult = static_cast<int32_t>(0x80098030u);
  platform::sim::ScopedMachine machine(failing);
  WINBIO_UNIT_SCHEMA* units = reinterpret_cast<WINBIO_UNIT_SCHEMA*>(0x1);
  size_t count = 7;
  EXPECT_EQ(Service().EnumBiometricUnits(WINBIO_TYPE_FINGERPRINT, &units, &count), failing.enumerateHresult);
  EXPECT_EQ(units, nullptr);
  EXPECT_EQ(count, 0u);

  platform::sim::ScopedMachine empty(platform::sim::EmptyMachine());
  EXPECT_EQ(Service().EnumBiometricUnits(WINBIO_TYPE_FINGERPRINT, &units, &count), 0);
  EXPECT_EQ(units, nullptr);
  EXPECT_EQ(count, 0u);
}

TEST_F(SimBiometricTest, SessionsHaveDistinctNonZeroHandles) {
  platform::sim::ScopedMachine machine(Machine());
  const WINBIO_SESSION_HANDLE first = Open();
  const WINBIO_SESSION_HANDLE second = Open();
  EXPECT_NE(first, 0u);
  EXPECT_NE(second, 0u);
  EXPECT_NE(first, second);
  EXPECT_EQ(Service().CloseSession(first), 0);
  EXPECT_LT(Service().CloseSession(first), 0);
  EXPECT_EQ(Service().CloseSession(second), 0);

  SimMachine refusing = Machine();
  refusing.openSessionHresult = static_cast<int32_t>(0x80098003u);
  platform::sim::ScopedMachine refused(refusing);
  WINBIO_SESSION_HANDLE handle = 77;
  EXPECT_EQ(Service().OpenSession(WINBIO_TYPE_FINGERPRINT, WINBIO_POOL_SYSTEM, WINBIO_FLAG_DEFAULT, nullptr,
                                  0, nullptr, &handle),
            refusing.openSessionHresult);
  EXPECT_EQ(handle, 0u);
}

TEST_F(SimBiometricTest, WaitEndsWithTheTouch) {
  platform::sim::ScopedMachine machine(Machine(80));
  const WINBIO_SESSION_HANDLE session = Open();
  const auto start = std::chrono::steady_clock::now();
  WINBIO_UNIT_ID unit = 0;
  EXPECT_EQ(Service().LocateSensor(session, &unit), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 80ms);
  EXPECT_EQ(unit, 1u);
  Service().CloseSession(session);
}

TEST_F(SimBiometricTest, FailingSensorAndUnknownSessionFailAtOnce) {
  SimMachine failing = Machine();
  failing.sensor.locateHresult = static_cast<int32_t>(0x80098020u);
  platform::sim::ScopedMachine machine(failing);
  const WINBIO_SESSION_HANDLE session = Open();
  WINBIO_UNIT_ID unit = 0;
  EXPECT_EQ(Service().LocateSensor(session, &unit), failing.sensor.locateHresult);
  Service().CloseSession(session);
  EXPECT_EQ(Service().LocateSensor(session, &unit), E_HANDLE_T);
  EXPECT_EQ(Service().Cancel(session), E_HANDLE_T);
}

TEST_F(SimBiometricTest, UntouchedWaitEndsOnlyByCancellingItsSession) {
  platform::sim::ScopedMachine machine(Machine());
  const WINBIO_SESSION_HANDLE session = Open();
  const WINBIO_SESSION_HANDLE other = Open();
  auto wait = Locate(session);
  EXPECT_EQ(wait.wait_for(150ms), std::future_status::timeout);
  EXPECT_EQ(Service().Cancel(other), 0);  // another session's cancellation
  EXPECT_EQ(wait.wait_for(100ms), std::future_status::timeout);
  EXPECT_EQ(Service().Cancel(session), 0);
  ASSERT_EQ(wait.wait_for(30s), std::future_status::ready);
  EXPECT_EQ(wait.get(), WINBIO_E_CANCELED);
  Service().CloseSession(session);
  Service().CloseSession(other);
}

TEST_F(SimBiometricTest, CancellationReachesOnlyAPendingWait) {
  platform::sim::ScopedMachine machine(Machine(50));
  const WINBIO_SESSION_HANDLE session = Open();
  EXPECT_EQ(Service().Cancel(session), 0);
  WINBIO_UNIT_ID unit = 0;
  EXPECT_EQ(Service().LocateSensor(session, &unit), 0);
  Service().CloseSession(session);
}

TEST_F(SimBiometricTest, ClosingTheSessionEndsItsWait) {
  platform::sim::ScopedMachine machine(Machine());
  const WINBIO_SESSION_HANDLE session = Open();
  auto wait = Locate(session);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(Service().CloseSession(session), 0);
  ASSERT_EQ(wait.wait_for(30s), std::future_status::ready);
  EXPECT_EQ(wait.get(), WINBIO_E_CANCELED);
}

TEST_F(SimBiometricTest, SampleHintPropertyIsAFrameworkBuffer) {
  platform::sim::ScopedMachine machine(Machine());
  const WINBIO_SESSION_HANDLE session = Open();
  void* buffer = nullptr;
  size_t size = 0;
  ASSERT_EQ(Service().GetProperty(session, WINBIO_PROPERTY_TYPE_UNIT, WINBIO_PROPERTY_SAMPLE_HINT, 1, nullptr,
                                  0, &buffer, &size),
            0);
  ASSERT_EQ(size, sizeof(uint32_t));
  EXPECT_EQ(*static_cast<uint32_t*>(buffer), 1u);
  EXPECT_EQ(Service().Free(buffer), 0);
  EXPECT_LT(Service().GetProperty(session, WINBIO_PROPERTY_TYPE_UNIT, 99, 1, nullptr, 0, &buffer, &size), 0);
  EXPECT_EQ(buffer, nullptr);
  Service().CloseSession(session);
}

}  // namespace
