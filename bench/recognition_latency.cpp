// Measures how the recognition dialog serves its user-interface thread:
// the longest stall of that thread during a run, the time from the close
// button to the end of Run, and from a host abort request to the end of Run.
// Runs on the simulated machine with the offscreen platform.

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include "contract/abstract_widget_wrapper.h"
#include "contract/input_request.h"
#include "contract/test_context.h"
#include "device/win_fingerprint_component_manager.h"
#include "platform/sim/sim_machine.h"
#include "recognition/play_test.h"
#include "recognition/recognition_test.h"

namespace {

class BenchHost : public TestContext, ResultReporter, TestUserInterface, EventMonitor {
 public:
  SystemComponent* component = nullptr;
  std::atomic<bool> abort{false};
  std::function<void()> whileExec;

  SystemComponent* GetComponent() override { return component; }
  ResultReporter* GetResultReporter() override { return this; }
  TestUserInterface* GetUserInterface() override { return this; }
  void HostReserved() override {}
  bool IsAbortRequested() override { return abort.load(); }
  EventMonitor* GetEventMonitor() override { return this; }

 private:
  void AddMessage(std::string, uint64_t, uint64_t) override {}
  void SetProgress(uint8_t, const std::string&) override {}
  void Request(InputRequest& request) override {
    if (request.kind == InputRequest::Widget && request.widget) {
      if (whileExec) whileExec();
      request.widget->Exec(nullptr, nullptr);
    }
  }
  bool IsInteractive() override { return true; }
  int32_t PendingEvent() override { return 0; }
};

PlayTest* OpenDialog() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* dialog = qobject_cast<PlayTest*>(widget); dialog && dialog->isVisible()) return dialog;
  return nullptr;
}

struct Stats {
  std::vector<double> ms;
  void Print(const char* what) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-44s min %7.1f ms  median %7.1f ms  max %7.1f ms  (%zu runs)\n", what, ms.front(),
                ms[ms.size() / 2], ms.back(), ms.size());
  }
};

}  // namespace

int main(int argc, char** argv) {
  qputenv("FINGERPRINT_BACKEND", "sim");
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_LOGGING_RULES", "*.debug=false");
  QApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

  platform::sim::SimMachine machine = platform::sim::DefaultMachine();
  RecognitionTest test(ComponentId{22, 1, 1});
  Stats stall, closeToEnd, abortToEnd;

  // 1. A run that passes: touch after 1.5 s. A 5 ms timer on the ui thread
  //    records the longest gap between its ticks.
  machine.sensor.touchAfterMs = 1500;
  {
    platform::sim::ScopedMachine scoped(machine);
    WinFingerprintComponentManager manager(ComponentId{22, 0, 0});
    manager.EnumerateComponents();
    for (int i = 0; i < runs; ++i) {
      BenchHost host;
      host.component = manager.GetComponent(0);
      QElapsedTimer gap;
      double longest = 0;
      QTimer probe;
      QObject::connect(&probe, &QTimer::timeout, [&] {
        longest = std::max(longest, gap.nsecsElapsed() / 1e6);
        gap.restart();
      });
      host.whileExec = [&] {
        gap.start();
        probe.start(5);
      };
      test.Run(&host);
      probe.stop();
      stall.ms.push_back(longest);
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
  }

  // 2 and 3. The sensor is never touched; the run is ended by the close
  //    button or by a host abort request 500 ms after the dialog appears.
  machine.sensor.touchAfterMs.reset();
  platform::sim::ScopedMachine scoped(machine);
  WinFingerprintComponentManager manager(ComponentId{22, 0, 0});
  manager.EnumerateComponents();
  for (int i = 0; i < runs; ++i) {
    for (bool useAbort : {false, true}) {
      BenchHost host;
      host.component = manager.GetComponent(0);
      QElapsedTimer since;
      host.whileExec = [&] {
        QTimer::singleShot(500, qApp, [&] {
          since.start();
          if (useAbort) {
            host.abort = true;
          } else if (PlayTest* dialog = OpenDialog()) {
            dialog->findChild<QPushButton*>(QStringLiteral("recognition_test_header_close"))->click();
          }
        });
      };
      test.Run(&host);
      (useAbort ? abortToEnd : closeToEnd).ms.push_back(since.nsecsElapsed() / 1e6);
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
  }

  stall.Print("longest ui-thread stall during a run");
  closeToEnd.Print("close button -> end of Run");
  abortToEnd.Print("host abort request -> end of Run");
  return 0;
}
