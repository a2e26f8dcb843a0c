#include "host/host_test_context.h"

#include <QJsonObject>

#include "contract/abstract_widget_wrapper.h"
#include "contract/input_request.h"
#include "host/call_log.h"

namespace {

QString KindName(uint32_t kind) {
  switch (kind) {
    case InputRequest::Information:
      return QStringLiteral("information");
    case InputRequest::YesNo:
      return QStringLiteral("yes/no");
    case InputRequest::Widget:
      return QStringLiteral("widget");
    default:
      return QStringLiteral("kind %1").arg(kind);
  }
}

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

QString AnswerName(uint32_t answer) {
  switch (answer) {
    case InputRequest::Yes:
      return QStringLiteral("yes");
    case InputRequest::No:
      return QStringLiteral("no");
    default:
      return QStringLiteral("none");
  }
}

}  // namespace

HostTestContext::HostTestContext(SystemComponent* component, CallLog& log, RequestHandler& handler,
                                 Script script)
    : component_(component), log_(log), handler_(handler), script_(script) {}

bool HostTestContext::Reached(const std::optional<int>& afterMs) const {
  return afterMs && log_.Elapsed() * 1000.0 >= *afterMs;
}

bool HostTestContext::IsAbortRequested() {
  const bool abort = Reached(script_.abortAfterMs);
  log_.Write(
      {{QStringLiteral("call"), QStringLiteral("IsAbortRequested")}, {QStringLiteral("result"), abort}});
  return abort;
}

int32_t HostTestContext::PendingEvent() {
  const int32_t event = Reached(script_.eventAfterMs) ? 1 : 0;
  log_.Write({{QStringLiteral("call"), QStringLiteral("PendingEvent")}, {QStringLiteral("result"), event}});
  return event;
}

bool HostTestContext::IsInteractive() {
  log_.Write({{QStringLiteral("call"), QStringLiteral("IsInteractive")},
              {QStringLiteral("result"), script_.interactive}});
  return script_.interactive;
}

void HostTestContext::AddMessage(std::string messageId, uint64_t /*arg1*/, uint64_t /*arg2*/) {
  log_.Write({{QStringLiteral("call"), QStringLiteral("AddMessage")},
              {QStringLiteral("message"), Q(messageId)},
              {QStringLiteral("translation"), CallLog::Translate(Q(messageId))}});
}

void HostTestContext::SetProgress(uint8_t percent, const std::string& textId) {
  log_.Write({{QStringLiteral("call"), QStringLiteral("SetProgress")},
              {QStringLiteral("percent"), percent},
              {QStringLiteral("text"), Q(textId)},
              {QStringLiteral("translation"), CallLog::Translate(Q(textId))}});
}

void HostTestContext::Request(InputRequest& request) {
  QJsonObject record{{QStringLiteral("call"), QStringLiteral("Request")},
                     {QStringLiteral("kind"), KindName(request.kind)},
                     {QStringLiteral("title"), Q(request.title)},
                     {QStringLiteral("titleTranslation"), CallLog::Translate(Q(request.title))},
                     {QStringLiteral("message"), Q(request.message)},
                     {QStringLiteral("messageTranslation"), CallLog::Translate(Q(request.message))}};
  if (request.kind == InputRequest::Widget && request.widget) {
    log_.Write(record);
    const int result = request.widget->Exec(handler_.HostWidget(), EventFilter());
    record.insert(QStringLiteral("result"), result);
    request.answer = static_cast<uint32_t>(result);
  } else {
    request.answer = handler_.Ask(request);
    record.insert(QStringLiteral("answer"), AnswerName(request.answer));
  }
  log_.Write(record);
}
