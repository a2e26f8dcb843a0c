#include "recognition/recognition_test.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "contract/input_request.h"
#include "contract/test_context.h"
#include "device/fingerprint_component.h"
#include "recognition/fingerprint_widget_wrapper.h"
#include "recognition/result_report.h"
#include "utils/dpi.h"

namespace {

constexpr uint32_t kRequestMode = 1;
// Design size of the recognition dialog on the 800x600, 96 dpi reference screen.
constexpr int kDialogWidth = 360;
constexpr int kDialogHeight = 144;

constexpr const char* kSettingsSection = "CSAT";
constexpr const char* kTestTimeoutKey = "CSAT_TEST_TIMEOUT_FINGERPRINT_RECOGNITION_TEST";
constexpr const char* kGeneralTimeoutKey = "CSAT_TEST_TIMEOUT";

// Decimal text to int with the usual leniency (leading blanks, a sign,
// trailing text ignored) and errors whose texts the suite's tools expect.
int ParseInt(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(begin, &end, 10);
  // Exception texts fixed by the host contract.
  if (end == begin) throw std::invalid_argument("invalid stoi argument");
  if (errno == ERANGE || value < INT_MIN || value > INT_MAX)
    throw std::out_of_range("stoi argument out of range");
  return static_cast<int>(value);
}

}  // namespace

RecognitionTest::RecognitionTest(ComponentId testId) : Test(testId) {}

RecognitionTest::~RecognitionTest() = default;

bool RecognitionTest::IsSupported(SystemComponent* component) {
  auto* reader = dynamic_cast<FingerprintComponent*>(component);
  return reader && reader->HasSensor();
}

TestStatus RecognitionTest::Run(TestContext* context) {
  if (!context) return TestStatus::Error;
  TestUserInterface* ui = context->GetUserInterface();
  if (!ui->IsInteractive()) {
    ReportResult(context, "TEST_NOT_SUPPORTED");
    return TestStatus::NotSupported;
  }
  auto* reader = dynamic_cast<FingerprintComponent*>(context->GetComponent());
  if (!reader) return TestStatus::Error;
  reader->ResetState();
  if (!IsSupported(reader)) {
    ReportResult(context, "TEST_NOT_SUPPORTED");
    return TestStatus::Aborted;
  }
  // A call of an earlier run is still stuck in the reader: a second wait
  // would only stack another thread on it.
  if (reader->IsStuck()) {
    ReportResult(context, "CANNOT_ACCESS_DEVICE");
    return TestStatus::Error;
  }
  if (context->GetEventMonitor()->PendingEvent() != 0) {
    ReportResult(context, "TEST_ABORTED_BY_EVENT");
    return TestStatus::Aborted;
  }
  if (context->IsAbortRequested() || reader->IsCancelRequested()) return TestStatus::Aborted;

  {
    InputRequest instructions("RECOGNITION_TEST", "FINGERPRINT_INSTRUCTIONS", kRequestMode,
                              InputRequest::Information, 0);
    ui->Request(instructions);
  }

  auto cells = std::make_shared<RunCells>();
  const QSize dialogSize = kivra::utils::Dpi::scaledSize(QSize(kDialogWidth, kDialogHeight));
  auto wrapper = std::make_shared<FingerprintWidgetWrapper>(dialogSize, context, cells, timeoutSeconds_);

  const std::optional<TestStatus> decided = Interact(context, *wrapper, *cells);
  wrapper->CloseIfOpen();
  return decided ? *decided : cells->status.load();
}

std::optional<TestStatus> RecognitionTest::Interact(TestContext* context, FingerprintWidgetWrapper& wrapper,
                                                    RunCells& cells) {
  if (context->GetEventMonitor()->PendingEvent() != 0) {
    ReportResult(context, "TEST_ABORTED_BY_EVENT");
    return TestStatus::Aborted;
  }
  TestUserInterface* ui = context->GetUserInterface();
  if (!context->IsAbortRequested()) {
    InputRequest dialog("", "", kRequestMode, InputRequest::Widget, 0);
    dialog.widget = &wrapper;
    ui->Request(dialog);
  }
  if (!cells.askConfirmation.load()) return std::nullopt;

  // The wait ran out: only the user knows whether the sensor was touched.
  ui->SetProgress(100, "");
  InputRequest question("RECOGNITION_TEST", "DID_YOU_PERFORM_THE_TEST_CORRECTLY", kRequestMode,
                        InputRequest::YesNo, 0);
  ui->Request(question);
  switch (question.answer) {
    case InputRequest::Yes:
      ReportResult(context, "FAILED_TO_ENROLL_FINGERPRINT");
      return TestStatus::Failed;
    case InputRequest::No:
      ReportResult(context, "TIMEOUT_REACHED");
      return TestStatus::Aborted;
    default:
      return TestStatus::Aborted;
  }
}

bool RecognitionTest::Configure(Settings settings, void* /*extra*/) {
  int32_t timeout = kDefaultTimeoutSeconds;
  const auto section = settings.find(kSettingsSection);
  if (section != settings.end()) {
    const auto& keys = section->second;
    if (auto own = keys.find(kTestTimeoutKey); own != keys.end()) {
      timeout = ParseInt(own->second);
    } else if (auto general = keys.find(kGeneralTimeoutKey); general != keys.end()) {
      timeout = ParseInt(general->second);
    }
  }
  // Stored as given, negative values too: the sensor wait treats them as "at once".
  timeoutSeconds_ = timeout;
  return true;
}
