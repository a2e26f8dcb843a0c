#include "utils/dpi.h"

#include <algorithm>
#include <cstdint>

#include <QApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>

#include "platform/platform.h"
#include "platform/system.h"
#include "suite/hostcore/hostcore.h"

namespace kivra::utils {
namespace {

constexpr int kReferenceWidth = 800;
constexpr int kReferenceHeight = 600;
constexpr double kReferenceDpi = 96.0;

Dpi* g_instance = nullptr;
// What the system reported last; 0 until a query succeeds. Kept across
// instances, so a later failing query still has a value to fall back on.
int32_t g_measuredDpi = 0;

int Quantise(int dpi) {
  if (dpi < 120) return 96;
  if (dpi < 144) return 120;
  if (dpi < 168) return 144;
  if (dpi < 192) return 168;
  return 192;
}

// Asks shcore.dll, loaded at run time because older systems lack it.
void QuerySystemDpi() {
  hostcore::ModuleLoader* loader = hostcore::get_module();
  void* library = loader->loadLibrary("shcore.dll", hostcore::ModuleLoader::kSystemFolderOnly);
  if (!library) return;
  platform::System& system = platform::system();
  if (const platform::ProcAddress setAwareness = system.GetProcAddress(library, "SetProcessDpiAwareness"))
    // Per-monitor answers; the outcome does not matter.
    system.CallSetProcessDpiAwareness(setAwareness, platform::kProcessPerMonitorDpiAware);
  const platform::ProcAddress getDpi = system.GetProcAddress(library, "GetDpiForMonitor");
  platform::MonitorHandle monitor =
      system.MonitorFromWindow(system.GetDesktopWindow(), platform::kMonitorDefaultToPrimary);
  if (monitor && getDpi) {
    uint32_t dpiX = 0;
    uint32_t dpiY = 0;
    if (system.CallGetDpiForMonitor(getDpi, monitor, platform::kMdtEffectiveDpi, &dpiX, &dpiY) ==
        platform::kSOk)
      g_measuredDpi = static_cast<int32_t>(std::min<uint32_t>(dpiX, INT32_MAX));
  }
  loader->releaseLibrary(library);
}

}  // namespace

Dpi::Dpi(QWidget* parent) : QWidget(parent) {
  // A hidden helper: explicitly hidden so that showing its parent does not
  // show it over the parent's contents.
  hide();
}

Dpi::~Dpi() {
  g_instance = nullptr;
}

Dpi* Dpi::instance() {
  const QWidgetList windows = QApplication::topLevelWidgets();
  if (windows.isEmpty()) return nullptr;
  if (!g_instance) {
    auto* created = new Dpi(windows.first());  // owned by the window
    created->Measure();
    g_instance = created;
  }
  return g_instance;
}

void Dpi::Release() {
  delete g_instance;  // its destructor clears g_instance
}

void Dpi::Measure() {
  QuerySystemDpi();
  // What Qt draws at: its logical DPI times its own scale, which is the
  // system's on Windows but may be more (QT_SCALE_FACTOR, QT_FONT_DPI, the
  // desktop's scale on X11 and Wayland). Contents drawn larger need the
  // dialog larger, so the larger of the two counts; when the system cannot
  // tell, Qt's alone.
  const QList<QScreen*> screens = QGuiApplication::screens();
  const int drawn =
      screens.isEmpty()
          ? static_cast<int>(kReferenceDpi)
          : static_cast<int>(screens.first()->logicalDotsPerInchX() * screens.first()->devicePixelRatio());
  dpi_ = Quantise(std::max(g_measuredDpi, drawn));
}

QSize Dpi::fitToScreen(double factor) {
  const QList<QScreen*> screens = QGuiApplication::screens();
  // In device pixels, like the system's DPI: Qt gives sizes in its own
  // logical pixels, which a DPI-aware platform (Windows) divides by its scale.
  const QSize screen = screens.isEmpty() ? QSize(kReferenceWidth, kReferenceHeight)
                                         : screens.first()->size() * screens.first()->devicePixelRatio();
  const int screenWidth = std::max(screen.width(), kReferenceWidth);
  const int screenHeight = std::max(screen.height(), kReferenceHeight);
  const double scaledWidth = kReferenceWidth * factor;
  const int width = screenWidth >= scaledWidth ? static_cast<int>(scaledWidth) : screenWidth;
  const int height = std::min(
      static_cast<int>(width * (static_cast<double>(kReferenceHeight) / kReferenceWidth)), screenHeight);
  return {width, height};
}

QSize Dpi::scaledSize(const QSize& designSize) {
  const Dpi* dpi = instance();
  const double factor = dpi ? dpi->dpi_ / kReferenceDpi : 1.0;
  const QSize fitted = fitToScreen(factor);
  const QSize devicePixels(
      static_cast<int>(fitted.width() * (designSize.width() / static_cast<double>(kReferenceWidth))),
      static_cast<int>(fitted.height() * (designSize.height() / static_cast<double>(kReferenceHeight))));
  // Back to Qt's logical pixels, or Qt would scale a second time.
  const QList<QScreen*> screens = QGuiApplication::screens();
  const double ratio = screens.isEmpty() ? 1.0 : screens.first()->devicePixelRatio();
  return ratio == 1.0 ? devicePixels : (QSizeF(devicePixels) / ratio).toSize();
}

QRect Dpi::fitDialog(QWidget& dialog, const QRect& wanted) {
  dialog.ensurePolished();  // the style sheet's fonts and margins count
  // A text set since the last layout pass counts too: every cached size goes.
  for (QWidget* child : dialog.findChildren<QWidget*>()) child->updateGeometry();
  if (QLayout* layout = dialog.layout()) layout->activate();
  const QScreen* screen = dialog.screen() ? dialog.screen() : QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->availableGeometry() : QRect(QPoint(0, 0), wanted.size());
  const QSize least = dialog.minimumSizeHint();
  // What the contents need at a width, within the screen.
  const auto fitted = [&](int width) {
    width = std::min(std::max(width, least.width()), area.width());
    const int needed = dialog.hasHeightForWidth() ? dialog.heightForWidth(width) : least.height();
    return QSize(width, std::min(std::max(wanted.height(), needed), area.height()));
  };
  const QSize size = fitted(wanted.width());
  // Below the layout's own minimum only where the screen is smaller still.
  dialog.setMinimumSize(least.boundedTo(area.size()));
  QRect placed = wanted;
  if (size != wanted.size()) {
    placed.setSize(size);
    placed.moveCenter(wanted.center());
  }
  // Wholly on the screen.
  placed.moveLeft(std::max(area.left(), std::min(placed.left(), area.right() + 1 - placed.width())));
  placed.moveTop(std::max(area.top(), std::min(placed.top(), area.bottom() + 1 - placed.height())));
  return placed;
}

void Dpi::ForgetMeasurement() {
  g_measuredDpi = 0;
}

}  // namespace kivra::utils
