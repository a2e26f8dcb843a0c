#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>

namespace kivra::utils {

// Scales the suite's design sizes, made for an 800 x 600 screen at 96 dots
// per inch, to the actual screen. One hidden instance lives as a child of the
// application's first top-level widget and dies with it.
class Dpi : public QWidget {
 public:
  ~Dpi() override;

  // The instance, created and measured when needed; null while the
  // application has no top-level widget.
  static Dpi* instance();

  // `designSize` scaled for the screen, in Qt's logical pixels: the scaling
  // is done in device pixels, which Qt's own scale (Windows' DPI when Qt is
  // DPI-aware, 1 elsewhere) then divides. Without an instance the factor is 1.
  static QSize scaledSize(const QSize& designSize);

  // The 800 x 600 reference scaled by `factor`, bounded by the first screen
  // (taken as at least 800 x 600), in device pixels.
  static QSize fitToScreen(double factor);

  // `wanted`, a dialog's place and scaled size, made what its contents need
  // in its language and font: at least its layout's minimum width and the
  // height its layout needs at that width, grown around the same centre;
  // then bounded by the dialog's screen, which a dialog too large for it
  // takes whole, and moved onto it. Sets the dialog's minimum size to match.
  static QRect fitDialog(QWidget& dialog, const QRect& wanted);

  // The quantised dots per inch: 96, 120, 144, 168 or 192.
  int dpi() const { return dpi_; }

  // Destroys the instance: a module about to be unloaded must leave nothing
  // of its own in the host's widget tree.
  static void Release();

  // Forgets the measurement kept from the system, so that the next instance
  // measures as in a fresh process. For tests.
  static void ForgetMeasurement();

 private:
  explicit Dpi(QWidget* parent);
  void Measure();

  int dpi_ = 96;
};

}  // namespace kivra::utils
