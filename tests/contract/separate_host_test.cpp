// A host compiled on its own: it declares the module's classes itself
// (host_view.h), includes none of the module's headers and drives the module
// through dlopen and the virtual tables alone. It catches what in-process
// tests cannot: slot orders, field layouts and pinned types as a separate
// compiler sees them. Runs that need their own simulated machine happen in a
// child process of this program ("--scenario NAME"), which prints one line per
// observation for the parent to compare.

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <mutex>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryFile>
#include <QTimer>
#include <QWidget>

#include "host_view.h"

namespace {

using namespace hostview;

void Print(const std::string& line) {
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

// The host's side of a run; each slot the module calls prints itself.
class ScenarioHost : public TestContext, ResultReporter, TestUserInterface, EventMonitor {
 public:
  SystemComponent* component = nullptr;
  uint32_t answer = 0;
  double longestGapMs = 0;
  bool quiet = false;  // prints nothing of its own

  SystemComponent* GetComponent() override { return Slot("GetComponent"), component; }
  ResultReporter* GetResultReporter() override { return Slot("GetResultReporter"), this; }
  TestUserInterface* GetUserInterface() override { return Slot("GetUserInterface"), this; }
  void Unused() override { Print("Unused called"); }
  bool IsAbortRequested() override { return Slot("IsAbortRequested"), false; }
  EventMonitor* GetEventMonitor() override { return Slot("GetEventMonitor"), this; }

 private:
  void Slot(const char* slot) const {
    if (!quiet) Print(std::string("slot ") + slot);
  }
  void AddMessage(std::string id, uint64_t a, uint64_t b) override {
    if (!quiet) Print("message " + id + (a || b ? " with arguments" : ""));
  }
  void SetProgress(uint8_t percent, const std::string& id) override {
    if (!quiet) Print("progress " + std::to_string(percent) + " " + id);
  }
  bool IsInteractive() override { return Slot("IsInteractive"), true; }
  int32_t PendingEvent() override { return Slot("PendingEvent"), 0; }
  void Request(InputRequest& request) override {
    if (!quiet)
      Print("request " + std::to_string(request.kind) + " " + request.title + "|" + request.message);
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
    QWidget parent;
    parent.setGeometry(100, 50, 800, 600);
    const int result = request.widget->Exec(&parent, nullptr);
    if (!quiet) Print("exec " + std::to_string(result));
  }
};

void ListReaders(Module* root) {
  ComponentManager* manager = root->GetComponentManager();
  Print("present " + std::to_string(manager->IsDevicePresent()));
  manager->EnumerateComponents();
  Print("count " + std::to_string(manager->GetComponentCount()));
  for (uint32_t i = 0; i < manager->GetComponentCount(); ++i) {
    SystemComponent* component = i == 0 ? manager->GetComponent(i) : manager->ComponentAt(i);
    const ComponentInfo info = component->GetInfo();
    std::string line = component->GetDeviceId() + " " + info.typeName + "|" + info.secondText + "|";
    for (const Property& property : info.properties) line += " " + property.first + "=" + property.second;
    line += " map " + std::to_string(info.propertyMap.size());
    line += " groups " + std::to_string(component->GetPropertyGroups().size());
    line += " sensor " + std::to_string(static_cast<FingerprintComponent*>(component)->HasSensor());
    Print(line);
  }
  auto* reader = static_cast<FingerprintComponent*>(manager->GetComponent(0));
  reader->ResetState();
  Print("open " + std::to_string(reader->OpenSession()));
  Print("locate " + std::to_string(reader->LocateSensor(5)));
  reader->CancelAndClose();
  Print("cancel requested " + std::to_string(reader->IsCancelRequested()));
  reader->OpenSession();
  Print("locate after cancel " + std::to_string(reader->LocateSensor(5)));
  reader->CancelAndClose();
}

// Runs the test on the first reader with the limit under `key`.
int32_t RunTest(Module* root, ScenarioHost& host, const char* key, const char* limit) {
  root->GetComponentManager()->EnumerateComponents();
  host.component = root->GetComponentManager()->GetComponent(0);
  Test* test = root->GetDiagnostic(0)->GetTest(0);
  test->Configure(Settings{{"CSAT", {{key, limit}}}}, nullptr);
  return test->Run(&host);
}

// Loads the module, runs the test, releases and unloads the module, and
// again, under a main window the host destroys only at the end: nothing of
// the module may be left in it or run meanwhile.
int RunUnloadScenario(const char* limit) {
  QWidget window;
  window.show();
  for (int round = 1; round <= 2; ++round) {
    LoadedModule module(FP_MODULE_PATH);
    if (!module.ok()) return Print("cannot load: " + module.error), 100;
    ScenarioHost host;
    const int32_t status = RunTest(module.get(), host, "CSAT_TEST_TIMEOUT", limit);
    Print("round " + std::to_string(round) + " status " + std::to_string(status));
    module.release();
    module.unload();
  }
  return 0;
}

// The doors into a reader or the service that a host has, each tried on a
// machine whose reader (or service) may never answer. Every call is timed
// against its bound, generous for a loaded machine (a module without bounds
// takes the machines' 30 s, or for ever); after the release and the unload
// the host lives on for 2 s, and the module's threads must be gone, but for
// the one call given up on, which keeps the module pinned. Where that call
// returns during those 2 s, it runs the module's code after the unload.
constexpr int kGraceMs = 3000;
constexpr int kSlackMs = 2000;

// The line of a call that took longer than its bound says so.
std::string Within(QElapsedTimer& timer, int boundMs) {
  const qint64 took = timer.restart();
  return took <= boundMs + kSlackMs
             ? ""
             : " LATE: " + std::to_string(took) + " ms for a bound of " + std::to_string(boundMs) + " ms";
}

// Runs `call`, prints `what` and its result, with a note if it ran late.
template <class Call>
auto Timed(const std::string& what, int boundMs, Call&& call) {
  QElapsedTimer timer;
  timer.start();
  const auto result = call();
  Print(what + " " + std::to_string(result) + Within(timer, boundMs));
  return result;
}

FingerprintComponent* Reader(ComponentManager* manager) {
  Timed("count", kGraceMs, [manager] {
    manager->EnumerateComponents();
    return manager->GetComponentCount();
  });
  return static_cast<FingerprintComponent*>(manager->GetComponent(0));
}

// The first reader, with a session opened on it.
FingerprintComponent* OpenReader(Module* root) {
  FingerprintComponent* reader = Reader(root->GetComponentManager());
  Timed("open", kGraceMs, [reader] { return reader->OpenSession(); });
  return reader;
}

void DoorRun(Module* root) {
  ScenarioHost host;
  host.quiet = true;
  host.component = Reader(root->GetComponentManager());
  Test* test = root->GetDiagnostic(0)->GetTest(0);
  test->Configure(Settings{{"CSAT", {{"CSAT_TEST_TIMEOUT", "3"}}}}, nullptr);
  // The open and the wait, each within its limit and a grace period.
  Timed("run", 3000 + 2 * kGraceMs, [&] { return test->Run(&host); });
}

// The reader's own calls, then a listing and a new component's calls.
void DoorLocate(Module* root) {
  ComponentManager* manager = root->GetComponentManager();
  for (const char* round : {"", "again "}) {
    FingerprintComponent* reader = Reader(manager);
    Timed(std::string(round) + "open", kGraceMs, [reader] { return reader->OpenSession(); });
    if (!*round) Timed("locate", 3000 + kGraceMs, [reader] { return reader->LocateSensor(3); });
    Timed(std::string(round) + "close", kGraceMs, [reader] { return reader->CloseSession(); });
  }
}

void DoorListings(Module* root) {
  ComponentManager* manager = root->GetComponentManager();
  for (int i = 0; i < 2; ++i) {
    Timed("present", kGraceMs, [manager] { return manager->IsDevicePresent(); });
    Timed("count", kGraceMs, [manager] {
      manager->EnumerateComponents();
      return manager->GetComponentCount();
    });
  }
}

// The host's CancelAndClose from its main thread while another of its
// threads waits in LocateSensor.
void DoorCancelDuringWait(Module* root) {
  FingerprintComponent* reader = OpenReader(root);
  int32_t located = 0;
  std::string late;
  std::thread waiter([&] {
    QElapsedTimer timer;
    timer.start();
    located = reader->LocateSensor(30);
    late = Within(timer, 500 + kGraceMs);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  Timed("cancel and close", kGraceMs, [reader] { return reader->CancelAndClose(), 0; });
  waiter.join();
  Print("locate " + std::to_string(located) + late);
}

int RunDoor(const std::string& door) {
  QWidget window;  // the host's main window, destroyed only at the end
  window.show();
  // Runtimes such as ThreadSanitizer start a helper thread with the first
  // thread of the process: that happens before the baseline.
  std::thread([] {}).join();
  const size_t baseline = ThreadCount();
  LoadedModule module(FP_MODULE_PATH);
  if (!module.ok()) return Print("cannot load: " + module.error), 100;
  Module* root = module.get();
  if (door == "run") DoorRun(root);
  if (door == "locate") DoorLocate(root);
  if (door == "open-release") OpenReader(root);  // a session left open for the release to close
  if (door == "listings") DoorListings(root);
  if (door == "cancel") DoorCancelDuringWait(root);
  // The release waits for nothing that was waited for already: only the
  // close of the session the host left open has a grace period of its own.
  Timed("release", door == "open-release" ? kGraceMs : 0, [&module] { return module.release(), 0; });
  module.unload();
  QEventLoop living;
  QTimer::singleShot(2000, &living, &QEventLoop::quit);
  living.exec();
  const size_t threads = ThreadCount();
  Print("threads left " + std::to_string(threads >= baseline ? threads - baseline : 0));
  return 0;
}

int RunScenario(const std::string& name) {
  if (name.rfind("door ", 0) == 0) return RunDoor(name.substr(5));
  if (name.rfind("unload-", 0) == 0) return RunUnloadScenario(name == "unload-passed" ? "5" : "0");
  LoadedModule module(FP_MODULE_PATH);
  if (!module.ok()) return Print("cannot load: " + module.error), 100;
  if (name == "readers") {
    ListReaders(module.get());
  } else {  // timeout, then yes
    ScenarioHost host;
    host.answer = 3;  // yes
    const int32_t status = RunTest(module.get(), host, "CSAT_TEST_TIMEOUT_FINGERPRINT_RECOGNITION_TEST", "0");
    Print("longest gap " + std::string(host.longestGapMs < 1000 ? "short" : "LONG"));
    Print("status " + std::to_string(status));
  }
  module.release();
  return 0;
}

// Runs a scenario in a child on the given machine; its lines.
std::vector<std::string> Launch(const std::string& scenario, const char* machineJson) {
  QTemporaryFile machine;
  EXPECT_TRUE(machine.open());
  machine.write(machineJson);
  machine.flush();
  QProcess child;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("FINGERPRINT_SIM"), machine.fileName());
  environment.remove(QStringLiteral("FINGERPRINT_BACKEND"));
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  if (scenario.rfind("unload", 0) == 0 || scenario.rfind("door", 0) == 0) {
    // The simulated machine keeps its sessions and registry for the whole
    // process (a wait may outlive static destruction), so an unload loses
    // them: the stand-in's state, not the module's. And a call stuck in the
    // reader, with its watchdog, is left running at exit on purpose.
    const auto append = [&environment](const QString& variable, const QString& option) {
      const QString options = environment.value(variable);
      environment.insert(variable, options + (options.isEmpty() ? "" : ":") + option);
    };
    append(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    append(QStringLiteral("TSAN_OPTIONS"), QStringLiteral("report_thread_leaks=0"));
  }
  child.setProcessEnvironment(environment);
  child.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--scenario"), QString::fromStdString(scenario)});
  EXPECT_TRUE(child.waitForFinished(120000)) << scenario;
  EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << scenario;
  EXPECT_EQ(child.exitCode(), 0) << scenario << ": " << child.readAllStandardError().toStdString();
  std::vector<std::string> lines;
  for (QByteArray line : child.readAllStandardOutput().split('\n')) {
    if (line.endsWith('\r')) line.chop(1);  // Windows ends its lines so
    if (!line.isEmpty()) lines.push_back(line.toStdString());
  }
  return lines;
}

const std::string kHint = "POSSIBLE_DEFECTIVE_COMPONENTS: FINGERPRINT_READER";

class SeparateHostTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(module_.ok()) << module_.error; }
  void TearDown() override {
    if (module_.ok()) module_.release();
  }
  LoadedModule module_{FP_MODULE_PATH};
};

TEST_F(SeparateHostTest, WalksTheGraphAndReadsTheResource) {
  Version* version = module_.version();
  EXPECT_EQ(std::vector<uint32_t>(
                {version->GetMajor(), version->GetMinor(), version->GetPatch(), version->GetBuild()}),
            std::vector<uint32_t>({4, 42, 0, 92}));
  Module* module = module_.get();
  EXPECT_TRUE(module->GetModuleFlag());
  EXPECT_EQ(module->GetAuxiliaryCount(), 0u);
  EXPECT_EQ(module->GetAuxiliary(0), nullptr);
  EXPECT_EQ(module->GetAuxiliaryObject(), nullptr);
  ASSERT_EQ(module->GetDiagnosticCount(), 1u);
  EXPECT_EQ(module->GetDiagnostic(1), nullptr);
  EXPECT_EQ(module->GetDiagnostic(0)->GetTest(1), nullptr);

  Diagnostic* diagnostic = module->GetDiagnostic(0);
  const ComponentId id = diagnostic->GetId();
  EXPECT_EQ(std::vector<uint64_t>({id.module, id.diagnostic, id.test, id.key}),
            std::vector<uint64_t>({22, 1, 0, Id(22, 1, 0).key}));
  ASSERT_EQ(diagnostic->GetTestCount(), 1u);
  hostview::Test* test = diagnostic->GetTest(0);
  EXPECT_EQ(test->id.key, Id(22, 1, 1).key);
  EXPECT_TRUE(test->list.empty());
  EXPECT_EQ(diagnostic->FindTest(Id(22, 1, 1)), test);
  EXPECT_EQ(diagnostic->FindTest(Id(22, 1, 0)), nullptr);
  EXPECT_EQ(std::vector<bool>({test->QueryTraitA(), test->QueryTraitB(), test->QueryTraitC(),
                               test->QueryTraitD(), test->GetListA().empty(), test->GetListB().empty()}),
            std::vector<bool>({true, false, true, true, true, true}));
  EXPECT_EQ(test->Run(nullptr), 6);  // no context: Error
  test->Notify();
  EXPECT_TRUE(test->Configure(Settings{{"CSAT", {{"CSAT_TEST_TIMEOUT", "15"}}}}, nullptr));
  EXPECT_THROW(test->Configure(Settings{{"CSAT", {{"CSAT_TEST_TIMEOUT", "soon"}}}}, nullptr),
               std::invalid_argument);

  ComponentManager* manager = module->GetComponentManager();
  EXPECT_EQ(manager->GetId().key, Id(22, 0, 0).key);
  EXPECT_EQ(manager->GetComponentCount(), 0u);

  module_.release();
  module_.release();
  module = module_.get();
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module->GetDiagnosticCount(), 1u);

  Resource* resource = module->GetResource();
  EXPECT_EQ(resource->GetReserved(), 0u);
  EXPECT_EQ(resource->GetModuleName(), "FINGERPRINT");
  EXPECT_EQ(resource->GetModuleShortName(), "FP");
  EXPECT_EQ(resource->GetDiagnosticName(Id(22, 1, 0)), "QUICK_FINGERPRINT");
  EXPECT_EQ(resource->GetTestName(Id(22, 1, 1)), "RECOGNITION_TEST");
  EXPECT_EQ(resource->GetDiagnosticDescription(Id(22, 1, 0)), "QUICK_FINGERPRINT_TESTS_TOOLTIP");
  EXPECT_EQ(resource->GetTestDescription(Id(22, 1, 1)), "FINGERPRINT_RECOGNITION_TEST_DESCRIPTION");
  EXPECT_EQ(resource->GetTestName(Id(22, 1, 0)), "");
  EXPECT_EQ(resource->GetHelpText(),
            "Fingerprint Module help:\n  Usage: TaveroDiagnosticsCLI -Mfingerprint [diagnostic]\"[test(s)]\" "
            "[device id(s)]\n Tests:\n   r, recognition\t\t\tFingerprint Recognition Test*\n\n"
            "   * Test not supported on CLI\n");
  const auto tests = resource->GetTestAliases();
  ASSERT_EQ(tests.size(), 1u);
  EXPECT_EQ(tests.begin()->first.key, Id(22, 1, 1).key);
  EXPECT_EQ(tests.begin()->second.shortName, "r");
  EXPECT_EQ(tests.begin()->second.longName, "recognition");
  EXPECT_EQ(tests.begin()->second.kind, 2);
  const auto diagnostics = resource->GetDiagnosticAliases();
  ASSERT_EQ(diagnostics.size(), 1u);
  EXPECT_EQ(diagnostics.begin()->second.shortName, "Q");
  EXPECT_EQ(diagnostics.begin()->second.longName, "quick");
  EXPECT_EQ(resource->GetKeyedTexts(), (std::map<int, std::string>{{0, "0 - 1"}, {1, ""}, {2, ""}}));
  resource->SetKeyedTexts({{7, "seven"}});
  EXPECT_EQ(resource->GetKeyedTexts(), (std::map<int, std::string>{{7, "seven"}}));
}

TEST(SeparateHostRunTest, ListsReadersAndWaitsThroughTheVirtualTables) {
  const char machine[] = R"({"readers": [
      {"manufacturer": "Acm\u00e9", "model": "X\u4e2d", "description": "Touch sensor", "capabilities": 1},
      {"manufacturer": "Other", "model": "S2", "description": "Swipe sensor", "capabilities": 0}],
    "driverVersion": "10.2.0.5", "sensor": {"touchAfterMs": 0}})";
  const std::vector<std::string> expected = {
      "present 1",
      "count 2",
      "0 FINGERPRINT|| UDI=Acm\xE9 X\x2D FINGERPRINT_MANUFACTURER=Acm\xC3\xA9 "
      "FINGERPRINT_MODEL=X\xE4\xB8\xAD "
      "FINGERPRINT_DESCRIPTION=Touch sensor DRIVER_VERSION=10.2.0.5 map 0 groups 0 sensor 1",
      "1 FINGERPRINT|| UDI=Other S2 FINGERPRINT_MANUFACTURER=Other FINGERPRINT_MODEL=S2 "
      "FINGERPRINT_DESCRIPTION=Swipe sensor DRIVER_VERSION=10.2.0.5 map 0 groups 0 sensor 0",
      "open 20",
      "locate 20",
      "cancel requested 1",
      "locate after cancel 17"};
  EXPECT_EQ(Launch("readers", machine), expected);
}

