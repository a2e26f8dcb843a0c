// The libfprint backend when its helper process fails during a wait: killed,
// or never answering a cancel. The wait fails as a device failure (the
// reader is then reported as not accessible), standard error says what the
// helper was doing and how it ended, and the next listing starts a fresh one.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/libfprint/libfprint_biometric_service.h"

using testing::HasSubstr;

namespace {

// This process's children that run the helper (its name as the kernel
// keeps it: 15 characters).
std::vector<pid_t> Helpers() {
  std::vector<pid_t> helpers;
  DIR* tasks = opendir("/proc/self/task");
  while (dirent* task = tasks ? readdir(tasks) : nullptr) {
    std::ifstream children(std::string("/proc/self/task/") + task->d_name + "/children");
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

TEST(LibfprintHelperFailureTest, AWaitOnAFailingHelperEndsAsADeviceFailure) {
  const std::string socket = "/tmp/fp-helper-failure-" + std::to_string(getpid());
  setenv("FP_DRIVERS_WHITELIST", "virtual_image", 1);
  setenv("FP_VIRTUAL_IMAGE", socket.c_str(), 1);
  const struct {
    const char* ignored;  // requests the helper drops (FINGERPRINT_HELPER_IGNORE)
    bool kill;            // else: cancel
    std::vector<std::string> messages;
  } rows[] = {
      {"", true, {"libfprint helper ended by signal 9 (Killed) while waiting for a finger"}},
      {"cancel",
       false,
       {"libfprint helper did not answer within 3000 ms of a cancel while waiting for a finger; ending it",
        "libfprint helper ended by signal 15 (Terminated) while waiting for a finger"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.ignored);
    setenv("FINGERPRINT_HELPER_IGNORE", row.ignored, 1);
    const std::unique_ptr<platform::BiometricService> service =
        platform::libfprint::CreateLibfprintBiometricService();
    ASSERT_EQ(ListedReaders(*service), 1u);
    WINBIO_SESSION_HANDLE session = 0;
    ASSERT_EQ(service->OpenSession(WINBIO_TYPE_FINGERPRINT, WINBIO_POOL_SYSTEM, WINBIO_FLAG_DEFAULT, nullptr,
                                   0, nullptr, &session),
              S_OK_T);
    testing::internal::CaptureStderr();
    HRESULT_T result = S_OK_T;
    std::thread waiter([&] {
      WINBIO_UNIT_ID unit = 0;
      result = service->LocateSensor(session, &unit);
    });
    std::this_thread::sleep_for(std::chrono::seconds(1));  // the wait is under way
    const std::vector<pid_t> helpers = Helpers();
    ASSERT_EQ(helpers.size(), 1u);
    if (row.kill)
      kill(helpers[0], SIGKILL);
    else
      EXPECT_EQ(service->Cancel(session), S_OK_T);
    waiter.join();
    EXPECT_EQ(result, WINBIO_E_DEVICE_FAILURE);
    EXPECT_EQ(service->CloseSession(session), S_OK_T);
    EXPECT_EQ(ListedReaders(*service), 1u);  // a fresh helper
    const std::string messages = testing::internal::GetCapturedStderr();
    for (const std::string& message : row.messages) EXPECT_THAT(messages, HasSubstr(message));
  }
  unsetenv("FINGERPRINT_HELPER_IGNORE");
  unlink(socket.c_str());
}

}  // namespace
