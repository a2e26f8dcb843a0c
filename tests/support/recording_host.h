#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QMetaObject>

#include "contract/abstract_widget_wrapper.h"
#include "contract/input_request.h"
#include "contract/test_context.h"

// A host for the tests: it records every call the module makes (from any
// thread) and answers as scripted.
class RecordingHost : public TestContext, ResultReporter, TestUserInterface, EventMonitor {
 public:
  struct Call {
    std::string what;  // "SetProgress", "AddMessage", "Request:0", "Request:2", "Request:3"
    std::string text;
    bool fromWorker = false;
  };

  SystemComponent* component = nullptr;
  bool interactive = true;
  uint32_t yesNoAnswer = 0;  // answer to the question after a timeout
  std::function<bool()> abortRequested = [] { return false; };
  std::function<int32_t()> pendingEvent = [] { return 0; };
  std::function<void(const InputRequest&)> onRequest;  // called as a request arrives
  std::function<void()> whileExec;                     // called on the ui thread just before Exec
  QWidget* execParent = nullptr;                       // what Exec is given
  QObject* execFilter = nullptr;
  int execResult = -1;

  // Each call as "what text", with " [worker]" or " [ui]" appended on request.
  std::vector<std::string> Lines(bool withThread = false) const {
    std::vector<std::string> lines;
    for (const Call& call : Calls())
      lines.push_back(call.what + " " + call.text +
                      (!withThread       ? ""
                       : call.fromWorker ? " [worker]"
                                         : " [ui]"));
    return lines;
  }
  std::vector<std::string> Messages() const { return Texts("AddMessage"); }
  int RequestCount(uint32_t kind) const {
    return static_cast<int>(Texts("Request:" + std::to_string(kind)).size());
  }

  SystemComponent* GetComponent() override { return component; }
  ResultReporter* GetResultReporter() override { return this; }
  TestUserInterface* GetUserInterface() override { return this; }
  void HostReserved() override {}
  bool IsAbortRequested() override { return abortRequested(); }
  EventMonitor* GetEventMonitor() override { return this; }

 private:
  std::vector<Call> Calls() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return calls_;
  }
  std::vector<std::string> Texts(const std::string& what) const {
    std::vector<std::string> texts;
    for (const Call& call : Calls())
      if (call.what == what) texts.push_back(call.text);
    return texts;
  }
  void Record(std::string what, std::string text) {
    const bool fromWorker = std::this_thread::get_id() != uiThread_;
    const auto record = [&] {
      std::lock_guard<std::mutex> lock(mutex_);
      calls_.push_back(Call{std::move(what), std::move(text), fromWorker});
    };
    // As hosts that log into widgets do, a call from another thread is handed
    // to the user-interface thread, and waited for.
    if (fromWorker && QCoreApplication::instance())
      QMetaObject::invokeMethod(QCoreApplication::instance(), record, Qt::BlockingQueuedConnection);
    else
      record();
  }
  void AddMessage(std::string messageId, uint64_t arg1, uint64_t arg2) override {
    Record("AddMessage", messageId + (arg1 || arg2 ? " (non-zero arguments)" : ""));
  }
  void SetProgress(uint8_t percent, const std::string& textId) override {
    Record("SetProgress", percent == 100 ? textId : textId + " at " + std::to_string(percent));
  }
  void Request(InputRequest& request) override {
    Record("Request:" + std::to_string(request.kind), request.title + "|" + request.message);
    if (onRequest) onRequest(request);
    if (request.kind == InputRequest::YesNo) request.answer = yesNoAnswer;
    if (request.kind != InputRequest::Widget || !request.widget) return;
    if (whileExec) whileExec();
    execResult = request.widget->Exec(execParent, execFilter);
  }
  bool IsInteractive() override { return interactive; }
  int32_t PendingEvent() override { return pendingEvent(); }

  const std::thread::id uiThread_ = std::this_thread::get_id();
  mutable std::mutex mutex_;
  std::vector<Call> calls_;
};
