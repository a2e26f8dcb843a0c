#pragma once

// Fixed by the host contract: names, field order, virtual order and types; see docs/ARCHITECTURE.md.

#include <cstdint>
#include <string>

class InputRequest;
class SystemComponent;

// The host's side of a running test. The host implements these; the module
// only calls them. The first slot of each is the destructor, and the slots the
// module never calls are kept so that the tables line up with the host's.

class ResultReporter {
 public:
  virtual ~ResultReporter() = default;
  virtual void AddMessage(std::string messageId, uint64_t arg1, uint64_t arg2) = 0;
};

class TestUserInterface {
 public:
  virtual ~TestUserInterface() = default;
  virtual void SetProgress(uint8_t percent, const std::string& textId) = 0;
  virtual void Request(InputRequest& request) = 0;
  virtual void HostReserved() = 0;  // never called by the module
  virtual bool IsInteractive() = 0;
};

class EventMonitor {
 public:
  virtual ~EventMonitor() = default;
  virtual int32_t PendingEvent() = 0;
};

class TestContext {
 public:
  virtual ~TestContext() = default;
  virtual SystemComponent* GetComponent() = 0;
  virtual ResultReporter* GetResultReporter() = 0;
  virtual TestUserInterface* GetUserInterface() = 0;
  virtual void HostReserved() = 0;  // never called by the module
  virtual bool IsAbortRequested() = 0;
  virtual EventMonitor* GetEventMonitor() = 0;
};
