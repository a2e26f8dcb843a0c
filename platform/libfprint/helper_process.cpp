#include "platform/libfprint/helper_process.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/libfprint/helper_protocol.h"

extern char** environ;

namespace platform::libfprint {
namespace {

// How long a helper asked to end (or whose socket closed) has before SIGKILL.
constexpr std::chrono::milliseconds kEndGrace{500};

std::string HowItEnded(int status) {
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    const char* name = sigdescr_np(signal);
    return "ended by signal " + std::to_string(signal) + " (" + (name ? name : "unknown") + ")";
  }
  if (WIFEXITED(status)) return "exited with status " + std::to_string(WEXITSTATUS(status));
  return "ended";
}

}  // namespace

std::shared_ptr<HelperProcess> HelperProcess::Start(const std::string& path) {
  int ends[2];
  // A socket rather than a pipe: writes to it can refuse SIGPIPE one by one
  // (MSG_NOSIGNAL) without touching the host's signal dispositions.
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    std::fprintf(stderr, "libfprint helper: no socket for it: %s\n", std::strerror(errno));
    return nullptr;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
  // The helper starts with every signal at its default and none blocked,
  // whatever the host's thread that starts it has.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigset_t all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::string program = path;
  char* argv[] = {program.data(), nullptr};
  pid_t pid = 0;
  const int failure = posix_spawn(&pid, path.c_str(), &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  close(ends[1]);
  if (failure != 0) {
    std::fprintf(stderr, "libfprint helper %s cannot be started: %s\n", path.c_str(), std::strerror(failure));
    close(ends[0]);
    return nullptr;
  }
  return std::shared_ptr<HelperProcess>(new HelperProcess(pid, ends[0]));
}

HelperProcess::HelperProcess(pid_t pid, int socket) : pid_(pid), socket_(socket) {
  reader_ = std::thread([this] { ReadAnswers(); });
}

HelperProcess::~HelperProcess() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!ending_) {
      ending_ = true;
      endingDoing_ = "closing";
      quiet_ = true;
    }
    // The helper ends when its input ends; the reader then reaps it.
    shutdown(socket_, SHUT_WR);
  }
  reader_.join();
  close(socket_);
}

bool HelperProcess::Send(const std::string& line) {
  for (size_t sent = 0; sent < line.size();) {
    // Never blocks: a helper that stopped reading is not answering either.
    const ssize_t n = send(socket_, line.data() + sent, line.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

uint64_t HelperProcess::Request(const std::string& verb, const std::string& argument, const char* doing,
                                std::optional<std::chrono::milliseconds> limit) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (ending_ || ended_) return 0;
  const uint64_t id = nextId_++;
  std::string line = std::to_string(id) + "\t" + verb;
  if (!argument.empty()) line += "\t" + protocol::Escape(argument);
  if (!Send(line + "\n")) {
    End();  // a request cut short leaves the stream unusable
    return 0;
  }
  pending_[id] = Pending{doing, limit ? Clock::now() + *limit : Clock::time_point::max(),
                         limit ? "within " + std::to_string(limit->count()) + " ms" : "", std::nullopt};
  return id;
}

void HelperProcess::Notify(const std::string& verb, const std::string& argument) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!ending_ && !ended_) Send("0\t" + verb + "\t" + protocol::Escape(argument) + "\n");
}

void HelperProcess::Shorten(uint64_t id, std::chrono::milliseconds limit, const char* after) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = pending_.find(id);
  if (it == pending_.end()) return;
  const Clock::time_point deadline = Clock::now() + limit;
  if (deadline >= it->second.deadline) return;
  it->second.deadline = deadline;
  it->second.limit = "within " + std::to_string(limit.count()) + " ms " + after;
  changed_.notify_all();
}

std::optional<HelperProcess::Fields> HelperProcess::Await(uint64_t id) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    const auto it = pending_.find(id);
    if (it == pending_.end()) return std::nullopt;
    Pending& pending = it->second;
    if (pending.answer) {
      Fields answer = std::move(*pending.answer);
      pending_.erase(it);
      return answer;
    }
    if (ending_ || ended_) {
      pending_.erase(it);
      return std::nullopt;
    }
    if (Clock::now() >= pending.deadline) {
      std::fprintf(stderr, "libfprint helper did not answer %s while %s; ending it\n", pending.limit.c_str(),
                   pending.doing);
      End();
      pending_.erase(it);
      return std::nullopt;
    }
    if (pending.deadline == Clock::time_point::max())
      changed_.wait(lock);
    else
      changed_.wait_until(lock, pending.deadline);
  }
}

bool HelperProcess::Ended() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ending_ || ended_;
}

void HelperProcess::End() {
  if (ending_ || ended_) return;
  ending_ = true;
  endingDoing_ = Doing();
  kill(pid_, SIGTERM);
  // Wakes the reader, which reaps the helper (SIGKILL after a grace).
  shutdown(socket_, SHUT_RDWR);
  changed_.notify_all();
}

std::string HelperProcess::Doing() const {
  std::string doing;
  for (const auto& [id, pending] : pending_) {
    if (pending.answer) continue;
    doing += (doing.empty() ? "" : " and ") + std::string(pending.doing);
  }
  return doing.empty() ? "idle" : doing;
}

void HelperProcess::ReadAnswers() {
  std::string input;
  char chunk[4096];
  for (;;) {
    const ssize_t n = recv(socket_, chunk, sizeof chunk, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    input.append(chunk, static_cast<size_t>(n));
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t end; (end = input.find('\n')) != std::string::npos;) {
      Fields fields = protocol::Fields(input.substr(0, end));
      input.erase(0, end + 1);
      const auto it = pending_.find(std::strtoull(fields[0].c_str(), nullptr, 10));
      if (it == pending_.end()) continue;  // given up on already
      it->second.answer = Fields(fields.begin() + 1, fields.end());
    }
    changed_.notify_all();
  }
  Reap();
}

void HelperProcess::Reap() {
  int status = 0;
  pid_t reaped = 0;
  const Clock::time_point giveUp = Clock::now() + kEndGrace;
  while ((reaped = waitpid(pid_, &status, WNOHANG)) == 0 && Clock::now() < giveUp)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (reaped == 0) {
    kill(pid_, SIGKILL);
    while ((reaped = waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  ended_ = true;
  if (!quiet_) {
    const std::string doing = ending_ ? endingDoing_ : Doing();
    std::fprintf(stderr, "libfprint helper %s while %s\n",
                 reaped == pid_ ? HowItEnded(status).c_str() : "ended", doing.c_str());
  }
  changed_.notify_all();
}

}  // namespace platform::libfprint
