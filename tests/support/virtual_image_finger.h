#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

// Plays the finger, a failure or an unplugging on libfprint's virtual image
// device (FP_VIRTUAL_IMAGE). Once open, the device listens on that socket;
// each command is two native 32-bit integers. From `after` on the command is
// sent every 100 ms until this goes, since the device ignores a finger report
// while no capture is under way.
class VirtualImageFinger {
 public:
  static constexpr int32_t kFingerStatus = -4;  // argument 1: the finger is on the sensor
  static constexpr int32_t kFatalError = -2;    // argument: an FpDeviceError code
  static constexpr int32_t kRemove = -5;

  VirtualImageFinger(std::string socketPath, int32_t command, int32_t argument,
                     std::chrono::milliseconds after)
      : thread_([this, path = std::move(socketPath), command, argument, after] {
          Play(path, command, argument, after);
        }) {}
  ~VirtualImageFinger() {
    stop_ = true;
    thread_.join();
  }

  using Clock = std::chrono::steady_clock;
  // When the command was first sent, if it was.
  std::optional<Clock::time_point> FirstSent() const {
    const Clock::rep ticks = firstSent_.load();
    return ticks ? std::optional(Clock::time_point(Clock::duration(ticks))) : std::nullopt;
  }

 private:
  // Sleeps `ms` in short steps so that stopping is prompt.
  void Pause(int ms) {
    for (int i = 0; i < ms / 5 && !stop_; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

  void Play(const std::string& path, int32_t command, int32_t argument, std::chrono::milliseconds after) {
    int fd = -1;
    while (!stop_) {  // the socket appears when the device opens
      fd = socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
      if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) break;
      close(fd);
      fd = -1;
      Pause(20);
    }
    Pause(static_cast<int>(after.count()));
    const int32_t message[2] = {command, argument};
    while (!stop_ && fd >= 0) {
      Clock::rep none = 0;
      firstSent_.compare_exchange_strong(none, Clock::now().time_since_epoch().count());
      if (send(fd, message, sizeof(message), MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof(message))) break;
      Pause(100);
    }
    if (fd >= 0) close(fd);
  }

  std::atomic<bool> stop_{false};
  std::atomic<Clock::rep> firstSent_{0};
  std::thread thread_;
};
