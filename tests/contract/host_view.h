#pragma once

// A host's own view of the module, written from the published slot orders,
// field layouts and pinned types, without any of the module's headers. The
// separate-host tests drive the built library through dlopen and these
// declarations alone. Nothing here is defined: the objects are the module's.

#ifdef _WIN32
#include <windows.h>

#include <tlhelp32.h>
#else
#include <dirent.h>
#include <dlfcn.h>
#endif
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

class QObject;
class QWidget;
// The host's side of a run (TestContext and the objects it hands out) is
// declared after the hostview namespace, under the names the module gives it.
class TestContext;

namespace hostview {

struct ComponentId {
  uint16_t module;
  uint32_t diagnostic;
  uint32_t test;
  uint64_t key;
};
inline ComponentId Id(uint16_t m, uint32_t d, uint32_t t) {
  return ComponentId{m, d, t, uint64_t{m} << 48 | uint64_t{d} << 24 | t};
}
struct ById {
  bool operator()(const ComponentId& a, const ComponentId& b) const { return a.key < b.key; }
};
struct CommandAlias {
  std::string shortName;
  std::string longName;
  int32_t kind;
};
using Aliases = std::map<ComponentId, CommandAlias, ById>;
using Settings = std::map<std::string, std::map<std::string, std::string>>;
using Property = std::pair<std::string, std::string>;
struct ComponentInfo {
  std::string typeName;
  std::string secondText;
  std::vector<Property> properties;
  std::map<std::string, std::string> propertyMap;
};
struct PropertyGroup {
  std::vector<Property> properties;
  std::string name;
};

class SystemComponent {
 public:
  virtual ~SystemComponent();
  virtual std::string GetDeviceId();
  virtual ComponentInfo GetInfo();
  virtual std::vector<PropertyGroup> GetPropertyGroups();
  virtual uint64_t HostValue();
  virtual bool HostQuery1();
  virtual bool HostQuery2();
  virtual void HostAction1();
  virtual bool HostQuery3();
  virtual void HostAction2();
  virtual void HostAction3();
};

class FingerprintComponent : public SystemComponent {
 public:
  virtual bool HasSensor();
  virtual void ResetState();
  virtual int32_t Prepare();
  virtual int32_t Cleanup();
  virtual int32_t OpenSession();
  virtual int32_t CloseSession();
  virtual void CancelAndClose();
  virtual int32_t LocateSensor(int timeoutSeconds);
  virtual int32_t DeleteTemplate(int finger);
  virtual uint32_t GetSampleHint();
  virtual bool IsCancelRequested();
};

class ComponentManager {
 public:
  virtual ~ComponentManager();
  virtual ComponentId GetId();
  virtual uint64_t GetComponentCount();
  virtual SystemComponent* GetComponent(uint32_t index);
  virtual bool IsDevicePresent();
  virtual SystemComponent* ComponentAt(uint32_t index);
  virtual void EnumerateComponents();
};

class Test {
 public:
  virtual ~Test();
  virtual bool IsSupported(SystemComponent* component);
  virtual int32_t Run(::TestContext* context);
  virtual bool QueryTraitA();
  virtual bool QueryTraitB();
  virtual std::vector<uint64_t> GetListA();
  virtual void AcceptRecord(void* record);  // never called: the record's fields are the host's
  virtual std::vector<uint64_t> GetListB();
  virtual bool QueryTraitC();
  virtual bool QueryTraitD();
  virtual bool Configure(Settings settings, void* extra);
  virtual void Notify();
  ComponentId id;
  std::vector<uint64_t> list;
};

class Diagnostic {
 public:
  virtual ~Diagnostic();
  virtual ComponentId GetId();
  virtual uint64_t GetTestCount();
  virtual Test* GetTest(uint32_t index);
  virtual Test* FindTest(const ComponentId& id);
};

class Resource {
 public:
  virtual ~Resource();
  virtual uint64_t GetReserved();
  virtual std::string GetDiagnosticName(const ComponentId& id);
  virtual std::string GetTestName(const ComponentId& id);
  virtual std::string GetDiagnosticDescription(const ComponentId& id);
  virtual std::string GetTestDescription(const ComponentId& id);
  virtual std::string GetHelpText();
  virtual std::string GetModuleName();
  virtual std::string GetModuleShortName();
  virtual Aliases GetTestAliases();
  virtual Aliases GetDiagnosticAliases();
  virtual std::map<int, std::string> GetKeyedTexts();
  virtual void SetKeyedTexts(const std::map<int, std::string>& texts);
};

class Module {
 public:
  virtual ~Module();
  virtual Diagnostic* GetDiagnostic(uint32_t index);
  virtual uint64_t GetDiagnosticCount();
  virtual Resource* GetResource();
  virtual ComponentManager* GetComponentManager();
  virtual void* GetAuxiliary(uint32_t index);
  virtual uint64_t GetAuxiliaryCount();
  virtual void* GetAuxiliaryObject();
  virtual bool GetModuleFlag();
};

class Version {
 public:
  virtual ~Version();
  virtual uint32_t GetMajor();
  virtual uint32_t GetMinor();
  virtual uint32_t GetPatch();
  virtual uint32_t GetBuild();
};

// The module file and its three exports, resolved by name as a host does
// (dlopen on Linux, LoadLibrary on Windows).
struct LoadedModule {
  explicit LoadedModule(const char* path) {
#ifdef _WIN32
    handle = LoadLibraryA(path);
    if (!handle) error = "LoadLibrary failed with " + std::to_string(GetLastError());
#else
    handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!handle) error = dlerror();
#endif
    if (!handle) return;
    get = reinterpret_cast<Module* (*)()>(Symbol("GetModuleInterfaceInstance"));
    version = reinterpret_cast<Version* (*)()>(Symbol("GetProductVersion"));
    release = reinterpret_cast<void (*)()>(Symbol("ReleaseModuleInterfaceInstance"));
    if (!get || !version || !release) error = "an export is missing";
  }
  bool ok() const {
    return error.empty();
  }
  void* Symbol(const char* name) {
#ifdef _WIN32
    return reinterpret_cast<void*>(GetProcAddress(handle, name));
#else
    return dlsym(handle, name);
#endif
  }
  // Unloads the module, as a host that is done with it does.
  void unload() {
#ifdef _WIN32
    if (handle) FreeLibrary(handle);
#else
    if (handle) dlclose(handle);
#endif
    handle = nullptr;
  }
#ifdef _WIN32
  HMODULE handle = nullptr;
#else
  void* handle = nullptr;
#endif
  std::string error;
  Module* (*get)() = nullptr;
  Version* (*version)() = nullptr;
  void (*release)() = nullptr;
};

