#include "platform/libfprint/helper_process.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

#include "platform/libfprint/helper_protocol.h"

extern char** environ;

namespace platform::libfprint {
namespace {

// How long a helper asked to end (or whose socket closed) has before SIGKILL.
constexpr std::chrono::milliseconds kEndGrace{500};
// How long its owner waits for the receiver thread to reap a helper it closes:
// the grace, the grace again after SIGTERM, then SIGKILL's own time.
constexpr std::chrono::milliseconds kReapLimit{3 * kEndGrace + std::chrono::milliseconds(1000)};
// How often a helper that was asked to end is checked for its end.
constexpr std::chrono::milliseconds kReapPoll{10};
// How many bytes of the helper's answers one read takes at most; a longer
// answer arrives over several reads.
constexpr size_t kReceiveChunk = 4096;

std::string Termination(int status) {
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    const char* name = sigdescr_np(signal);
    return "ended by signal " + std::to_string(signal) + " (" + (name ? name : "unknown") + ")";
  }
  if (WIFEXITED(status)) return "exited with status " + std::to_string(WEXITSTATUS(status));
  return "ended";
}

}  // namespace

// The helper's side of the state: requests waiting for answers and how the
// helper ends. Owned jointly by the HelperProcess and its receiver thread.
class HelperProcess::Channel {
 public:
  explicit Channel(int socket) : socket_(socket) {}
  ~Channel() { close(socket_); }

  // The receiver thread: starts the helper on the other end `child`, then
  // reads its answers until it ends and reaps it. A helper dies with this
  // thread (its parent-death signal), so the thread lives as long as it does.
  void Run(const std::string& path, std::vector<std::string> variables, int child);
  // False when the helper could not be started.
  bool AwaitStart();
  // Closes the helper's input and waits, at most kReapLimit, for the receiver
  // thread to reap it; true when it has.
  bool Close();

  uint64_t Request(const std::string& verb, const std::string& argument, const char* doing,
                   std::optional<std::chrono::milliseconds> limit);
  std::optional<protocol::Answer> Await(uint64_t id);
  void EndNow(const std::string& how);
  void Notify(const std::string& verb, const std::string& argument);
  bool Ended() const;
  std::string HowItEnded() const;

 private:
  struct Pending {
    const char* doing;
    Clock::time_point deadline;
    std::string limit;  // for the message when the deadline passes
    std::optional<protocol::Answer> answer;
  };

  bool Send(const std::string& line);  // under mutex_
  void End();                          // under mutex_
  void ReadAnswers();
  void Reap();
  std::string Doing() const;  // under mutex_

  pid_t pid_ = 0;  // set once by the receiver thread before AwaitStart returns
  const int socket_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::map<uint64_t, Pending> pending_;
  uint64_t nextId_ = 1;
  enum class Start { kPending, kRunning, kFailed } start_ = Start::kPending;
  bool ending_ = false;        // we are ending it
  std::string endingDoing_;    // what it was doing then
  bool quiet_ = false;         // an end asked for by its owner: nothing to report
  bool ended_ = false;         // reaped: the pid is no longer ours
  bool receiverDone_ = false;  // the receiver thread touches nothing more
  std::string how_;            // how it ended, for HowItEnded
};

