// Real readers' recorded USB traffic (tests/data/recordings/), replayed with
// umockdev: CTest runs this program under umockdev-run once per replay, naming
// it in FP_REPLAY ("aes3500", or "aes3500+vfs5011" for two readers at once;
// "..._as_nobody" runs it as a user who may not open the device node).
// Every reader libfprint's database knows is listed with the identity udev
// gives it, and the recognition test, driven through the module's exports,
// ends as its driver allows: Passed, Error for a driver that crashes (only
// its own readers: the others stay usable), NotSupported without a driver,
// Error for a node this user may not open, which says so and what to do.
#include <chrono>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include <QString>

#include "contract/diagnostic.h"
#include "contract/module_interface.h"
#include "contract/system_component.h"
#include "contract/system_component_manager.h"
#include "contract/test.h"
#include "host/module_library.h"
#include "tests/support/recording_host.h"

using testing::ElementsAreArray;

namespace {

struct Reader {
  std::string instanceId;  // as the UDI's source: manufacturer and model follow
  std::string manufacturer;
  std::string model;
  std::string description;
  std::string driverStatus = {};           // "": none
  TestStatus status = TestStatus::Passed;  // of a run on it
  std::vector<std::string> messages = {};
};

const std::string kCrash = "ended by signal 5 (Trace/breakpoint trap) while listing readers";
const Reader kAes3500{R"(USB\VID_08FF&PID_5731\3-1.1.3)", "AuthenTec, Inc.",
                      "AES3500 TruePrint Sensor (USB 08ff:5731, libfprint driver aes3500)",
                      "AuthenTec AES3500"};
const Reader kVfs5011{R"(USB\VID_138A&PID_0017\2-6)",
                      "Validity Sensors, Inc.",
                      "VFS 5011 fingerprint sensor (USB 138a:0017, libfprint driver vfs5011)",
                      "VFS 5011 fingerprint sensor",
                      "libfprint driver vfs5011 failed: " + kCrash,
                      TestStatus::Error,
                      {"CANNOT_ACCESS_DEVICE"}};

const struct Replay {
  const char* name;
  std::vector<Reader> readers;  // in listed order
  // Helpers that crash in the whole process: the listing of all drivers,
  // then (with other drivers present) the failing driver alone, never again.
  size_t crashes = 0;
} kReplays[] = {
    {"aes3500", {kAes3500}},
    {"elan",
     {{R"(USB\VID_04F3&PID_0C26\1-4.4)", "Elan Microelectronics Corp.",
       "ELAN:Fingerprint (USB 04f3:0c26, libfprint driver elan)", "ElanTech Fingerprint Sensor"}}},
    {"upektc_img",
     {{R"(USB\VID_147E&PID_2016\1-1.3)", "Upek",
       "Biometric Touchchip/Touchstrip Fingerprint Sensor (USB 147e:2016, libfprint driver upektc_img)",
       "Upek TouchChip Fingerprint Coprocessor"}}},
    {"vfs301",
     {{R"(USB\VID_138A&PID_0005\2-1.3)", "Validity Sensors, Inc.",
       "VFS301 Fingerprint Reader (USB 138a:0005, libfprint driver vfs301)", "Validity VFS301"}}},
    {"vfs5011", {kVfs5011}, 1},
    {"synaptics_unsupported",
     {{R"(USB\VID_06CB&PID_00A8\2-6)",
       "Synaptics, Inc.",
       "(USB 06cb:00a8, no libfprint driver)",
       "USB fingerprint reader",
       "no Linux driver supports this reader (libfprint lists it as unsupported)",
       TestStatus::NotSupported,
       {"NO_DRIVER_SUPPORTS_READER"}}}},
    {"aes3500+vfs5011", {kAes3500, kVfs5011}, 2},
    // libfprint leaves out a reader this user may not open (as match-on-chip
    // drivers, which open theirs to probe them, do): listed from udev, with
    // the product's name, and never as a failed driver.
    {"aes3500_as_nobody",
     {{kAes3500.instanceId,
       kAes3500.manufacturer,
       kAes3500.model,
       "AES3500 TruePrint Sensor",
       "this user may not open the reader's device node /dev/bus/usb/003/004: run the test as administrator "
       "(root), or give the user access with the udev rule in the README",
       TestStatus::Error,
       {"CANNOT_ACCESS_DEVICE"}}}},
};

std::string Property(SystemComponent* component, const std::string& key) {
  for (const auto& [name, value] : component->GetInfo().properties)
    if (name == key) return value;
  return "";
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST(LibfprintReplayTest, EveryRecordedReaderIsListedWithItsStateAndItsRunEndsAsItsDriverAllows) {
  const char* name = std::getenv("FP_REPLAY");
  ASSERT_NE(name, nullptr) << "CTest runs this under umockdev-run";
  const Replay* replay = nullptr;
  for (const Replay& row : kReplays)
    if (row.name == std::string(name)) replay = &row;
  ASSERT_NE(replay, nullptr) << name;

  setenv("FINGERPRINT_BACKEND", "libfprint", 1);
  ModuleLibrary module;
  QString error;
  ASSERT_TRUE(module.Load(QStringLiteral(FP_MODULE_PATH), &error)) << error.toStdString();
  SystemComponentManager* manager = module.Interface()->GetComponentManager();
  ::Test* test = module.Interface()->GetDiagnostic(0)->GetTest(0);
  test->Configure(Settings{{"CSAT", {{"CSAT_TEST_TIMEOUT", "20"}}}}, nullptr);
  testing::internal::CaptureStderr();
  // Listed afresh before each run: a replay answers a reader's traffic once.
  for (const Reader& reader : replay->readers) {
    SCOPED_TRACE(reader.instanceId);
    manager->EnumerateComponents();
    ASSERT_EQ(manager->GetComponentCount(), replay->readers.size());
    SystemComponent* component = manager->GetComponent(static_cast<uint32_t>(&reader - &replay->readers[0]));
    EXPECT_EQ(Property(component, "UDI"), reader.manufacturer + " " + reader.model);
    EXPECT_EQ(Property(component, "FINGERPRINT_MANUFACTURER"), reader.manufacturer);
    EXPECT_EQ(Property(component, "FINGERPRINT_MODEL"), reader.model);
    EXPECT_EQ(Property(component, "FINGERPRINT_DESCRIPTION"), reader.description);
    EXPECT_EQ(Property(component, "DRIVER_STATUS"), reader.driverStatus);
    RecordingHost host;
    host.component = component;
    host.yesNoAnswer = InputRequest::No;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(test->Run(&host), reader.status) << testing::PrintToString(host.Lines());
    EXPECT_THAT(host.Messages(), ElementsAreArray(reader.messages));
    // A reader without a working driver is known as such at once: generous
    // for a loaded machine, far below the 20 s limit of a reader that waits.
    if (reader.status != TestStatus::Passed) {
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
    }
  }
  // What a crashing driver costs is paid once for the whole process, however
  // often the readers are listed.
  const std::string messages = testing::internal::GetCapturedStderr();
  EXPECT_EQ(Count(messages, "libfprint helper " + kCrash), replay->crashes) << messages;
}

}  // namespace
