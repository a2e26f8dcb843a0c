// fingerprint-libfprint-helper: the process that owns libfprint, GUsb and the
// default GLib main context for the module's libfprint backend. It reads
// requests on standard input and answers on standard output (see
// helper_protocol.h); it ends when its input closes. Diagnostics go to
// standard error, which it shares with the host.
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <glib-unix.h>
#include <set>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "platform/libfprint/helper/fprint_readers.h"
#include "platform/libfprint/helper_protocol.h"
#include "platform/udev/usb_readers.h"

namespace {

using platform::libfprint::helper::FprintReaders;
using platform::udev::SurveyUsbReaders;
using platform::udev::UsbReader;
namespace protocol = platform::libfprint::protocol;

struct Helper {
  FprintReaders readers;
  GMainLoop* loop = nullptr;
  int answers = -1;  // the original standard output
  std::string input;
  // Requests dropped unanswered, for the tests of a helper that stops
  // answering: FINGERPRINT_HELPER_IGNORE=cancel,wait,...; and those on which
  // it hangs for good, as in a driver that never returns, reading nothing
  // more: FINGERPRINT_HELPER_HANG=list,...
  std::set<std::string> ignored;
  std::set<std::string> hung;

  void Answer(uint64_t id, HRESULT_T result, std::vector<std::string> values = {}) {
    const std::string line = protocol::Format(protocol::Answer{id, result, std::move(values)});
    for (size_t sent = 0; sent < line.size();) {
      const ssize_t n = write(answers, line.data() + sent, line.size() - sent);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {  // the backend is gone
        g_main_loop_quit(loop);
        return;
      }
      sent += static_cast<size_t>(n);
    }
  }

  void Handle(const std::string& line) {
    const protocol::Request request = protocol::ParseRequest(line);
    const uint64_t id = request.id;
    const std::string& verb = request.verb;
    if (ignored.count(verb)) return;
    while (hung.count(verb)) pause();
    const auto session = static_cast<uint32_t>(std::strtoul(request.session.c_str(), nullptr, 10));
    auto answerValue = [this, id](HRESULT_T result, uint32_t value) {
      Answer(id, result, {std::to_string(value)});
    };
    if (verb == protocol::kSurvey) {
      Answer(id, S_OK_T, protocol::SurveyValues(Survey()));
    } else if (verb == protocol::kList) {
      Answer(id, S_OK_T, protocol::ListValues(readers.List()));
    } else if (verb == protocol::kOpen) {
      readers.Open(answerValue);
    } else if (verb == protocol::kWait) {
      readers.Wait(session, answerValue);
    } else if (verb == protocol::kCancel) {
      readers.Cancel(session);
    } else if (verb == protocol::kClose) {
      readers.Close(session, answerValue);
    } else {
      Answer(id, E_INVALIDARG_T);
    }
  }

  // The USB readers present that libfprint's database knows, whether or
  // not a driver of it manages them, and whether this user may open them.
  static std::vector<protocol::SurveyedReader> Survey() {
    std::vector<protocol::SurveyedReader> surveyed;
    for (const UsbReader& reader : SurveyUsbReaders()) {
      const platform::udev::UsbIdentity& usb = reader.usb;
      surveyed.push_back({reader.driver, usb.InstanceId(usb.Ids()), reader.Description(), usb.Manufacturer(),
                          reader.Model(),
                          reader.userMayOpen ? std::string() : platform::udev::NodeNotOpenable(usb)});
    }
    return surveyed;
  }

  static gboolean OnInput(gint fd, GIOCondition, gpointer data) {
    auto* self = static_cast<Helper*>(data);
    char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) return G_SOURCE_CONTINUE;
    if (n <= 0) {
      g_main_loop_quit(self->loop);
      return G_SOURCE_REMOVE;
    }
    self->input.append(buffer, static_cast<size_t>(n));
    for (size_t end; (end = self->input.find('\n')) != std::string::npos;) {
      const std::string line = self->input.substr(0, end);
      self->input.erase(0, end + 1);
      self->Handle(line);
    }
    return G_SOURCE_CONTINUE;
  }
};

}  // namespace

// Closes every descriptor the host left open without close-on-exec, beyond
// the socket (standard input and output) and standard error: held here, a
// pipe or file of the host's would never see its end while the helper lives.
void CloseInheritedDescriptors() {
#if defined(__GLIBC__) && __GLIBC_PREREQ(2, 34)
  if (close_range(3, ~0U, 0) == 0) return;
#endif
  // A C library or kernel (before 5.9) without it: the descriptors the
  // process has, as the kernel lists them.
  std::vector<int> open;
  if (DIR* folder = opendir("/proc/self/fd")) {
    const int own = dirfd(folder);
    while (const dirent* entry = readdir(folder)) {
      const int fd = std::atoi(entry->d_name);
      if (fd > 2 && fd != own) open.push_back(fd);
    }
    closedir(folder);
  } else {
    for (int fd = 3; fd < sysconf(_SC_OPEN_MAX); ++fd) open.push_back(fd);
  }
  for (const int fd : open) close(fd);
}

// Ends this process when the host that started it dies, even while a driver
// keeps it busy: the host's thread that started it lives as long as it does.
// Exits if that host is gone already (it died before the signal was set).
void DieWithTheHost() {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  const char* parent = std::getenv("FINGERPRINT_HELPER_PARENT");
  if (parent && std::strtol(parent, nullptr, 10) != static_cast<long>(getppid())) {
    std::fprintf(stderr, "fingerprint-libfprint-helper: the host that started it has ended\n");
    std::_Exit(1);
  }
}

int main() {
  CloseInheritedDescriptors();
  DieWithTheHost();
  // A backend that went away is seen as a failed write, not a signal.
  std::signal(SIGPIPE, SIG_IGN);
  Helper helper;
  // Answers keep the original standard output to themselves; anything a
  // library prints there goes to standard error instead.
  helper.answers = dup(STDOUT_FILENO);
  if (helper.answers < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
    std::perror("fingerprint-libfprint-helper: standard output");
    return 1;
  }
  if (const char* ignore = std::getenv("FINGERPRINT_HELPER_IGNORE")) {
    gchar** verbs = g_strsplit(ignore, ",", -1);
    for (gchar** verb = verbs; *verb; ++verb) helper.ignored.insert(*verb);
    g_strfreev(verbs);
  }
  if (const char* hang = std::getenv("FINGERPRINT_HELPER_HANG")) {
    gchar** verbs = g_strsplit(hang, ",", -1);
    for (gchar** verb = verbs; *verb; ++verb) helper.hung.insert(*verb);
    g_strfreev(verbs);
  }
  helper.loop = g_main_loop_new(nullptr, FALSE);
  g_unix_fd_add(STDIN_FILENO, GIOCondition(G_IO_IN | G_IO_HUP | G_IO_ERR), &Helper::OnInput, &helper);
  g_main_loop_run(helper.loop);
  // Open devices are released by the system; libfprint's own teardown could
  // wait on a device that no longer answers.
  std::_Exit(0);
}