std::shared_ptr<HelperProcess> HelperProcess::Start(const std::string& path, const Environment& environment) {
  int ends[2];
  // A socket rather than a pipe: writes to it can refuse SIGPIPE one by one
  // (MSG_NOSIGNAL) without touching the host's signal dispositions.
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    std::fprintf(stderr, "libfprint helper: no socket for it: %s\n", std::strerror(errno));
    return nullptr;
  }
  const auto channel = std::make_shared<Channel>(ends[0]);
  // The host's environment with the caller's changes, and this process's id:
  // the helper checks that its parent is still the one that started it.
  Environment all = environment;
  all["FINGERPRINT_HELPER_PARENT"] = std::to_string(getpid());
  std::vector<std::string> variables;
  for (char** entry = environ; entry && *entry; ++entry) {
    const std::string variable = *entry;
    if (all.count(variable.substr(0, variable.find('='))) == 0) variables.push_back(variable);
  }
  for (const auto& [name, value] : all) variables.push_back(name + "=" + value);
  std::thread receiver;
  try {
    receiver = std::thread([channel, path, variables = std::move(variables), child = ends[1]]() mutable {
      channel->Run(path, std::move(variables), child);
    });
  } catch (const std::system_error& error) {
    std::fprintf(stderr, "libfprint helper %s cannot be started: no thread to run it: %s\n", path.c_str(),
                 error.what());
    close(ends[1]);
    return nullptr;
  }
  if (!channel->AwaitStart()) {
    receiver.join();  // it has nothing left to do
    return nullptr;
  }
  return std::shared_ptr<HelperProcess>(new HelperProcess(channel, std::move(receiver)));
}

HelperProcess::HelperProcess(std::shared_ptr<Channel> channel, std::thread receiver)
    : channel_(std::move(channel)), receiver_(std::move(receiver)) {}

HelperProcess::~HelperProcess() {
  if (channel_->Close()) {
    receiver_.join();
    return;
  }
  // A helper that is not reaped in time (held in the kernel by its device)
  // keeps its receiver thread, which owns the channel and ends when the helper
  // does. The module's code stays: it is pinned from the first helper on.
  receiver_.detach();
}

uint64_t HelperProcess::Request(const std::string& verb, const std::string& argument, const char* doing,
                                std::optional<std::chrono::milliseconds> limit) {
  return channel_->Request(verb, argument, doing, limit);
}
std::optional<protocol::Answer> HelperProcess::Await(uint64_t id) {
  return channel_->Await(id);
}
void HelperProcess::End(const std::string& how) {
  channel_->EndNow(how);
}
void HelperProcess::Notify(const std::string& verb, const std::string& argument) {
  channel_->Notify(verb, argument);
}
bool HelperProcess::Ended() const {
  return channel_->Ended();
}
std::string HelperProcess::HowItEnded() const {
  return channel_->HowItEnded();
}

void HelperProcess::Channel::Run(const std::string& path, std::vector<std::string> variables, int child) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, child, STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, child, STDOUT_FILENO);
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
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  pid_t pid = 0;
  const int failure = posix_spawn(&pid, path.c_str(), &actions, &attributes, argv, envp.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  close(child);
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (failure != 0) {
      std::fprintf(stderr, "libfprint helper %s cannot be started: %s\n", path.c_str(),
                   std::strerror(failure));
      start_ = Start::kFailed;
      receiverDone_ = true;
    } else {
      pid_ = pid;
      start_ = Start::kRunning;
    }
    changed_.notify_all();
  }
  if (failure != 0) return;
  ReadAnswers();
  Reap();
  std::lock_guard<std::mutex> lock(mutex_);
  receiverDone_ = true;
  changed_.notify_all();
}

bool HelperProcess::Channel::AwaitStart() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return start_ != Start::kPending; });
  return start_ == Start::kRunning;
}

bool HelperProcess::Channel::Close() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!ending_) {
    ending_ = true;
    endingDoing_ = "closing";
    quiet_ = true;
  }
  // The helper ends when its input ends; the receiver then reaps it.
  shutdown(socket_, SHUT_WR);
  const auto done = [this] { return receiverDone_; };
  if (changed_.wait_for(lock, kEndGrace, done)) return true;
  // Busy in a driver and not reading: ended as one that stopped answering.
  if (!ended_) kill(pid_, SIGTERM);
  shutdown(socket_, SHUT_RDWR);
  return changed_.wait_for(lock, kReapLimit, done);
}

