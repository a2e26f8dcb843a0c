#include <chrono>
#include <thread>

#include "platform/sim/sim_machine.h"
#include "platform/system.h"

namespace platform {
namespace {

class SimSystem : public System {
 public:
  // The real monotonic clock in milliseconds, truncated to 32 bits as
  // GetTickCount is.
  uint32_t GetTickCount() override {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  }

  void Sleep(uint32_t milliseconds) override { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }
};

}  // namespace

std::unique_ptr<System> CreateNativeSystem() { return std::make_unique<SimSystem>(); }

}  // namespace platform
