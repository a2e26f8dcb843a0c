#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>

#include "host/host_test_context.h"

// The host's window while a test runs: the call log and the module's
// requests as message boxes. In headless runs it exists but stays hidden,
// so that dialogs have a window to centre over; requests are then answered
// from the script.
class HostWindow : public QMainWindow, public RequestHandler {
 public:
  // `scriptedAnswer` is used for yes/no questions when the window is headless.
  HostWindow(bool headless, uint32_t scriptedAnswer);

  uint32_t Ask(const InputRequest& request) override;
  QWidget* HostWidget() override { return this; }

  // Thread-safe: queues the line for the window.
  void AppendLine(const QString& line);
  void ShowStatus(const QString& text);

 private:
  bool headless_;
  uint32_t scriptedAnswer_;
  QPlainTextEdit* log_;
  QLabel* status_;
};
