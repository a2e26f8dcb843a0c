#pragma once

#include <memory>

#include <QString>

// What became of a screenshot that was asked for: empty `problem` once saved.
struct ScreenshotOutcome {
  bool saved = false;
  QString problem = QStringLiteral("the dialog never appeared");
};

// Saves a picture of the module's recognition dialog to `file` shortly after
// it appears: the screen's own pixels when the platform can grab them (X11,
// Xvfb), the widget's rendering otherwise. The outcome is filled in on the
// user-interface thread as it happens; the caller reports it after the run.
std::shared_ptr<ScreenshotOutcome> CaptureRecognitionDialog(const QString& file);