TEST(SeparateHostRunTest, TimeoutThenYesFailsWithTheHintLast) {
  const std::vector<std::string> lines = Launch("timeout-yes", R"({"sensor": {"touchAfterMs": null}})");
  std::vector<std::string> calls;
  std::set<std::string> reached;
  for (const std::string& line : lines)
    if (line.rfind("slot ", 0) == 0)
      reached.insert(line.substr(5));
    else
      calls.push_back(line);
  const std::vector<std::string> expected = {"request 0 RECOGNITION_TEST|FINGERPRINT_INSTRUCTIONS",
                                             "request 3 |",
                                             "exec 0",
                                             "progress 100 ",
                                             "request 2 RECOGNITION_TEST|DID_YOU_PERFORM_THE_TEST_CORRECTLY",
                                             "progress 100 FAILED_TO_ENROLL_FINGERPRINT",
                                             "message FAILED_TO_ENROLL_FINGERPRINT",
                                             "message " + kHint,
                                             "progress 100 " + kHint,
                                             "longest gap short",
                                             "status 1"};
  EXPECT_EQ(calls, expected);
  // Every host slot the module uses is reached, each at its own place.
  EXPECT_EQ(reached,
            (std::set<std::string>{"GetComponent", "GetResultReporter", "GetUserInterface",
                                   "IsAbortRequested", "GetEventMonitor", "IsInteractive", "PendingEvent"}));
}

