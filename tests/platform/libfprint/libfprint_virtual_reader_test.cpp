// The libfprint backend on libfprint's own virtual image device, through the
// module's exports as a host drives it (libfprint itself runs in the
// backend's helper process): the test serves as the finger (and the device's
// failures) on the device's socket.
#include <chrono>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include <QCoreApplication>

#include "contract/diagnostic.h"
#include "contract/module_interface.h"
#include "contract/system_component.h"
#include "contract/system_component_manager.h"
#include "contract/test.h"
#include "host/module_library.h"
#include "tests/support/recording_host.h"
#include "tests/support/virtual_device_socket.h"
#include "tests/support/virtual_image_finger.h"

using testing::ElementsAre;

namespace {

const std::string kHint = "POSSIBLE_DEFECTIVE_COMPONENTS: FINGERPRINT_READER";
const std::string kImageSocket = "/tmp/fp-virtual-image-" + std::to_string(getpid());
const std::string kDeviceSocket = "/tmp/fp-virtual-device-" + std::to_string(getpid());
const std::string kStorageSocket = "/tmp/fp-virtual-device-storage-" + std::to_string(getpid());

class LibfprintVirtualReaderTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Read by the module, and by libfprint in the helper it starts.
    setenv("FINGERPRINT_BACKEND", "libfprint", 1);
    setenv("FP_DRIVERS_WHITELIST", "virtual_image:virtual_device:virtual_device_storage", 1);
    setenv("FP_VIRTUAL_IMAGE", kImageSocket.c_str(), 1);
    setenv("FP_VIRTUAL_DEVICE", kDeviceSocket.c_str(), 1);
    setenv("FP_VIRTUAL_DEVICE_STORAGE", kStorageSocket.c_str(), 1);
    module_ = new ModuleLibrary();
    QString error;
    ASSERT_TRUE(module_->Load(QStringLiteral(FP_MODULE_PATH), &error)) << error.toStdString();
  }
  static void TearDownTestSuite() {
    delete module_;
    unlink(kImageSocket.c_str());
    unlink(kDeviceSocket.c_str());
    unlink(kStorageSocket.c_str());
  }

  // The dialog deletes itself (and joins its worker) once its events run.
  void TearDown() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

  SystemComponentManager* Manager() { return module_->Interface()->GetComponentManager(); }
  ::Test* RecognitionTest() { return module_->Interface()->GetDiagnostic(0)->GetTest(0); }

  // The listed reader whose description is `description`.
  SystemComponent* Reader(const std::string& description) {
    Manager()->EnumerateComponents();
    for (uint32_t i = 0; i < Manager()->GetComponentCount(); ++i) {
      SystemComponent* component = Manager()->GetComponent(i);
      for (const auto& [key, value] : component->GetInfo().properties)
        if (key == "FINGERPRINT_DESCRIPTION" && value == description) return component;
    }
    return nullptr;
  }

  TestStatus Run(const std::string& reader, const char* timeoutSeconds, RecordingHost* host = nullptr) {
    host = host ? host : &host_;
    host->component = Reader(reader);
    EXPECT_NE(host->component, nullptr) << reader << " is not listed";
    RecognitionTest()->Configure(Settings{{"CSAT", {{"CSAT_TEST_TIMEOUT", timeoutSeconds}}}}, nullptr);
    return RecognitionTest()->Run(host);
  }

  static ModuleLibrary* module_;
  RecordingHost host_;
};
ModuleLibrary* LibfprintVirtualReaderTest::module_ = nullptr;

constexpr char kImageDevice[] = "Virtual image device for debugging";

// The virtual device without storage neither captures nor holds prints to
// identify against: it has no sensor, so the test is not supported on it.
TEST_F(LibfprintVirtualReaderTest, ListsTheReadersAndSupportsOnlyTheOneThatCaptures) {
  SystemComponent* reader = Reader(kImageDevice);
  ASSERT_NE(reader, nullptr);
  EXPECT_THAT(reader->GetInfo().properties,
              ElementsAre(Property{"UDI", "libfprint libfprint driver virtual_image"},
                          Property{"FINGERPRINT_MANUFACTURER", "libfprint"},
                          Property{"FINGERPRINT_MODEL", "libfprint driver virtual_image"},
                          Property{"FINGERPRINT_DESCRIPTION", kImageDevice}));
  EXPECT_EQ(Manager()->GetComponentCount(), 3u);
  EXPECT_TRUE(RecognitionTest()->IsSupported(reader));
  EXPECT_FALSE(RecognitionTest()->IsSupported(Reader("Virtual device for debugging")));
}

