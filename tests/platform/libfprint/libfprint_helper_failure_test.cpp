// The libfprint backend when its helper process fails: killed during a wait,
// never answering a cancel (until the module gives the wait up) or a listing,
// or left behind by a host that was killed. The request fails (a wait as a
// device failure, so the reader is reported as not accessible), standard
// error says what the helper was doing and how it ended, and the next
// request starts a fresh one.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/libfprint/libfprint_biometric_service.h"

extern char** environ;

using testing::HasSubstr;

namespace {

// The children of a process (this one by default) that run the helper (its
// name as the kernel keeps it: 15 characters).
std::vector<pid_t> Helpers(const std::string& process = "self") {
  std::vector<pid_t> helpers;
  const std::string folder = "/proc/" + process + "/task/";
  DIR* tasks = opendir(folder.c_str());
  while (dirent* task = tasks ? readdir(tasks) : nullptr) {
    std::ifstream children(folder + task->d_name + "/children");
    for (pid_t child; children >> child;) {
      std::string name;
      std::getline(std::ifstream("/proc/" + std::to_string(child) + "/comm"), name);
      if (name == std::string(platform::libfprint::kHelperName).substr(0, 15)) helpers.push_back(child);
    }
  }
  if (tasks) closedir(tasks);
  return helpers;
}

size_t ListedReaders(platform::BiometricService& service) {
  WINBIO_UNIT_SCHEMA* units = nullptr;
  size_t count = 0;
  service.EnumBiometricUnits(WINBIO_TYPE_FINGERPRINT, &units, &count);
  service.Free(units);
  return count;
}

// A process that has ended: gone, or a zombie not reaped yet.
bool Ended(pid_t pid) {
  std::string stat;
  std::getline(std::ifstream("/proc/" + std::to_string(pid) + "/stat"), stat);
  const size_t state = stat.rfind(')');
  return stat.empty() || (state != std::string::npos && stat.compare(state, 3, ") Z") == 0);
}

// libfprint's virtual image device, served (or not) on a socket of this process.
class LibfprintHelperFailureTest : public testing::Test {
 protected:
  void SetUp() override {
    setenv("FP_DRIVERS_WHITELIST", "virtual_image", 1);
    setenv("FP_VIRTUAL_IMAGE", socket_.c_str(), 1);
  }
  void TearDown() override { unlink(socket_.c_str()); }
  const std::string socket_ = "/tmp/fp-helper-" + std::to_string(getpid());
};

HRESULT_T Open(platform::BiometricService& service, WINBIO_SESSION_HANDLE* session) {
  return service.OpenSession(WINBIO_TYPE_FINGERPRINT, WINBIO_POOL_SYSTEM, WINBIO_FLAG_DEFAULT, nullptr, 0,
                             nullptr, session);
}

// The answer limit (10 s) scaled to 3 %: the message names the limit it
// applied, so a longer default shows here without waiting for it.
TEST_F(LibfprintHelperFailureTest, AHelperThatNeverAnswersIsEndedAtItsDeadlineAndTheNextRequestWorks) {
  setenv("FINGERPRINT_HELPER_DEADLINE_PERCENT", "3", 1);
  setenv("FINGERPRINT_HELPER_HANG", "list", 1);
  const std::vector<pid_t> before = Helpers();  // other tests' modules may keep theirs
  std::unique_ptr<platform::BiometricService> service =
      platform::libfprint::CreateLibfprintBiometricService();
  testing::internal::CaptureStderr();
  EXPECT_EQ(ListedReaders(*service), 0u);
  EXPECT_THAT(testing::internal::GetCapturedStderr(),
              HasSubstr("libfprint helper did not answer within 300 ms while listing readers; ending it"));
  service.reset();
  EXPECT_EQ(Helpers(), before);  // ended and reaped
  unsetenv("FINGERPRINT_HELPER_HANG");
  unsetenv("FINGERPRINT_HELPER_DEADLINE_PERCENT");
  // A fresh service: a listing that hung has limited this one's drivers.
  EXPECT_EQ(ListedReaders(*platform::libfprint::CreateLibfprintBiometricService()), 1u);
}

// A host killed while its helper is busy in a driver (here: hung in a
// listing, reading nothing) takes the helper with it.
TEST_F(LibfprintHelperFailureTest, AKilledHostLeavesNoHelperBehind) {
  setenv("FINGERPRINT_BACKEND", "libfprint", 1);
  setenv("FINGERPRINT_HELPER_HANG", "list", 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  std::string program = FP_DIAG_HOST;
  std::string module = FP_MODULE_PATH;
  char list[] = "list";
  char moduleOption[] = "--module";
  char* argv[] = {program.data(), moduleOption, module.data(), list, nullptr};
  pid_t host = 0;
  ASSERT_EQ(posix_spawn(&host, program.c_str(), nullptr, nullptr, argv, environ), 0);
  unsetenv("FINGERPRINT_HELPER_HANG");
  std::vector<pid_t> helpers;
  for (int i = 0; i < 200 && helpers.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    helpers = Helpers(std::to_string(host));
  }
  ASSERT_EQ(helpers.size(), 1u);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the listing has reached it
  kill(host, SIGKILL);
  int status = 0;
  waitpid(host, &status, 0);
  bool ended = false;
  for (int i = 0; i < 100 && !(ended = Ended(helpers[0])); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(ended) << "helper " << helpers[0] << " outlived its host";
  if (!ended) kill(helpers[0], SIGKILL);
}

// What a descriptor refers to ("pipe:[1234]", "socket:[5678]", a path).
std::string Target(const std::string& link) {
  char target[512] = {};
  return readlink(link.c_str(), target, sizeof target - 1) > 0 ? target : "";
}

// Descriptors the host opened without close-on-exec (a shell's redirection,
// a pipe to a peer) stay the host's: a peer sees their end when the host
// closes them, however long the helper lives.
TEST_F(LibfprintHelperFailureTest, TheHelperHoldsNoDescriptorOfTheHosts) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  const std::vector<pid_t> before = Helpers();
  const std::unique_ptr<platform::BiometricService> service =
      platform::libfprint::CreateLibfprintBiometricService();
  ASSERT_EQ(ListedReaders(*service), 1u);  // the helper lives on after it
  std::vector<pid_t> helpers = Helpers();
  helpers.erase(std::remove_if(helpers.begin(), helpers.end(),
                               [&](pid_t pid) { return std::count(before.begin(), before.end(), pid) > 0; }),
                helpers.end());
  ASSERT_EQ(helpers.size(), 1u);
  const std::string folder = "/proc/" + std::to_string(helpers[0]) + "/fd/";
  EXPECT_EQ(Target(folder + "0").rfind("socket:", 0), 0u);
  const std::string pipe = Target("/proc/self/fd/" + std::to_string(ends[1]));
  DIR* fds = opendir(folder.c_str());
  ASSERT_NE(fds, nullptr);
  while (const dirent* entry = readdir(fds)) EXPECT_NE(Target(folder + entry->d_name), pipe) << entry->d_name;
  closedir(fds);
  for (const int fd : ends) close(fd);
}

TEST_F(LibfprintHelperFailureTest, AWaitOnAFailingHelperEndsAsADeviceFailure) {
  const struct {
    const char* ignored;  // requests the helper drops (FINGERPRINT_HELPER_IGNORE)
    bool kill;            // else: cancel
    std::vector<std::string> messages;
  } rows[] = {
      {"", true, {"libfprint helper ended by signal 9 (Killed) while waiting for a finger"}},
      // The module gives the wait up when the cancel is not answered in time.
      {"cancel",
       false,
       {"libfprint helper did not answer in time while waiting for a finger; ending it",
        "libfprint helper ended by signal 15 (Terminated) while waiting for a finger"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.ignored);
    setenv("FINGERPRINT_HELPER_IGNORE", row.ignored, 1);
    const std::unique_ptr<platform::BiometricService> service =
        platform::libfprint::CreateLibfprintBiometricService();
    ASSERT_EQ(ListedReaders(*service), 1u);
    WINBIO_SESSION_HANDLE session = 0;
    ASSERT_EQ(Open(*service, &session), S_OK_T);
    testing::internal::CaptureStderr();
    HRESULT_T result = S_OK_T;
    std::thread waiter([&] {
      WINBIO_UNIT_ID unit = 0;
      result = service->LocateSensor(session, &unit);
    });
    std::this_thread::sleep_for(std::chrono::seconds(1));  // the wait is under way
    const std::vector<pid_t> helpers = Helpers();
    ASSERT_EQ(helpers.size(), 1u);
    if (row.kill) {
      kill(helpers[0], SIGKILL);
    } else {
      EXPECT_EQ(service->Cancel(session), S_OK_T);
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      service->GiveUp(session);
    }
    waiter.join();
    EXPECT_EQ(result, WINBIO_E_DEVICE_FAILURE);
    EXPECT_EQ(service->CloseSession(session), S_OK_T);
    EXPECT_EQ(ListedReaders(*service), 1u);  // a fresh helper
    const std::string messages = testing::internal::GetCapturedStderr();
    for (const std::string& message : row.messages) EXPECT_THAT(messages, HasSubstr(message));
  }
  unsetenv("FINGERPRINT_HELPER_IGNORE");
}

}  // namespace
