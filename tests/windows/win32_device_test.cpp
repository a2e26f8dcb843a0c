// The device layer over the real Windows backend: winbio.dll (the simulated
// machine's, from the prefix's system folder), SetupAPI and the registry of
// the staged prefix, Wine's process token. Each suite runs in a process of its
// own on the machine its name gives (see CMakeLists.txt).
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

#include <QLibrary>

#include "device/device_information.h"
#include "device/win_fingerprint_component.h"
#include "device/win_fingerprint_component_manager.h"
#include "platform/biometric_service.h"
#include "platform/platform.h"

namespace {

// A test export of the simulated machine's winbio.dll, the library the module loaded.
template <class Fn>
Fn Sim(const char* name) {
  static QLibrary library(QStringLiteral("C:/windows/system32/winbio.dll"));
  const auto function = reinterpret_cast<Fn>(library.resolve(name));
  EXPECT_NE(function, nullptr) << name << ": " << library.errorString().toStdString();
  return function;
}
size_t OpenSessions() {
  return Sim<size_t (*)()>("SimOpenSessionCount")();
}

// The enumerated readers, and the first of them.
struct Readers {
  Readers() { manager.EnumerateComponents(); }
  FingerprintComponent* first() { return static_cast<FingerprintComponent*>(manager.GetComponent(0)); }
  WinFingerprintComponentManager manager{ComponentId{22, 0, 0}};
};

// The last property of each listed reader.
std::vector<Property> DriverVersions(WinFingerprintComponentManager& manager) {
  std::vector<Property> versions;
  for (uint32_t i = 0; i < manager.GetComponentCount(); ++i)
    versions.push_back(manager.GetComponent(i)->GetInfo().properties.back());
  return versions;
}

// The properties in full are diag-host's listing's (diag_host_run.sh): here,
// both readers from the framework's records and each one's driver version,
// that of its own device.
TEST(TwoReaders, ReadersFromTheFrameworkRecordsAndTheRegistry) {
  {
    Readers readers;
    EXPECT_TRUE(readers.manager.IsDevicePresent());
    ASSERT_EQ(readers.manager.GetComponentCount(), 2u);
    for (uint32_t i = 0; i < 2; ++i) {
      auto* reader = static_cast<FingerprintComponent*>(readers.manager.GetComponent(i));
      EXPECT_TRUE(reader->HasSensor()) << i;
      EXPECT_EQ(reader->GetInfo().properties.at(0).second, i == 0 ? "Acme X1" : "Contoso Swipe 2");
    }
    EXPECT_EQ(DriverVersions(readers.manager),
              (std::vector<Property>{{"DRIVER_VERSION", "10.2.0.5"}, {"DRIVER_VERSION", "3.1.0.0"}}));
  }
  // The unit array went back through WinBioFree.
  EXPECT_EQ(Sim<size_t (*)()>("SimOutstandingAllocations")(), 0u);
}

TEST(TwoReaders, TouchSampleHintAndDeletionAsTheProcessUser) {
  Readers readers;
  FingerprintComponent* reader = readers.first();
  ASSERT_EQ(reader->OpenSession(), FingerprintError::Success);
  EXPECT_EQ(reader->LocateSensor(60), FingerprintError::Success);  // touched after 1.5 s
  EXPECT_EQ(reader->GetSampleHint(), 1u);

  EXPECT_EQ(reader->DeleteTemplate(3), FingerprintError::Success);
  // The identity carries the SID of Wine's process token: revision 1 and
  // 8 + 4 bytes per sub-authority.
  WINBIO_IDENTITY identity{};
  Sim<void (*)(WINBIO_IDENTITY*)>("SimLastDeletedIdentity")(&identity);
  EXPECT_EQ(identity.Type, WINBIO_ID_TYPE_SID);
  EXPECT_EQ(identity.Value.AccountSid.Data[0], 1);
  EXPECT_GT(identity.Value.AccountSid.Data[1], 0);
  EXPECT_EQ(identity.Value.AccountSid.Size, 8u + 4u * identity.Value.AccountSid.Data[1]);
  reader->CloseSession();
  EXPECT_EQ(OpenSessions(), 0u);
}

// The staged machine's fifty other readers (tests/windows/CMakeLists.txt):
// each its own driver's version, found by its device instance id in one
// device list. A unit whose device is not staged gets the first device's.
TEST(FiftyReaders, EachReaderItsOwnDriverVersion) {
  Readers readers;
  std::vector<Property> expected;
  for (int n = 1; n <= 50; ++n)
    expected.emplace_back("DRIVER_VERSION", "20." + std::to_string(n) + ".0." + std::to_string(100 + n));
  EXPECT_EQ(DriverVersions(readers.manager), expected);
}

TEST(NeverTouched, AReaderWithoutStagedDeviceHasTheFirstDevicesVersion) {
  Readers readers;
  EXPECT_EQ(DriverVersions(readers.manager), (std::vector<Property>{{"DRIVER_VERSION", "10.2.0.5"}}));
}

// Cancellations from another thread at different points: before the wait
// reaches the framework, and inside a poll period. (The watchdog's own limit
// under Wine shows in diag-host's never-touched run.)
TEST(NeverTouched, CancelAndCloseFromAnotherThreadEndsTheWait) {
  Readers readers;
  FingerprintComponent* reader = readers.first();
  for (const int delayMs : {0, 5, 150, 330}) {
    reader->ResetState();
    ASSERT_EQ(reader->OpenSession(), FingerprintError::Success);
    auto wait = std::async(std::launch::async, [reader] { return reader->LocateSensor(60); });
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    reader->CancelAndClose();
    EXPECT_EQ(wait.get(), FingerprintError::Cancelled) << delayMs;
    EXPECT_EQ(OpenSessions(), 0u) << delayMs;
  }
}

TEST(BrokenSensor, FrameworkFailureEndsTheWait) {
  Readers readers;
  ASSERT_EQ(readers.first()->OpenSession(), FingerprintError::Success);
  EXPECT_EQ(readers.first()->LocateSensor(60), FingerprintError::LocateFailed);
  readers.first()->CancelAndClose();
}

}  // namespace
