// A recognition run as a host does it on Windows: module_fingerprint.dll
// loaded with LoadLibrary (through QLibrary), its graph walked through the
// exports and virtual tables, the dialog on the offscreen platform, the
// reader behind the real Windows backend and the simulated machine's winbio.dll.
#include <atomic>
#include <gtest/gtest.h>
#include <optional>
#include <string>

#include <QApplication>
#include <QEvent>
#include <QLibrary>
#include <QTimer>
#include <QWidget>

#include "contract/abstract_widget_wrapper.h"
#include "contract/diagnostic.h"
#include "contract/exports.h"
#include "contract/input_request.h"
#include "contract/module_interface.h"
#include "contract/system_component_manager.h"
#include "contract/test.h"
#include "contract/test_context.h"

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

class Host : public TestContext, ResultReporter, TestUserInterface, EventMonitor {
 public:
  SystemComponent* component = nullptr;
  std::optional<int> abortAfterMs;
  QSize dialogSize;
  bool dialogActiveDuringWait = false;

  SystemComponent* GetComponent() override { return component; }
  ResultReporter* GetResultReporter() override { return this; }
  TestUserInterface* GetUserInterface() override { return this; }
  void HostReserved() override {}
  bool IsAbortRequested() override { return aborted_.load(); }
  EventMonitor* GetEventMonitor() override { return this; }
  QWidget& window() { return window_; }

 private:
  void AddMessage(std::string id, uint64_t, uint64_t) override { ADD_FAILURE() << "message " << id; }
  void SetProgress(uint8_t, const std::string&) override {}
  bool IsInteractive() override { return true; }
  int32_t PendingEvent() override { return 0; }
  void Request(InputRequest& request) override {
    if (request.kind == InputRequest::YesNo) request.answer = InputRequest::No;
    if (request.kind != InputRequest::Widget || !request.widget) return;
    // Looks at the dialog half a second into the wait, while the reader waits.
    QTimer::singleShot(500, [this] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() != QLatin1String("recognition_test_dialog_base")) continue;
        dialogSize = widget->size();
        dialogActiveDuringWait = widget->isActiveWindow();
      }
    });
    if (abortAfterMs) QTimer::singleShot(*abortAfterMs, [this] { aborted_ = true; });
    request.answer = static_cast<uint32_t>(request.widget->Exec(&window_, &thief_));
  }

  std::atomic<bool> aborted_{false};
  QWidget window_;  // the host's main window, which the dialog centres on
  FocusThief thief_{window_};
};

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
  Host host;
  host.window().resize(1000, 700);
  host.window().show();
  host.component = readers->GetComponent(0);
  host.abortAfterMs = abortAfterMs;
  Test* test = module->GetDiagnostic(0)->GetTest(0);
  ASSERT_TRUE(test->IsSupported(host.component));

  EXPECT_EQ(test->Run(&host), status);
  // The framework delivers touches to the focused application only: the
  // dialog must be the active window while the reader waits. The staged
  // 120 dpi scales it to 125 %.
  EXPECT_TRUE(host.dialogActiveDuringWait);
  EXPECT_EQ(host.dialogSize, QSize(450, 180));
  release();
}

TEST(TwoReaders, TouchedReaderPasses) {
  RunThroughTheExports(std::nullopt, TestStatus::Passed);
}

TEST(NeverTouched, HostAbortDuringTheWaitEndsTheRun) {
  RunThroughTheExports(1200, TestStatus::Aborted);
}

}  // namespace
