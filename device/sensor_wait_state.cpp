#include "device/sensor_wait_state.h"

#include <map>
#include <mutex>

namespace {

// Every reader's state that somebody still holds, by device instance id.
struct StateRegistry {
  std::mutex mutex;
  std::map<std::u16string, std::weak_ptr<SensorWaitState>> states;
};

StateRegistry& Registry() {
  static StateRegistry registry;
  return registry;
}

}  // namespace

SensorWaitState::SensorWaitState() : gate_(ServiceGate::Create()) {}

std::shared_ptr<SensorWaitState> SensorWaitState::ForReader(const std::u16string& instanceId) {
  // A reader without an id cannot be told from another: it gets a state of its own.
  if (instanceId.empty()) return std::make_shared<SensorWaitState>();
  StateRegistry& registry = Registry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  for (auto it = registry.states.begin(); it != registry.states.end();)
    it = it->second.expired() ? registry.states.erase(it) : std::next(it);
  std::weak_ptr<SensorWaitState>& slot = registry.states[instanceId];
  std::shared_ptr<SensorWaitState> state = slot.lock();
  if (!state) {
    state = std::make_shared<SensorWaitState>();
    slot = state;
  }
  return state;
}

void SensorWaitState::Cancel(bool requested) {
  if (requested) cancelRequested.store(true);
  gate_->Cancel();
}

void SensorWaitState::Reset() {
  if (IsStuck()) return;
  cancelRequested.store(false);
  located.store(false);
  otherReaderTouched.store(false);
}
