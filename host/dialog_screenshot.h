#pragma once

#include <QString>

// Saves a picture of the module's recognition dialog to `file` shortly after
// it appears: the screen's own pixels when the platform can grab them (X11,
// Xvfb), the widget's rendering otherwise. Reports the outcome on stderr.
void CaptureRecognitionDialog(const QString& file);
