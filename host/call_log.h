#pragma once

#include <functional>
#include <mutex>
#include <thread>

#include <QElapsedTimer>
#include <QJsonObject>
#include <QString>

// Prints the calls the module makes to the host as they happen, from any
// thread: readable lines for people, or one JSON object per line (--json).
class CallLog {
 public:
  explicit CallLog(bool json);

  // `fields` describe the call; "call" names it. Thread and time are added.
  void Write(const QJsonObject& fields);
  // Seconds since the log was created.
  double Elapsed() const;

  // Text id with its translation through the installed catalogue, e.g.
  // TIMEOUT_REACHED ("The time ran out").
  static QString Describe(const QString& id);
  static QString Translate(const QString& id);

  // Called with each line as written (for the host window); may run on any thread.
  void SetListener(std::function<void(const QString&)> listener);

 private:
  QString ThreadName() const;
  QString HumanLine(const QJsonObject& fields) const;

  bool json_;
  QElapsedTimer clock_;
  std::thread::id uiThread_;
  std::mutex mutex_;
  std::function<void(const QString&)> listener_;
};