// The threads of this process, as the system counts them. On Windows, Qt
// watches every thread that used it with a thread of its own, Qt's rather
// than the module's: threads that start in Qt's core library are left out.
inline size_t ThreadCount() {
  size_t count = 0;
#ifdef _WIN32
  using QueryThread = LONG(WINAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<QueryThread>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
  const HMODULE qtCore = GetModuleHandleA("Qt6Core.dll");
  constexpr int kStartAddress = 9;  // ThreadQuerySetWin32StartAddress
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
    void* start = nullptr;
    HMODULE module = nullptr;
    if (const HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID)) {
      if (query) query(thread, kStartAddress, &start, sizeof(start), nullptr);
      CloseHandle(thread);
    }
    if (start)
      GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<LPCSTR>(start), &module);
    count += !qtCore || module != qtCore;
  }
  CloseHandle(snapshot);
#else
  if (DIR* tasks = opendir("/proc/self/task")) {
    while (const dirent* entry = readdir(tasks)) count += entry->d_name[0] != '.';
    closedir(tasks);
  }
#endif
  return count;
}

}  // namespace hostview

// The host's side of a run: the host implements these. They keep the names
// the module gives them, as a real host's do, so that type checks by name
// (UBSan's vptr check) agree on both sides.
class AbstractWidgetWrapper {
 public:
  virtual ~AbstractWidgetWrapper();
  virtual int Exec(QWidget* parent, QObject* eventFilter);
  void* context;
};

class InputRequest {
 public:
  virtual ~InputRequest() = default;
  AbstractWidgetWrapper* widget = nullptr;
  uint32_t answer = 0;
  std::string title;
  std::string message;
  uint32_t mode = 0;
  uint32_t kind = 0;
  std::vector<uint64_t> extraValues;
  uint32_t extraNumber = 0;
  uint64_t extraData = 0;
};

class ResultReporter {
 public:
  virtual ~ResultReporter() = default;
  virtual void AddMessage(std::string id, uint64_t a, uint64_t b) = 0;
};
class TestUserInterface {
 public:
  virtual ~TestUserInterface() = default;
  virtual void SetProgress(uint8_t percent, const std::string& id) = 0;
  virtual void Request(InputRequest& request) = 0;
  virtual void Unused() = 0;
  virtual bool IsInteractive() = 0;
};
class EventMonitor {
 public:
  virtual ~EventMonitor() = default;
  virtual int32_t PendingEvent() = 0;
};
class TestContext {
 public:
  virtual ~TestContext() = default;
  virtual hostview::SystemComponent* GetComponent() = 0;
  virtual ResultReporter* GetResultReporter() = 0;
  virtual TestUserInterface* GetUserInterface() = 0;
  virtual void Unused() = 0;
  virtual bool IsAbortRequested() = 0;
  virtual EventMonitor* GetEventMonitor() = 0;
};
