#pragma once

#include <cstdint>
#include <optional>

#include "contract/test.h"

class FingerprintWidgetWrapper;
struct RunCells;

// The Fingerprint Recognition Test: instructions, then the recognition dialog
// in which the user touches the sensor, then the verdict.
class RecognitionTest : public Test {
 public:
  static constexpr int32_t kDefaultTimeoutSeconds = 9;

  explicit RecognitionTest(ComponentId testId);
  ~RecognitionTest() override;

  bool IsSupported(SystemComponent* component) override;
  TestStatus Run(TestContext* context) override;
  bool QueryTraitA() override { return true; }
  // Reads the sensor timeout from section "CSAT". A malformed number raises
  // std::invalid_argument or std::out_of_range and leaves the timeout as it was.
  bool Configure(Settings settings, void* extra) override;

  int32_t timeoutSeconds() const { return timeoutSeconds_; }

 private:
  // Runs the dialog through the host and, after a timeout, asks the user.
  // Gives the verdict, or nothing when the dialog's status stands.
  std::optional<TestStatus> Interact(TestContext* context, FingerprintWidgetWrapper& wrapper,
                                     RunCells& cells);

  // Signed: a negative setting is kept as it is, and means "at once".
  int32_t timeoutSeconds_ = kDefaultTimeoutSeconds;
};
