// A host compiled on its own runs the recognition test through the exports
// and virtual tables alone: its context, request record and widget-wrapper
// view are its own declarations, made from the published slot orders and
// field layouts. Each outcome runs in a child process of this program, since
// the simulated machine is read once per process.

#include <atomic>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTimer>

#include "host_view.h"

namespace hostview {

// A component of the host's own kind: eleven slots, none a reader's.
class OtherComponent {
 public:
  virtual ~OtherComponent() = default;
  virtual std::string GetDeviceId() { return "other"; }
  virtual int GetInfo() { return 0; }
  virtual int GetPropertyGroups() { return 0; }
  virtual uint64_t Value() { return 0; }
  virtual bool Query1() { return true; }
  virtual bool Query2() { return true; }
  virtual void Action1() {}
  virtual bool Query3() { return true; }
  virtual void Action2() {}
  virtual void Action3() {}
};

}  // namespace hostview

namespace {

using namespace hostview;

// The scenario's host: prints each call for the parent process to read.
class ScenarioHost : public TestContext, ResultReporter, TestUserInterface, EventMonitor {
 public:
  SystemComponent* component = nullptr;
  bool interactive = true;
  uint32_t answer = 0;
  std::atomic<bool> abort{false};
  std::atomic<bool> event{false};
  std::function<void(QWidget*)> onDialog;  // called once the dialog is on screen
  double longestGapMs = 0;

  SystemComponent* GetComponent() override { return component; }
  ResultReporter* GetResultReporter() override { return this; }
  TestUserInterface* GetUserInterface() override { return this; }
  void Unused() override {}
  bool IsAbortRequested() override { return abort.load(); }
  EventMonitor* GetEventMonitor() override { return this; }

 private:
  void Print(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
  void AddMessage(std::string id, uint64_t, uint64_t) override { Print("message " + id); }
  void SetProgress(uint8_t, const std::string& id) override { Print("progress " + id); }
  bool IsInteractive() override { return interactive; }
  int32_t PendingEvent() override { return event.load() ? 1 : 0; }
  void Request(InputRequest& request) override {
    Print("request " + std::to_string(request.kind));
    if (request.kind == 2) request.answer = answer;
    if (request.kind != 3 || !request.widget) return;

    // The sensor wait must never hold up this thread: a 10 ms timer measures
    // the longest gap between its ticks while the dialog runs.
    QElapsedTimer gap;
    gap.start();
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
      longestGapMs = std::max(longestGapMs, gap.nsecsElapsed() / 1e6);
      gap.restart();
    });
    probe.start(10);
    QTimer::singleShot(200, qApp, [this] {
      for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() != QLatin1String("recognition_test_dialog_base") || !widget->isVisible())
          continue;
        std::string names;
        for (const char* name : {"recognition_test_widget_header", "recognition_test_header_icon",
                                 "recognition_test_header_label", "recognition_test_header_close",
                                 "recognition_test_widget_bottom", "recognition_test_instruction_label",
                                 "recognition_test_progress_bar"})
          if (!widget->findChild<QWidget*>(QLatin1String(name))) names += std::string(" missing:") + name;
        Print("dialog" + (names.empty() ? std::string(" complete") : names));
        if (onDialog) onDialog(widget);
      }
    });
    QWidget parent;
    parent.setGeometry(100, 50, 800, 600);
    const int result = request.widget->Exec(&parent, nullptr);
    Print("exec " + std::to_string(result));
  }

  std::mutex mutex_;
};

int RunScenario(const std::string& name) {
  LoadedModule module(FP_MODULE_PATH);
  if (!module.ok()) {
    std::printf("cannot load: %s\n", module.error.c_str());
    return 100;
  }
  Module* root = module.get();
  Test* test = root->GetDiagnostic(0)->GetTest(0);
  ComponentManager* manager = root->GetComponentManager();
  manager->EnumerateComponents();

  ScenarioHost host;
  hostview::OtherComponent other;
  host.component =
      name == "other-kind" ? reinterpret_cast<SystemComponent*>(&other) : manager->GetComponent(0);
  if (name == "timeout-yes" || name == "timeout-no")
    test->Configure(Settings{{"CSAT", {{"CSAT_TEST_TIMEOUT_FINGERPRINT_RECOGNITION_TEST", "0"}}}}, nullptr);
  host.answer = name == "timeout-yes" ? 3 : 4;
  host.interactive = name != "not-interactive";
  if (name == "close-button")
    host.onDialog = [](QWidget* dialog) {
      dialog->findChild<QPushButton*>(QStringLiteral("recognition_test_header_close"))->click();
    };
  if (name == "abort-during-wait") host.onDialog = [&host](QWidget*) { host.abort = true; };
  if (name == "event-during-wait") host.onDialog = [&host](QWidget*) { host.event = true; };

  const int32_t status = test->Run(&host);
  std::printf("gap %.0f\nstatus %d\n", host.longestGapMs, status);
  std::fflush(stdout);
  module.release();
  return 0;
}

