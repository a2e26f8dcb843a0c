// Windows Biometric Framework calls answered by libfprint, which runs in a
// helper process of its own (helper/): a driver that crashes or hangs ends
// the helper, never the host. Every request to it has a deadline.
#include "platform/libfprint/libfprint_biometric_service.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <limits.h>
#include <map>
#include <mutex>
#include <set>
#include <stdlib.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/libfprint/helper_process.h"
#include "platform/libfprint/helper_protocol.h"
#include "platform/platform.h"
#include "platform/posix/linux_biometric_service.h"
#include "platform/udev/usb_readers.h"

namespace platform::libfprint {
namespace {

// Listing, opening and closing ask the devices something; a helper that does
// not answer in this time is ended.
constexpr std::chrono::milliseconds kAnswerLimit{10000};
constexpr char kListing[] = "listing readers";

// libfprint's virtual drivers, each with the variable that makes it create a
// device: the drivers present besides those of the USB readers.
constexpr std::pair<const char*, const char*> kVirtualDrivers[] = {
    {"virtual_image", "FP_VIRTUAL_IMAGE"},
    {"virtual_device", "FP_VIRTUAL_DEVICE"},
    {"virtual_device_storage", "FP_VIRTUAL_DEVICE_STORAGE"}};

// kAnswerLimit, scaled by FINGERPRINT_HELPER_DEADLINE_PERCENT: the tests of a
// helper that never answers run in a fraction of the time, and still see the
// limit itself.
std::chrono::milliseconds AnswerLimit() {
  const char* percent = std::getenv("FINGERPRINT_HELPER_DEADLINE_PERCENT");
  const long scale = percent ? std::strtol(percent, nullptr, 10) : 100;
  return scale > 0 ? kAnswerLimit * scale / 100 : kAnswerLimit;
}

// The drivers the user lets libfprint use (FP_DRIVERS_ALLOWLIST, or
// FP_DRIVERS_WHITELIST as Debian 12's release names it); nothing: all.
std::optional<std::set<std::string>> AllowedDrivers() {
  const char* list = std::getenv("FP_DRIVERS_ALLOWLIST");
  if (!list) list = std::getenv("FP_DRIVERS_WHITELIST");
  if (!list) return std::nullopt;
  std::set<std::string> drivers;
  std::string rest = list;
  for (size_t colon; (colon = rest.find(':')) != std::string::npos; rest.erase(0, colon + 1))
    drivers.insert(rest.substr(0, colon));
  drivers.insert(rest);
  return drivers;
}

bool Allowed(const std::optional<std::set<std::string>>& allowed, const std::string& driver) {
  return !allowed || allowed->count(driver) == 1;
}

// A helper's environment that limits libfprint to `drivers`, under both
// names of the variable.
HelperProcess::Environment Limited(const std::set<std::string>& drivers) {
  std::string list;
  for (const std::string& driver : drivers) list += (list.empty() ? "" : ":") + driver;
  return {{"FP_DRIVERS_WHITELIST", list}, {"FP_DRIVERS_ALLOWLIST", list}};
}

// The helper lives beside the file that holds this code (the module, or a
// test or benchmark that links the backend), never found on the PATH.
std::string HelperPath() {
  Dl_info info{};
  std::string file;
  if (dladdr(reinterpret_cast<void*>(&HelperPath), &info) && info.dli_fname) file = info.dli_fname;
  char resolved[PATH_MAX];
  if (file.empty() || !realpath(file.c_str(), resolved)) {
    const ssize_t n = readlink("/proc/self/exe", resolved, sizeof resolved - 1);
    resolved[n > 0 ? n : 0] = '\0';
  }
  file = resolved;
  return file.substr(0, file.rfind('/') + 1) + kHelperName;
}

// The readers a survey found; none when there was no survey.
std::vector<protocol::SurveyedReader> Surveyed(const std::optional<protocol::Answer>& survey) {
  return survey ? protocol::ParseSurvey(survey->values) : std::vector<protocol::SurveyedReader>{};
}

class LibfprintBiometricService : public posix::LinuxBiometricService {
 public:
  // The readers libfprint manages, then the USB readers it knows but does
  // not manage: those whose driver failed, and those it has no driver for.
  // When the helper dies or hangs while listing, each driver present is
  // tried alone in a helper of its own, once per process; from then on the
  // helper is limited to the drivers that listed.
  HRESULT_T EnumBiometricUnits(WINBIO_BIOMETRIC_TYPE factor, WINBIO_UNIT_SCHEMA** units,
                               size_t* count) override {
    if (!units || !count) return E_POINTER_T;
    *units = nullptr;
    *count = 0;
    if ((factor & WINBIO_TYPE_FINGERPRINT) == 0) return S_OK_T;
    std::lock_guard<std::mutex> listing(listingMutex_);
    std::shared_ptr<HelperProcess> helper = Helper();
    std::optional<protocol::Answer> survey = Ask(helper, protocol::kSurvey, "", "surveying the USB readers");
    std::optional<protocol::Answer> list;
    if (!Isolating()) {
      list = Ask(helper, protocol::kList, "", kListing);
      if (!list && helper && !helper->HowItEnded().empty()) Isolate(Surveyed(survey), helper->HowItEnded());
    }
    if (Isolating()) {
      TryAlone(DriversPresent(Surveyed(survey)));
      helper = Helper();
      if (!survey) survey = Ask(helper, protocol::kSurvey, "", "surveying the USB readers");
      list = Ask(helper, protocol::kList, "", kListing);
    }
    if (!list && !survey) return WINBIO_E_DEVICE_FAILURE;
    if (list && list->result < 0) return list->result;

    std::vector<ListedUnit> listed;
    for (const protocol::ListedReader& reader :
         list ? protocol::ParseList(list->values) : std::vector<protocol::ListedReader>{})
      listed.push_back(ListedUnit{reader.testable, reader.instanceId, reader.description, reader.manufacturer,
                                  reader.model, S_OK_T, ""});
    AddUnmanaged(Surveyed(survey),
                 list     ? ""
                 : helper ? helper->HowItEnded()
                          : "its helper could not be started",
                 listed);

    return HandOut(listed, units, count);
  }

