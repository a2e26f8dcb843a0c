#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "platform/winbio_types.h"
#include "threads/service_gate.h"

// One reader's state, shared by every component of the reader (in this
// listing or the next), by a run under way on it and by every thread inside
// one of its calls, so that a call the module gave up on can still return
// safely after the component is gone, and a new listing still knows the
// reader is stuck.
//
// Every call into the biometric service for the reader goes through its gate
// (ReaderCalls): one in flight at a time, each bounded. A call given up on
// leaves the reader stuck until it returns; it then closes the session it
// leaves.
class SensorWaitState {
 public:
  SensorWaitState();
  SensorWaitState(const SensorWaitState&) = delete;
  SensorWaitState& operator=(const SensorWaitState&) = delete;

  // The state of the reader with this device instance id: the one still held
  // by a component, a run or a call of that reader, or a new one.
  static std::shared_ptr<SensorWaitState> ForReader(const std::u16string& instanceId);

  ServiceGate& gate() { return *gate_; }
  bool IsStuck() const { return gate_->IsStuck(); }
  // Notes a cancellation of the call in flight: `requested` by a caller
  // (the flag stays set until Reset), or the watchdog's at the limit.
  void Cancel(bool requested);
  // Clears the flags of a previous run; a stuck reader keeps its state.
  void Reset();

  // The reader's components. The last one to go answers true: it closes a
  // session left open.
  void AddComponent() { components_.fetch_add(1); }
  bool RemoveComponent() { return components_.fetch_sub(1) == 1; }

  std::atomic<WINBIO_SESSION_HANDLE> session{0};
  std::atomic<bool> cancelRequested{false};
  std::atomic<bool> located{false};
  // The running wait saw a touch on another reader and goes on.
  std::atomic<bool> otherReaderTouched{false};

 private:
  const std::shared_ptr<ServiceGate> gate_;
  std::atomic<int> components_{0};
};
