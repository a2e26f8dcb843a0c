#include "host/backend_in_use.h"

#if defined(FP_HAVE_FPRINTD)
#include "platform/fprintd/fprintd_presence.h"
#endif

const common::BackendChoice& BackendInUse() {
#if defined(FP_HAVE_FPRINTD)
  static const common::BackendChoice choice =
      common::ChooseBackendForThisProcess(&platform::fprintd::Presence);
#else
  static const common::BackendChoice choice = common::ChooseBackendForThisProcess({});
#endif
  return choice;
}
