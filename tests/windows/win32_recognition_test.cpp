// A recognition run as a host does it on Windows: module_fingerprint.dll
// loaded with LoadLibrary (through QLibrary), its graph walked through the
// exports and virtual tables, the dialog on the offscreen platform, the
// reader behind the real Windows backend and the simulated machine's winbio.dll.
#include <atomic>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QLibrary>
#include <QTimer>
#include <QWidget>

#include "contract/diagnostic.h"
#include "contract/exports.h"
#include "contract/input_request.h"
#include "contract/module_interface.h"
#include "contract/system_component_manager.h"
#include "contract/test.h"
#include "tests/support/recording_host.h"

namespace {

// Takes the focus back to the host's window just after the platform has shown
// (and activated) the dialog, as a suite shell busy with its own window may.
class FocusThief : public QObject {
 public:
  explicit FocusThief(QWidget& window) : window_(window) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show) QTimer::singleShot(10, &window_, [this] { window_.activateWindow(); });
    return false;
  }

 private:
  QWidget& window_;
};

// Whether the dialog's picture shows anything but the header's background
// inside the named header widget: its SVG image (the fingerprint picture, the
// close cross) needs Qt SVG's image plugin beside the program.
bool DrawnInside(QWidget* dialog, const char* name) {
  const auto* widget = dialog->findChild<QWidget*>(QLatin1String(name));
  if (!widget) return false;
  const QImage picture = dialog->grab().toImage();
  const qreal scale = picture.devicePixelRatio();
  const QRect area(widget->mapTo(dialog, QPoint(0, 0)) * scale, widget->size() * scale);
  const QRgb background = picture.pixel(area.topLeft());  // a corner: the header shows through
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x)
      if (picture.pixel(x, y) != background) return true;
  return false;
}

void RunThroughTheExports(std::optional<int> abortAfterMs, TestStatus status) {
  QLibrary library(QStringLiteral(FP_MODULE_PATH));
  ASSERT_TRUE(library.load()) << library.errorString().toStdString();
  const auto getInterface =
      reinterpret_cast<GetModuleInterfaceInstanceFn>(library.resolve("GetModuleInterfaceInstance"));
  const auto release =
      reinterpret_cast<ReleaseModuleInterfaceInstanceFn>(library.resolve("ReleaseModuleInterfaceInstance"));
  ASSERT_TRUE(getInterface && release);

  ModuleInterface* module = getInterface();
  SystemComponentManager* readers = module->GetComponentManager();
  readers->EnumerateComponents();
  ASSERT_GT(readers->GetComponentCount(), 0u);
  QWidget window;  // the host's main window, which the dialog centres on
  window.resize(1000, 700);
  window.show();
  FocusThief thief(window);
  std::atomic<bool> aborted{false};
  QSize dialogSize;
  bool dialogActiveDuringWait = false;
  bool headerPictureDrawn = false;
  bool closeCrossDrawn = false;
  RecordingHost host;
  host.component = readers->GetComponent(0);
  host.yesNoAnswer = InputRequest::No;
  host.abortRequested = [&] { return aborted.load(); };
  host.execParent = &window;
  host.execFilter = &thief;
  host.whileExec = [&] {
    // Looks at the dialog half a second into the wait, while the reader waits.
    QTimer::singleShot(500, &window, [&] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() != QLatin1String("recognition_test_dialog_base")) continue;
        dialogSize = widget->size();
        dialogActiveDuringWait = widget->isActiveWindow();
        headerPictureDrawn = DrawnInside(widget, "recognition_test_header_icon");
        closeCrossDrawn = DrawnInside(widget, "recognition_test_header_close");
      }
    });
    if (abortAfterMs) QTimer::singleShot(*abortAfterMs, &window, [&] { aborted = true; });
  };
  Test* test = module->GetDiagnostic(0)->GetTest(0);
  ASSERT_TRUE(test->IsSupported(host.component));

  EXPECT_EQ(test->Run(&host), status);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{});
  // The framework delivers touches to the focused application only: the
  // dialog must be the active window while the reader waits. The staged
  // 120 dpi scales it to 125 %.
  EXPECT_TRUE(dialogActiveDuringWait);
  EXPECT_EQ(dialogSize, QSize(450, 180));
  EXPECT_TRUE(headerPictureDrawn);
  EXPECT_TRUE(closeCrossDrawn);
  release();
}

TEST(TwoReaders, TouchedReaderPasses) {
  RunThroughTheExports(std::nullopt, TestStatus::Passed);
}

TEST(NeverTouched, HostAbortDuringTheWaitEndsTheRun) {
  RunThroughTheExports(1200, TestStatus::Aborted);
}

}  // namespace