// Each run ends as the device and the host say: a finger after a delay, no
// finger until the limit, the host's abort (after listings from a thread of
// its own during the wait, which the watchdog's thread then cancels), a
// device error, and last (the device is gone for the rest of the process) an
// unplugging.
TEST_F(LibfprintVirtualReaderTest, RunsEndAsTheDeviceAndTheHostSay) {
  using F = VirtualImageFinger;
  const std::vector<std::string> failed = {"FAILED_TO_ENROLL_FINGERPRINT", kHint};
  const struct {
    int32_t command;  // played on the device's socket, 0: nothing
    const char* timeoutSeconds;
    bool abort;  // by the host, once the dialog is on screen and it has listed
    TestStatus status;
    std::vector<std::string> messages;
  } rows[] = {{F::kFingerStatus, "30", false, TestStatus::Passed, {}},
              {0, "1", false, TestStatus::Aborted, {"TIMEOUT_REACHED"}},
              {0, "30", true, TestStatus::Aborted, {}},
              {F::kFatalError, "30", false, TestStatus::Failed, failed},
              {F::kRemove, "30", false, TestStatus::Failed, failed}};
  for (const auto& row : rows) {
    SCOPED_TRACE("row " + std::to_string(&row - rows));
    std::optional<VirtualImageFinger> finger;
    // The finger's argument 1 is "on the sensor"; the error's 0 is FP_DEVICE_ERROR_GENERAL.
    const int32_t argument = row.command == F::kFingerStatus ? 1 : 0;
    if (row.command != 0) finger.emplace(kImageSocket, row.command, argument, std::chrono::milliseconds(500));
    std::atomic<bool> abort{false};
    RecordingHost host;
    host.abortRequested = [&abort] { return abort.load(); };
    host.yesNoAnswer = InputRequest::No;
    std::thread lister;
    host.whileExec = [&] {
      if (row.abort)
        lister = std::thread([&] {
          std::this_thread::sleep_for(std::chrono::milliseconds(300));
          // Not EnumerateComponents: that would destroy the reader under test.
          for (int i = 0; i < 20; ++i) EXPECT_TRUE(Manager()->IsDevicePresent());
          abort = true;
        });
    };

    EXPECT_EQ(Run(kImageDevice, row.timeoutSeconds, &host), row.status);
    if (lister.joinable()) lister.join();
    EXPECT_EQ(host.Messages(), row.messages);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

// A match-on-chip reader never hands out an image: it is tested by an
// identify against the prints it holds itself, which reads the finger and
// writes nothing. The test plays the finger on the device's socket, again and
// again, since a command the device gets while it opens or lists its prints
// is lost; seldom, since the listing ends only after half a second without one.
TEST_F(LibfprintVirtualReaderTest, AMatchOnChipReaderIsTestedByAnIdentifyAgainstItsOwnPrints) {
  constexpr char kStorageDevice[] = "Virtual device with storage and identification for debugging";
  std::atomic<bool> stop{false};
  std::thread finger([&stop] {
    while (!stop && !SendVirtualDeviceCommand(kStorageSocket, "INSERT stored-print"))
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (int waited = 0; !stop; waited = (waited + 20) % 1000) {
      if (waited == 0) SendVirtualDeviceCommand(kStorageSocket, "SCAN stored-print");
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  EXPECT_TRUE(RecognitionTest()->IsSupported(Reader(kStorageDevice)));
  EXPECT_EQ(Run(kStorageDevice, "30"), TestStatus::Passed) << testing::PrintToString(host_.Lines());
  stop = true;
  finger.join();
}

}  // namespace
