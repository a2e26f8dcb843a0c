#pragma once

#include <string>

#include "contract/test_context.h"
#include "contract/test_status.h"
#include "device/fingerprint_error.h"

// Reports a result message id to the host: the status text first, then the
// message. The host translates the id.
inline void ReportResult(TestContext* context, const std::string& messageId) {
  context->GetUserInterface()->SetProgress(100, messageId);
  context->GetResultReporter()->AddMessage(messageId, 0, 0);
}

// What a failed sensor check means for the run: its status, the message id to
// report (null for none) and whether the user is asked if the touch was made.
struct SensorCheckOutcome {
  TestStatus status;
  const char* messageId;
  bool askConfirmation;
};

SensorCheckOutcome OutcomeOfSensorError(FingerprintError error);