  HRESULT_T OpenSession(WINBIO_BIOMETRIC_TYPE factor, WINBIO_POOL_TYPE poolType, WINBIO_SESSION_FLAGS,
                        WINBIO_UNIT_ID* unitArray, size_t unitCount, const WINBIO_GUID*,
                        WINBIO_SESSION_HANDLE* sessionHandle) override {
    if (const HRESULT_T wrong = CheckPoolSession(factor, poolType, unitArray, unitCount, sessionHandle))
      return wrong;
    const std::shared_ptr<HelperProcess> helper = Helper();
    const std::optional<protocol::Answer> answer = Ask(helper, protocol::kOpen, "", "opening the readers");
    if (!answer) return WINBIO_E_DEVICE_FAILURE;
    if (answer->result < 0) return answer->result;
    std::lock_guard<std::mutex> lock(mutex_);
    const WINBIO_SESSION_HANDLE handle = nextHandle_++;
    if (nextHandle_ == 0) nextHandle_ = 1;
    sessions_[handle] = Session{helper, std::to_string(protocol::FirstNumber(*answer)), 0};
    *sessionHandle = handle;
    return S_OK_T;
  }

  HRESULT_T CloseSession(WINBIO_SESSION_HANDLE handle) override {
    Session session;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const auto it = sessions_.find(handle);
      if (it == sessions_.end()) return E_HANDLE_T;
      session = it->second;
      sessions_.erase(it);
    }
    // A helper that ended took the session's devices with it.
    if (session.helper->Ended()) return S_OK_T;
    const std::optional<protocol::Answer> answer =
        Ask(session.helper, protocol::kClose, session.remote, "closing the readers");
    return answer ? answer->result : WINBIO_E_DEVICE_FAILURE;
  }

