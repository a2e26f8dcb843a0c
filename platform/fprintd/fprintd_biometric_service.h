#pragma once

#include <memory>

#include "platform/biometric_service.h"

namespace platform::fprintd {

// The biometric service over fprintd, the system's fingerprint daemon on the
// D-Bus system bus: one unit per fprintd device (with udev's USB identity
// where it can be told without doubt), then the USB readers that fprintd
// does not serve, each with its state. A session claims the devices for the
// user; the sensor wait is a verification of the user's enrolled prints, of
// which any result, or the device's report of a finger, is the touch. It never
// enrols and never deletes.
std::unique_ptr<BiometricService> CreateFprintdBiometricService();

}  // namespace platform::fprintd