bool HelperProcess::Channel::Send(const std::string& line) {
  for (size_t sent = 0; sent < line.size();) {
    // Never blocks: a helper that stopped reading is not answering either.
    const ssize_t n = send(socket_, line.data() + sent, line.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

uint64_t HelperProcess::Channel::Request(const std::string& verb, const std::string& argument,
                                         const char* doing, std::optional<std::chrono::milliseconds> limit) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (ending_ || ended_) return 0;
  const uint64_t id = nextId_++;
  if (!Send(protocol::Format(protocol::Request{id, verb, argument}))) {
    End();  // a request cut short leaves the stream unusable
    return 0;
  }
  pending_[id] = Pending{doing, limit ? Clock::now() + *limit : Clock::time_point::max(),
                         limit ? "within " + std::to_string(limit->count()) + " ms" : "", std::nullopt};
  return id;
}

void HelperProcess::Channel::Notify(const std::string& verb, const std::string& argument) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!ending_ && !ended_) Send(protocol::Format(protocol::Request{0, verb, argument}));
}

void HelperProcess::Channel::EndNow(const std::string& how) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (ending_ || ended_) return;
  std::fprintf(stderr, "libfprint helper %s; ending it\n", how.c_str());
  how_ = how;
  End();
}

std::optional<protocol::Answer> HelperProcess::Channel::Await(uint64_t id) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    const auto it = pending_.find(id);
    if (it == pending_.end()) return std::nullopt;
    Pending& pending = it->second;
    if (pending.answer) {
      protocol::Answer answer = std::move(*pending.answer);
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
      how_ = "did not answer " + pending.limit + " while " + pending.doing;
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

bool HelperProcess::Channel::Ended() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return ending_ || ended_;
}

std::string HelperProcess::Channel::HowItEnded() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return how_;
}

void HelperProcess::Channel::End() {
  if (ending_ || ended_) return;
  ending_ = true;
  endingDoing_ = Doing();
  kill(pid_, SIGTERM);
  // Wakes the receiver, which reaps the helper (SIGKILL after a grace).
  shutdown(socket_, SHUT_RDWR);
  changed_.notify_all();
}

std::string HelperProcess::Channel::Doing() const {
  std::string doing;
  for (const auto& [id, pending] : pending_) {
    if (pending.answer) continue;
    doing += (doing.empty() ? "" : " and ") + std::string(pending.doing);
  }
  return doing.empty() ? "idle" : doing;
}

void HelperProcess::Channel::ReadAnswers() {
  std::string input;
  char chunk[kReceiveChunk];
  for (;;) {
    const ssize_t n = recv(socket_, chunk, sizeof chunk, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    input.append(chunk, static_cast<size_t>(n));
    std::lock_guard<std::mutex> lock(mutex_);
    for (size_t end; (end = input.find('\n')) != std::string::npos;) {
      protocol::Answer answer = protocol::ParseAnswer(input.substr(0, end));
      input.erase(0, end + 1);
      const auto it = pending_.find(answer.id);
      if (it == pending_.end()) continue;  // given up already
      it->second.answer = std::move(answer);
    }
    changed_.notify_all();
  }
}

void HelperProcess::Channel::Reap() {
  int status = 0;
  pid_t reaped = 0;
  const Clock::time_point giveUp = Clock::now() + kEndGrace;
  while ((reaped = waitpid(pid_, &status, WNOHANG)) == 0 && Clock::now() < giveUp)
    std::this_thread::sleep_for(kReapPoll);
  if (reaped == 0) {
    kill(pid_, SIGKILL);
    while ((reaped = waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  ended_ = true;
  if (!quiet_) {
    const std::string doing = ending_ ? endingDoing_ : Doing();
    const std::string how = (reaped == pid_ ? Termination(status) : "ended") + " while " + doing;
    std::fprintf(stderr, "libfprint helper %s\n", how.c_str());
    if (how_.empty()) how_ = how;
  }
  changed_.notify_all();
}

}  // namespace platform::libfprint
