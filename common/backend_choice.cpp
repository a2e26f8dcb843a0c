#include "common/backend_choice.h"

#include <cctype>
#include <cstdlib>

#include <QtGlobal>

#include "common/sim_machine_file.h"

namespace common {

BackendRequest BackendRequest::OfProcess() {
  BackendRequest request;
  const char* backend = std::getenv(kBackendVariable);
  if (backend && *backend) request.backend = backend;
  request.simFile = std::getenv(kSimMachineVariable) != nullptr;
  return request;
}

BackendChoice ChooseBackend(const BackendRequest& request, const BackendFacts& facts) {
  if (facts.windows) return {"win32", "the Windows Biometric Framework"};
  if (request.backend) {
    std::string name = *request.backend;
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string asked = std::string(kBackendVariable) + "=" + *request.backend;
    if (name == "sim") return {"sim", asked};
    if (name == "fprintd")
      return facts.fprintdBuilt ? BackendChoice{"fprintd", asked}
                                : BackendChoice{"none", asked + ", but this build has no D-Bus support"};
    if (name == "libfprint")
      return facts.libfprintBuilt ? BackendChoice{"libfprint", asked}
                                  : BackendChoice{"none", asked + ", but this build has no libfprint"};
    return {"none", asked + " names no backend; known: sim, fprintd, libfprint"};
  }
  if (request.simFile) return {"sim", std::string(kSimMachineVariable) + " is set"};

  ServicePresence fprintd{false, "this build has no D-Bus support for fprintd"};
  if (facts.fprintdBuilt && facts.fprintdPresence) fprintd = facts.fprintdPresence();
  if (fprintd.present) return {"fprintd", fprintd.detail};
  if (facts.libfprintBuilt) return {"libfprint", fprintd.detail};
  return {"none", fprintd.detail + ", and this build has no libfprint"};
}

BackendChoice ChooseBackendForThisProcess(std::function<ServicePresence()> fprintdPresence) {
  BackendFacts facts;
#if defined(Q_OS_WIN)
  facts.windows = true;
#endif
  facts.fprintdBuilt = static_cast<bool>(fprintdPresence);
  facts.fprintdPresence = std::move(fprintdPresence);
#if defined(FP_HAVE_LIBFPRINT)
  facts.libfprintBuilt = true;
#endif
  return ChooseBackend(BackendRequest::OfProcess(), facts);
}

}  // namespace common