// A host that loads, runs and unloads the module in turn, after a passed
// run and after a stuck reader, which stays refused when loaded again.
TEST(SeparateHostRunTest, UnloadsAfterARunAndLoadsAgain) {
  const auto rounds = [](const std::vector<std::string>& lines) {
    std::vector<std::string> kept;
    for (const std::string& line : lines)
      if (line.rfind("round ", 0) == 0) kept.push_back(line);
    return kept;
  };
  EXPECT_EQ(rounds(Launch("unload-passed", R"({"sensor": {"touchAfterMs": 300}})")),
            (std::vector<std::string>{"round 1 status 0", "round 2 status 0"}));
  EXPECT_EQ(rounds(Launch("unload-stuck", R"({"sensor": {"touchAfterMs": 20000, "ignoresCancel": true}})")),
            (std::vector<std::string>{"round 1 status 6", "round 2 status 6"}));
}

// Doors x reader behaviours: what each call answers (result codes: 20
// success, 8 open failed, 9 not accessible, 14 locate failed, 17 cancelled;
// statuses: 0 passed, 6 error), and how many threads of the module are left
// after release, unload and 2 s: one where a call was given up on, none
// otherwise.
struct DoorRow {
  const char* name;
  const char* door;
  const char* machine;
  const char* lines;  // the child's lines, joined by ", "
};

