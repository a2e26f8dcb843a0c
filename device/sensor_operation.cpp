#include "device/sensor_operation.h"

#include <algorithm>
#include <chrono>
#include <utility>

SensorOperation::SensorOperation(std::shared_ptr<SensorWaitState> state, ReaderCalls::Unit unit,
                                 int timeoutSeconds)
    : state_(std::move(state)), unit_(std::move(unit)), timeoutSeconds_(timeoutSeconds) {}

std::shared_ptr<SensorOperation> SensorOperation::Start(std::shared_ptr<SensorWaitState> state,
                                                        ReaderCalls::Unit unit, int timeoutSeconds) {
  if (!state || state->IsStuck() || state->cancelRequested.load()) return nullptr;
  return std::shared_ptr<SensorOperation>(
      new SensorOperation(std::move(state), std::move(unit), timeoutSeconds));
}

SensorOperation::Outcome SensorOperation::Run() {
  Outcome outcome;
  // The open is bounded by the run's limit too: a service that does not open
  // is given up on a grace period after it. The wait's limit counts from its
  // own start.
  const auto limit = ReaderCalls::Clock::now() +
                     std::chrono::seconds(std::max(ReaderCalls::ClampedSeconds(timeoutSeconds_), 0));
  outcome.error =
      ReaderCalls::Open(state_, unit_, limit, true).value_or(FingerprintError::DeviceNotAccessible);
  outcome.opened = outcome.error == FingerprintError::Success;
  if (outcome.opened)
    outcome.error = ReaderCalls::Locate(state_, unit_.id, timeoutSeconds_, true)
                        .value_or(FingerprintError::DeviceNotAccessible);
  return outcome;
}
