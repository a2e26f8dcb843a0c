#pragma once

#include <string>

#include "module/test_context.h"

// Reports a result message id to the host: the status text first, then the
// message. The host translates the id.
inline void ReportResult(TestContext* context, const std::string& messageId) {
  context->GetUserInterface()->SetProgress(100, messageId);
  context->GetResultReporter()->AddMessage(messageId, 0, 0);
}
