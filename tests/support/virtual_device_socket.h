#pragma once

#include <cstring>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// libfprint's virtual_device and virtual_device_storage take one text command
// per connection on their socket (FP_VIRTUAL_DEVICE, FP_VIRTUAL_DEVICE_STORAGE:
// "SCAN <print>", "FINGER 1", "INSERT <print>", "LIST", ...), which exists
// while the device is open, and close the connection once they have taken
// it: a second connection before that would be turned away. The answer (to
// LIST), or nothing when the device is not listening.
inline std::optional<std::string> SendVirtualDeviceCommand(const std::string& socketPath,
                                                           const std::string& command, int limitMs = 10000) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return std::nullopt;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      send(fd, command.data(), command.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(command.size())) {
    close(fd);
    return std::nullopt;
  }
  std::string answer;
  pollfd readable{fd, POLLIN, 0};
  char buffer[256];
  for (ssize_t n; poll(&readable, 1, limitMs) == 1 && (n = recv(fd, buffer, sizeof buffer, 0)) > 0;)
    answer.append(buffer, static_cast<size_t>(n));
  close(fd);
  return answer;
}