  HRESULT_T LocateSensor(WINBIO_SESSION_HANDLE handle, WINBIO_UNIT_ID* unitId) override {
    if (!unitId) return E_POINTER_T;
    std::shared_ptr<HelperProcess> helper;
    uint64_t id = 0;
    {
      // Under the lock, so that a cancel finds the wait it is meant for.
      std::lock_guard<std::mutex> lock(mutex_);
      const auto it = sessions_.find(handle);
      if (it == sessions_.end()) return E_HANDLE_T;
      helper = it->second.helper;
      // Lasts until a finger, a failure or a cancel: the caller's watchdog
      // cancels it at the test's limit, and the module ends the helper when
      // it gives the wait up (GiveUp).
      id = helper->Request(protocol::kWait, it->second.remote, "waiting for a finger", std::nullopt);
      it->second.wait = id;
    }
    const std::optional<protocol::Answer> answer = id ? helper->Await(id) : std::nullopt;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const auto it = sessions_.find(handle);
      if (it != sessions_.end() && it->second.wait == id) it->second.wait = 0;
    }
    if (!answer) return WINBIO_E_DEVICE_FAILURE;
    if (answer->result >= 0) *unitId = protocol::FirstNumber(*answer);
    return answer->result;
  }

  // Returns at once: the cancel is on its way to the helper. A wait that
  // does not end is given up by the module, which then ends the helper
  // (GiveUp): one clock decides, the module's.
  HRESULT_T Cancel(WINBIO_SESSION_HANDLE handle) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = sessions_.find(handle);
    if (it == sessions_.end()) return E_HANDLE_T;
    // Reaches only a wait already under way, as WinBioCancel does.
    if (it->second.wait != 0) it->second.helper->Notify(protocol::kCancel, it->second.remote);
    return S_OK_T;
  }

  // The module gave up on the session's wait: the helper, busy in a driver
  // that does not answer, is ended, so the wait fails now as a device failure.
  void GiveUp(WINBIO_SESSION_HANDLE handle) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = sessions_.find(handle);
    if (it != sessions_.end() && it->second.wait != 0)
      it->second.helper->End("did not answer in time while waiting for a finger");
  }

 private:
  bool Isolating() {
    std::lock_guard<std::mutex> lock(mutex_);
    return isolating_;
  }

  // The drivers of the readers the survey found, and the virtual ones that
  // have a device, that the user allows.
  static std::set<std::string> DriversPresent(const std::vector<protocol::SurveyedReader>& surveyed) {
    const std::optional<std::set<std::string>> allowed = AllowedDrivers();
    std::set<std::string> drivers;
    for (const protocol::SurveyedReader& reader : surveyed)
      if (!reader.driver.empty() && Allowed(allowed, reader.driver)) drivers.insert(reader.driver);
    for (const auto& [driver, variable] : kVirtualDrivers)
      if (std::getenv(variable) && Allowed(allowed, driver)) drivers.insert(driver);
    return drivers;
  }

  // A listing of all drivers ended its helper (`how`): from now on each
  // driver present is tried alone (TryAlone), once per process, so that only
  // its own readers are lost. A lone driver present is the one that failed.
  void Isolate(const std::vector<protocol::SurveyedReader>& surveyed, const std::string& how) {
    const std::set<std::string> present = DriversPresent(surveyed);
    std::lock_guard<std::mutex> lock(mutex_);
    isolating_ = true;
    if (present.size() == 1 && working_.count(*present.begin()) == 0) failed_[*present.begin()] = how;
  }

  // Tries each driver in `present` not tried yet alone, in a helper of its own.
  void TryAlone(const std::set<std::string>& present) {
    for (const std::string& driver : present) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failed_.count(driver) || working_.count(driver)) continue;
      }
      PinModule();  // a helper's receiver thread may run on after the module's release
      const std::shared_ptr<HelperProcess> alone = HelperProcess::Start(HelperPath(), Limited({driver}));
      const bool listed = Ask(alone, protocol::kList, "", kListing).has_value();
      std::lock_guard<std::mutex> lock(mutex_);
      if (listed)
        working_.insert(driver);
      else if (alone && !alone->HowItEnded().empty())
        failed_[driver] = alone->HowItEnded();
      // A helper that could not start says nothing about the driver: tried again next time.
    }
  }

  // Appends the surveyed readers that the list left out, each with why it
  // cannot be used, and marks the listed ones whose device node this user may
  // not open. `listFailure`: how the listing itself failed, if it did.
  void AddUnmanaged(const std::vector<protocol::SurveyedReader>& surveyed, const std::string& listFailure,
                    std::vector<ListedUnit>& listed) {
    if (surveyed.empty()) return;
    const std::optional<std::set<std::string>> allowed = AllowedDrivers();
    std::lock_guard<std::mutex> lock(mutex_);
    for (const protocol::SurveyedReader& found : surveyed) {
      const std::string& driver = found.driver;
      const std::string& notOpenable = found.notOpenable;
      const auto managed = std::find_if(listed.begin(), listed.end(), [&](const ListedUnit& reader) {
        return reader.instanceId == found.instanceId;
      });
      if (managed != listed.end()) {
        if (!notOpenable.empty()) {
          managed->state = E_ACCESSDENIED_T;
          managed->why = notOpenable;
        }
        continue;
      }
      if (!driver.empty() && !Allowed(allowed, driver)) continue;
      ListedUnit reader{true,        found.instanceId,  found.description,       found.manufacturer,
                        found.model, E_NOT_SUPPORTED_T, udev::kNoDriverForReader};
      if (!driver.empty() && !notOpenable.empty()) {
        // Drivers that open the device to probe it drop it from the listing
        // when this user may not: the driver is fine.
        reader.state = E_ACCESSDENIED_T;
        reader.why = notOpenable;
      } else if (!driver.empty()) {
        const auto failure = failed_.find(driver);
        const std::string how = failure != failed_.end() ? failure->second
                                : listFailure.empty()    ? "it listed no device for this reader"
                                                         : listFailure;
        reader.state = WINBIO_E_DEVICE_FAILURE;
        reader.why = "libfprint driver " + driver + " failed: " + how;
      }
      listed.push_back(std::move(reader));
    }
  }

  struct Session {
    std::shared_ptr<HelperProcess> helper;  // the run of the helper that opened it
    std::string remote;                     // the helper's handle
    uint64_t wait = 0;                      // the request of the wait under way
  };

  // The running helper, or a fresh one when it has ended: each listing and
  // each run starts at most one, so a driver that always crashes costs one
  // helper per attempt and never loops.
  std::shared_ptr<HelperProcess> Helper() {
    std::shared_ptr<HelperProcess> ended;  // let go of outside the lock: it may still be reaping
    std::lock_guard<std::mutex> lock(mutex_);
    // Once a listing of all drivers has failed, only those that listed alone
    // (a driver found working later needs a new helper).
    if (helper_ && !helper_->Ended() && (!isolating_ || helperDrivers_ == working_)) return helper_;
    ended = std::move(helper_);
    // Its receiver thread runs the module's code until the helper ends, which
    // may be after the host has released the module.
    PinModule();
    helper_ =
        HelperProcess::Start(HelperPath(), isolating_ ? Limited(working_) : HelperProcess::Environment{});
    helperDrivers_ = working_;
    return helper_;
  }

  static std::optional<protocol::Answer> Ask(const std::shared_ptr<HelperProcess>& helper, const char* verb,
                                             const std::string& argument, const char* doing) {
    if (!helper) return std::nullopt;
    const uint64_t id = helper->Request(verb, argument, doing, AnswerLimit());
    return id ? helper->Await(id) : std::nullopt;
  }

  bool HasSession(WINBIO_SESSION_HANDLE handle) override {
    std::lock_guard<std::mutex> lock(mutex_);
    return sessions_.count(handle) == 1;
  }

  std::mutex listingMutex_;  // one listing at a time: it may start helpers of its own
  std::mutex mutex_;
  std::shared_ptr<HelperProcess> helper_;
  // What listings found out about the drivers, kept for the process: a
  // driver that brought its helper down does so once.
  bool isolating_ = false;
  std::set<std::string> working_;              // listed alone
  std::set<std::string> helperDrivers_;        // those helper_ was limited to
  std::map<std::string, std::string> failed_;  // driver: how its helper ended
  std::map<WINBIO_SESSION_HANDLE, Session> sessions_;
  WINBIO_SESSION_HANDLE nextHandle_ = 1;
};

}  // namespace

std::unique_ptr<BiometricService> CreateLibfprintBiometricService() {
  return std::make_unique<LibfprintBiometricService>();
}

}  // namespace platform::libfprint
