#pragma once

#include <optional>

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "contract/test_context.h"

class CallLog;
class InputRequest;

// How the host answers the module's interaction requests: message boxes in a
// window, or scripted answers when there is no display.
class RequestHandler {
 public:
  virtual ~RequestHandler() = default;
  // Information (kind 0) and yes/no questions (kind 2); returns the answer code.
  virtual uint32_t Ask(const InputRequest& request) = 0;
  // The widget the module's dialogs are placed over.
  virtual QWidget* HostWidget() = 0;
};

// The host's side of one run: every call is logged as it happens. Calls from
// the dialog's worker thread (SetProgress, AddMessage, GetComponent) only log;
// they never wait for the user-interface thread.
class HostTestContext : public TestContext,
                        private ResultReporter,
                        private TestUserInterface,
                        private EventMonitor {
 public:
  struct Script {
    bool interactive = true;
    std::optional<int> abortAfterMs;  // IsAbortRequested turns true then
    std::optional<int> eventAfterMs;  // PendingEvent turns non-zero then
  };

  HostTestContext(SystemComponent* component, CallLog& log, RequestHandler& handler, Script script);

  SystemComponent* GetComponent() override { return component_; }
  ResultReporter* GetResultReporter() override { return this; }
  TestUserInterface* GetUserInterface() override { return this; }
  void HostReserved() override {}
  bool IsAbortRequested() override;
  EventMonitor* GetEventMonitor() override { return this; }

  // The filter the host hands to widget wrappers; it watches and passes on.
  QObject* EventFilter() { return &filter_; }

 private:
  void AddMessage(std::string messageId, uint64_t arg1, uint64_t arg2) override;
  void SetProgress(uint8_t percent, const std::string& textId) override;
  void Request(InputRequest& request) override;
  bool IsInteractive() override;
  int32_t PendingEvent() override;

  bool Reached(const std::optional<int>& afterMs) const;

  SystemComponent* component_;
  CallLog& log_;
  RequestHandler& handler_;
  Script script_;
  QObject filter_;
};