const char kOrdinary[] = R"({"sensor": {"touchAfterMs": 1000}})";
const char kIgnoresCancel[] = R"({"sensor": {"touchAfterMs": 30000, "ignoresCancel": true}})";
// Touched only after the wait is given up on (6 s) and, most likely, the
// module unloaded: early in the 2 s the host lives on, so that the thread
// has ended by their end even on a loaded machine.
const char kAnswersAfterUnload[] = R"({"sensor": {"touchAfterMs": 6500, "ignoresCancel": true}})";
// Answers a cancellation at 0.5 s only at 2.9 s: its close has what is left
// of the grace period (0.6 s), not a grace period of its own.
const char kAnswersCancelLate[] =
    R"({"sensor": {"touchAfterMs": 2900, "ignoresCancel": true, "closeSessionMs": 30000}})";
const char kOpenHangs[] = R"({"sensor": {"touchAfterMs": 1000, "openSessionMs": 30000}})";
const char kCloseHangs[] = R"({"sensor": {"touchAfterMs": 1000, "closeSessionMs": 30000}})";
const char kListingHangs[] = R"({"enumerateMs": 30000})";

const DoorRow kDoorRows[] = {
    {"RunOrdinary", "run", kOrdinary, "count 1, run 0, release 0, threads left 0"},
    {"RunIgnoresCancel", "run", kAnswersAfterUnload, "count 1, run 6, release 0, threads left 0"},
    {"RunOpenHangs", "run", kOpenHangs, "count 1, run 6, release 0, threads left 1"},
    // The touch counts; the close after it is given up on.
    {"RunCloseHangs", "run", kCloseHangs, "count 1, run 0, release 0, threads left 1"},
    {"LocateOrdinary", "locate", kOrdinary,
     "count 1, open 20, locate 20, close 20, count 1, again open 20, again close 20, "
     "release 0, threads left 0"},
    // Stuck, the reader refuses every call at once, in the next listing too.
    {"LocateIgnoresCancel", "locate", kAnswersAfterUnload,
     "count 1, open 20, locate 14, close 9, count 1, again open 8, again close 9, release 0, threads left 0"},
    {"LocateOpenHangs", "locate", kOpenHangs,
     "count 1, open 8, locate 14, close 9, count 1, again open 8, again close 9, release 0, threads left 1"},
    {"LocateCloseHangs", "locate", kCloseHangs,
     "count 1, open 20, locate 20, close 9, count 1, again open 8, again close 9, release 0, threads left 1"},
    {"OpenThenReleaseOrdinary", "open-release", kOrdinary, "count 1, open 20, release 0, threads left 0"},
    {"OpenThenReleaseOpenHangs", "open-release", kOpenHangs, "count 1, open 8, release 0, threads left 1"},
    {"OpenThenReleaseCloseHangs", "open-release", kCloseHangs, "count 1, open 20, release 0, threads left 1"},
    {"ListingsOrdinary", "listings", kOrdinary,
     "present 1, count 1, present 1, count 1, release 0, threads left 0"},
    // One listing is given up on; the next ones answer at once, without a thread each.
    {"ListingsHang", "listings", kListingHangs,
     "present 0, count 0, present 0, count 0, release 0, threads left 1"},
    {"CancelOrdinary", "cancel", kOrdinary,
     "count 1, open 20, cancel and close 0, locate 17, release 0, threads left 0"},
    {"CancelIgnored", "cancel", kIgnoresCancel,
     "count 1, open 20, cancel and close 0, locate 17, release 0, threads left 1"},
    {"CancelOpenHangs", "cancel", kOpenHangs,
     "count 1, open 8, cancel and close 0, locate 14, release 0, threads left 1"},
    {"CancelAnsweredLateCloseHangs", "cancel", kAnswersCancelLate,
     "count 1, open 20, cancel and close 0, locate 17, release 0, threads left 1"},
};

void PrintTo(const DoorRow& row, std::ostream* out) {
  *out << row.name;
}

class DoorTest : public testing::TestWithParam<DoorRow> {};

TEST_P(DoorTest, CallsEndWithinTheirBoundsAndNothingRunsAfterTheUnload) {
  const DoorRow& row = GetParam();
  std::string lines;
  for (const std::string& line : Launch(std::string("door ") + row.door, row.machine))
    lines += (lines.empty() ? "" : ", ") + line;
  EXPECT_EQ(lines, row.lines);
}

INSTANTIATE_TEST_SUITE_P(Doors, DoorTest, testing::ValuesIn(kDoorRows),
                         [](const testing::TestParamInfo<DoorRow>& door) {
                           return std::string(door.param.name);
                         });

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--scenario") {
    QApplication app(argc, argv);
    return RunScenario(argv[2]);
  }
  QCoreApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  qputenv("FINGERPRINT_BACKEND", "sim");  // the built-in simulated machine, in this process
  return RUN_ALL_TESTS();
}
