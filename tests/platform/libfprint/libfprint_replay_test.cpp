// Real readers' recorded USB traffic (tests/data/recordings/), replayed with
// umockdev: CTest runs this program once per recording under umockdev-run,
// naming the recording in FP_REPLAY. The backend lists each reader with the
// identity the system knows for it, and the recognition test, driven through
// the module's exports, passes on it; a driver that crashes while listing
// ends the helper, never this process.
#include <cstdlib>
#include <cstring>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>

#include <QString>

#include "contract/diagnostic.h"
#include "contract/module_interface.h"
#include "contract/system_component.h"
#include "contract/system_component_manager.h"
#include "contract/test.h"
#include "host/module_library.h"
#include "platform/libfprint/libfprint_biometric_service.h"
#include "tests/support/recording_host.h"

namespace {

struct Replay {
  const char* recording;
  // As listed; none: the recording lists no reader.
  const char* instanceId;
  const char* manufacturer;
  const char* model;
  const char* description;
};

const Replay kReplays[] = {
    {"aes3500", R"(USB\VID_08FF&PID_5731\3-1.1.3)", "AuthenTec, Inc.",
     "AES3500 TruePrint Sensor (USB 08ff:5731, libfprint driver aes3500)", "AuthenTec AES3500"},
    {"elan", R"(USB\VID_04F3&PID_0C26\1-4.4)", "Elan Microelectronics Corp.",
     "ELAN:Fingerprint (USB 04f3:0c26, libfprint driver elan)", "ElanTech Fingerprint Sensor"},
    {"upektc_img", R"(USB\VID_147E&PID_2016\1-1.3)", "Upek",
     "Biometric Touchchip/Touchstrip Fingerprint Sensor (USB 147e:2016, libfprint driver upektc_img)",
     "Upek TouchChip Fingerprint Coprocessor"},
    {"vfs301", R"(USB\VID_138A&PID_0005\2-1.3)", "Validity Sensors, Inc.",
     "VFS301 Fingerprint Reader (USB 138a:0005, libfprint driver vfs301)", "Validity VFS301"},
    {"vfs5011", nullptr, nullptr, nullptr, nullptr},
};

std::string Text(const WINBIO_STRING& text) {
  return QString::fromUtf16(text).toStdString();
}

TEST(LibfprintReplayTest, TheRecordedReaderIsListedAndPassesOrItsCrashIsContained) {
  const char* recording = std::getenv("FP_REPLAY");
  ASSERT_NE(recording, nullptr) << "CTest runs this under umockdev-run";
  const Replay* replay = nullptr;
  for (const Replay& row : kReplays)
    if (std::strcmp(row.recording, recording) == 0) replay = &row;
  ASSERT_NE(replay, nullptr) << recording;

  const std::unique_ptr<platform::BiometricService> service =
      platform::libfprint::CreateLibfprintBiometricService();
  testing::internal::CaptureStderr();
  // Twice: the second listing starts a fresh helper.
  for (int listing = 0; listing < 2; ++listing) {
    WINBIO_UNIT_SCHEMA* units = nullptr;
    size_t count = 0;
    service->EnumBiometricUnits(WINBIO_TYPE_FINGERPRINT, &units, &count);
    ASSERT_EQ(count, replay->instanceId ? 1u : 0u);
    if (count == 1) {
      EXPECT_EQ(Text(units[0].DeviceInstanceId), replay->instanceId);
      EXPECT_EQ(Text(units[0].Manufacturer), replay->manufacturer);
      EXPECT_EQ(Text(units[0].Model), replay->model);
      EXPECT_EQ(Text(units[0].Description), replay->description);
      EXPECT_EQ(units[0].Capabilities, WINBIO_CAPABILITY_SENSOR);
    }
    service->Free(units);
  }
  const std::string messages = testing::internal::GetCapturedStderr();
  if (!replay->instanceId) {
    const std::string crash =
        "libfprint helper ended by signal 5 (Trace/breakpoint trap) while listing readers";
    EXPECT_NE(messages.find(crash), messages.rfind(crash)) << messages;  // twice
    return;
  }

  ModuleLibrary module;
  QString error;
  ASSERT_TRUE(module.Load(QStringLiteral(FP_MODULE_PATH), &error)) << error.toStdString();
  SystemComponentManager* manager = module.Interface()->GetComponentManager();
  manager->EnumerateComponents();
  ASSERT_EQ(manager->GetComponentCount(), 1u);
  RecordingHost host;
  host.component = manager->GetComponent(0);
  ::Test* test = module.Interface()->GetDiagnostic(0)->GetTest(0);
  test->Configure(Settings{{"CSAT", {{"CSAT_TEST_TIMEOUT", "20"}}}}, nullptr);
  EXPECT_EQ(test->Run(&host), TestStatus::Passed) << testing::PrintToString(host.Lines());
}

}  // namespace
