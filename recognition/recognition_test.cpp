#include "recognition/recognition_test.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "device/fingerprint_component.h"

namespace {

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
  if (end == begin) throw std::invalid_argument("invalid stoi argument");
  if (errno == ERANGE || value < INT_MIN || value > INT_MAX) throw std::out_of_range("stoi argument out of range");
  return static_cast<int>(value);
}

}  // namespace

RecognitionTest::RecognitionTest(ComponentId testId) : Test(testId) {}

RecognitionTest::~RecognitionTest() = default;

bool RecognitionTest::IsSupported(SystemComponent* component) {
  auto* reader = dynamic_cast<FingerprintComponent*>(component);
  return reader && reader->HasSensor();
}

TestStatus RecognitionTest::Run(TestContext* /*context*/) {
  // The interactive run arrives with the recognition dialog.
  return TestStatus::Error;
}

bool RecognitionTest::Configure(Settings settings, void* /*extra*/) {
  int timeout = static_cast<int>(kDefaultTimeoutSeconds);
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
  timeoutSeconds_ = static_cast<uint32_t>(timeout);
  return true;
}