struct Outcome {
  int status = -1;
  std::vector<std::string> messages;
  bool dialogComplete = false;
  bool dialogShown = false;
  double gapMs = -1;
};

Outcome Launch(const std::string& scenario, const char* machineJson) {
  QTemporaryFile machine;
  EXPECT_TRUE(machine.open());
  machine.write(machineJson);
  machine.flush();
  QProcess child;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("FINGERPRINT_SIM"), machine.fileName());
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  child.setProcessEnvironment(environment);
  child.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--scenario"), QString::fromStdString(scenario)});
  EXPECT_TRUE(child.waitForFinished(120000)) << scenario;
  Outcome outcome;
  for (const QByteArray& raw : child.readAllStandardOutput().split('\n')) {
    const std::string line = raw.toStdString();
    if (line.rfind("status ", 0) == 0) outcome.status = std::stoi(line.substr(7));
    if (line.rfind("message ", 0) == 0) outcome.messages.push_back(line.substr(8));
    if (line.rfind("gap ", 0) == 0) outcome.gapMs = std::stod(line.substr(4));
    if (line.rfind("dialog", 0) == 0) {
      outcome.dialogShown = true;
      outcome.dialogComplete = line == "dialog complete";
    }
  }
  EXPECT_EQ(child.exitCode(), 0) << scenario << ": " << child.readAllStandardError().toStdString();
  return outcome;
}

const char kTouched[] = R"({"sensor": {"touchAfterMs": 1500}})";
const char kNeverTouched[] = R"({"sensor": {"touchAfterMs": null}})";
const std::string kHint = "POSSIBLE_DEFECTIVE_COMPONENTS: FINGERPRINT_READER";

TEST(SeparateHostRunTest, TouchPassesWithoutHoldingUpTheUserInterfaceThread) {
  const Outcome outcome = Launch("touch", kTouched);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_TRUE(outcome.messages.empty());
  EXPECT_TRUE(outcome.dialogComplete);
  // The wait lasts 1.5 s; a blocked thread would show a gap of about that.
  EXPECT_LT(outcome.gapMs, 1000.0);
}

TEST(SeparateHostRunTest, TimeoutThenTheUsersAnswer) {
  Outcome yes = Launch("timeout-yes", kNeverTouched);
  EXPECT_EQ(yes.status, 1);
  EXPECT_EQ(yes.messages, (std::vector<std::string>{"FAILED_TO_ENROLL_FINGERPRINT", kHint}));

  Outcome no = Launch("timeout-no", kNeverTouched);
  EXPECT_EQ(no.status, 4);
  EXPECT_EQ(no.messages, (std::vector<std::string>{"TIMEOUT_REACHED"}));
}

TEST(SeparateHostRunTest, ReaderErrors) {
  Outcome closed = Launch("open-failure", R"({"openSessionHresult": -2147024891})");
  EXPECT_EQ(closed.status, 4);
  EXPECT_EQ(closed.messages, (std::vector<std::string>{"CANNOT_ACCESS_DEVICE"}));

  Outcome broken = Launch("locate-failure", R"({"sensor": {"locateHresult": -2147467259}})");
  EXPECT_EQ(broken.status, 1);
  EXPECT_EQ(broken.messages, (std::vector<std::string>{"FAILED_TO_ENROLL_FINGERPRINT", kHint}));
}

TEST(SeparateHostRunTest, EndedEarlyByTheUserTheHostOrAnEvent) {
  for (const char* scenario : {"close-button", "abort-during-wait", "event-during-wait"}) {
    const Outcome outcome = Launch(scenario, kNeverTouched);
    EXPECT_EQ(outcome.status, 4) << scenario;
    EXPECT_TRUE(outcome.messages.empty()) << scenario;
    EXPECT_TRUE(outcome.dialogShown) << scenario;
  }
}

TEST(SeparateHostRunTest, RefusedBeforeTheDialog) {
  Outcome notInteractive = Launch("not-interactive", kTouched);
  EXPECT_EQ(notInteractive.status, 3);
  EXPECT_EQ(notInteractive.messages, (std::vector<std::string>{"TEST_NOT_SUPPORTED"}));

  Outcome otherKind = Launch("other-kind", kTouched);
  EXPECT_EQ(otherKind.status, 6);
  EXPECT_TRUE(otherKind.messages.empty());
  EXPECT_FALSE(otherKind.dialogShown);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--scenario") {
    QApplication app(argc, argv);
    return RunScenario(argv[2]);
  }
  QCoreApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
