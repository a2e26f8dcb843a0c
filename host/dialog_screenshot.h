#pragma once

#include <functional>
#include <memory>

#include <QJsonObject>
#include <QString>

// What became of a screenshot that was asked for: empty `problem` once saved.
struct ScreenshotOutcome {
  bool saved = false;
  QString problem = QStringLiteral("the dialog never appeared");
  double takenAt = -1;  // on the run's clock, seconds; -1: not taken
  QJsonObject dialog;   // what the picture shows: size, focus, title, texts, texts cut
};

// Saves a picture of the module's recognition dialog to `file` `afterMs`
// after it appears: the screen's own pixels when the platform can grab them
// (X11, Xvfb), the widget's rendering otherwise. `clock` gives the run's time
// in seconds. The outcome is filled in on the user-interface thread as it
// happens; the caller reports it after the run.
std::shared_ptr<ScreenshotOutcome> CaptureRecognitionDialog(const QString& file, int afterMs,
                                                            std::function<double()> clock);
