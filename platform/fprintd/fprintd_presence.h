#pragma once

#include "common/backend_choice.h"

namespace platform::fprintd {

// fprintd's name on the system bus, and its objects.
inline constexpr char kService[] = "net.reactivated.Fprint";
inline constexpr char kManagerPath[] = "/net/reactivated/Fprint/Manager";
inline constexpr char kManagerInterface[] = "net.reactivated.Fprint.Manager";
inline constexpr char kDeviceInterface[] = "net.reactivated.Fprint.Device";

// Whether fprintd's name is on the system bus: owned by the running daemon,
// or activatable, so that the bus starts it on the first call. Each question
// to the bus is bounded.
common::ServicePresence Presence();

}  // namespace platform::fprintd
