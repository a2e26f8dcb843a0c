#include "platform/sim/sim_system.h"

#include <mutex>
#include <string>
#include <thread>

#include "platform/posix/posix_system.h"
#include "platform/sim/sim_machine.h"

namespace platform::sim {
namespace {

// What the machine description says; the rest is the real process's.
class SimSystem : public posix::PosixSystem {
 public:
  // The real clock, or the machine's manual clock.
  uint32_t GetTickCount() override {
    const std::shared_ptr<const SimMachine> machine = sim::CurrentMachine();
    if (!machine->system.manualClockStartMs) return PosixSystem::GetTickCount();
    std::lock_guard<std::mutex> lock(clockMutex_);
    return ManualTicks(machine);
  }

  void Sleep(uint32_t milliseconds) override {
    const std::shared_ptr<const SimMachine> machine = sim::CurrentMachine();
    if (!machine->system.manualClockStartMs) {
      PosixSystem::Sleep(milliseconds);
      return;
    }
    {
      std::lock_guard<std::mutex> lock(clockMutex_);
      manualTicks_ = ManualTicks(machine) + milliseconds;
    }
    std::this_thread::yield();  // time passes for the other threads too
  }

  bool GetUserPreferredUILanguages(uint32_t flags, uint32_t* numLanguages, char16_t* buffer,
                                   uint32_t* bufferSize) override {
    return AnswerLanguages(sim::CurrentMachine()->system.uiLanguages, flags, numLanguages, buffer,
                           bufferSize);
  }

  bool GetUserNameW(char16_t* buffer, uint32_t* size) override {
    return AnswerUserName(Utf16(sim::CurrentMachine()->system.userName), buffer, size);
  }

  int32_t SHGetKnownFolderPath(const Guid& folderId, uint32_t /*flags*/, void* /*token*/,
                               char16_t** path) override {
    return AnswerKnownFolder(Utf16(sim::CurrentMachine()->system.programData), folderId, path);
  }

  uint32_t GetSysColor(int32_t index) override {
    const auto machine = sim::CurrentMachine();
    const auto found = machine->system.sysColors.find(index);
    return found == machine->system.sysColors.end() ? 0 : found->second;
  }

  bool SystemParametersInfoW(uint32_t action, uint32_t /*param*/, void* data, uint32_t /*winIni*/) override {
    return AnswerHighContrast(sim::CurrentMachine()->system.highContrast, action, data);
  }

  int32_t MonitorDpi() override { return sim::CurrentMachine()->system.dpi; }

 private:
  // The manual clock belongs to one machine: another machine starts its own.
  uint32_t ManualTicks(const std::shared_ptr<const SimMachine>& machine) {
    if (clockMachine_.lock() != machine) {
      clockMachine_ = machine;
      manualTicks_ = *machine->system.manualClockStartMs;
    }
    return manualTicks_;
  }

  std::mutex clockMutex_;
  std::weak_ptr<const SimMachine> clockMachine_;
  uint32_t manualTicks_ = 0;
};

}  // namespace

std::unique_ptr<System> CreateSimSystem() {
  return std::make_unique<SimSystem>();
}

}  // namespace platform::sim
