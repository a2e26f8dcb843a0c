#include "host/call_log.h"

#include <cstdio>

#include <QCoreApplication>
#include <QJsonDocument>

CallLog::CallLog(bool json) : json_(json), uiThread_(std::this_thread::get_id()) {
  clock_.start();
}

double CallLog::Elapsed() const {
  return static_cast<double>(clock_.nsecsElapsed()) / 1e9;
}

QString CallLog::ThreadName() const {
  return std::this_thread::get_id() == uiThread_ ? QStringLiteral("ui") : QStringLiteral("worker");
}

QString CallLog::Translate(const QString& id) {
  if (id.isEmpty()) return id;
  // Composite ids such as the device hint join two keys with ": ".
  const QStringList parts = id.split(QStringLiteral(": "));
  QStringList translated;
  for (const QString& part : parts)
    translated << QCoreApplication::translate("FINGERPRINT", part.toUtf8().constData());
  return translated.join(QStringLiteral(": "));
}

QString CallLog::Describe(const QString& id) {
  if (id.isEmpty()) return QStringLiteral("\"\"");
  const QString translated = Translate(id);
  return translated == id ? id : QStringLiteral("%1 (\"%2\")").arg(id, translated);
}

void CallLog::SetListener(std::function<void(const QString&)> listener) {
  std::lock_guard<std::mutex> lock(mutex_);
  listener_ = std::move(listener);
}

QString CallLog::HumanLine(const QJsonObject& f) const {
  const QString call = f.value(QStringLiteral("call")).toString();
  QString text;
  if (call == QLatin1String("SetProgress")) {
    text = QStringLiteral("SetProgress(%1, %2)")
               .arg(f.value(QStringLiteral("percent")).toInt())
               .arg(Describe(f.value(QStringLiteral("text")).toString()));
  } else if (call == QLatin1String("AddMessage")) {
    text = QStringLiteral("AddMessage(%1)").arg(Describe(f.value(QStringLiteral("message")).toString()));
  } else if (call == QLatin1String("Request")) {
    text = QStringLiteral("Request(%1)").arg(f.value(QStringLiteral("kind")).toString());
    const QString title = f.value(QStringLiteral("title")).toString();
    const QString message = f.value(QStringLiteral("message")).toString();
    if (!title.isEmpty()) text += QStringLiteral(" title %1").arg(Describe(title));
    if (!message.isEmpty()) text += QStringLiteral(" message %1").arg(Describe(message));
    if (f.contains(QStringLiteral("answer")))
      text += QStringLiteral(" -> answer %1").arg(f.value(QStringLiteral("answer")).toString());
    if (f.contains(QStringLiteral("result")))
      text += QStringLiteral(" -> dialog result %1").arg(f.value(QStringLiteral("result")).toInt());
  } else if (call == QLatin1String("status")) {
    text = QStringLiteral("Status: %1 (%2)")
               .arg(f.value(QStringLiteral("status")).toString())
               .arg(f.value(QStringLiteral("code")).toInt());
  } else if (call == QLatin1String("unload")) {
    text = f.value(QStringLiteral("unloaded")).toBool() ? QStringLiteral("Module released and unloaded")
                                                        : QStringLiteral("Module released, not unloaded");
  } else if (call == QLatin1String("note")) {
    text = f.value(QStringLiteral("text")).toString();
  } else if (call == QLatin1String("screenshot")) {
    text = f.value(QStringLiteral("saved")).toBool()
               ? QStringLiteral("Screenshot saved to %1 (taken at %2 s)")
                     .arg(f.value(QStringLiteral("file")).toString())
                     .arg(f.value(QStringLiteral("takenAt")).toDouble(), 0, 'f', 3)
               : QStringLiteral("No screenshot in %1: %2")
                     .arg(f.value(QStringLiteral("file")).toString(),
                          f.value(QStringLiteral("problem")).toString());
  } else {
    text = call + QStringLiteral("()");
    if (f.contains(QStringLiteral("result"))) {
      const QJsonValue result = f.value(QStringLiteral("result"));
      text += QStringLiteral(" -> ") + (result.isBool()
                                            ? (result.toBool() ? QStringLiteral("yes") : QStringLiteral("no"))
                                            : result.toVariant().toString());
    }
  }
  return text;
}

void CallLog::Write(const QJsonObject& fields) {
  QJsonObject record = fields;
  const double t = Elapsed();
  const QString thread = ThreadName();
  QString line;
  if (json_) {
    record.insert(QStringLiteral("time"), t);
    record.insert(QStringLiteral("thread"), thread);
    line = QString::fromUtf8(QJsonDocument(record).toJson(QJsonDocument::Compact));
  } else {
    line = QStringLiteral("%1 %2 %3").arg(t, 8, 'f', 3).arg(thread, -6).arg(HumanLine(record));
  }
  std::lock_guard<std::mutex> lock(mutex_);
  std::fprintf(stdout, "%s\n", line.toUtf8().constData());
  std::fflush(stdout);
  if (listener_) listener_(line);
}
