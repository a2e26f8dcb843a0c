#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/device_registry.h"

// The driver versions of the biometric class's devices, read through one
// SetupAPI device list, opened at the first question. Opening a list costs
// far more than reading from it, so a listing of readers shares one: while a
// DriverVersions lives, the readers described on its thread ask it (see
// Current()).
class DriverVersions {
 public:
  DriverVersions();
  ~DriverVersions();
  DriverVersions(const DriverVersions&) = delete;
  DriverVersions& operator=(const DriverVersions&) = delete;

  // The driver version of the device with this instance id (case ignored,
  // as Windows compares them) or, when no device of the class has it, of the
  // first device of the class. Empty when anything along the way is missing.
  std::u16string Of(std::u16string_view deviceInstanceId);

  // The innermost DriverVersions alive on the calling thread, or null.
  static DriverVersions* Current();

 private:
  struct Member {
    platform::DEVINFO_DATA info;
    bool read = false;
    std::u16string version;
  };

  void Open();
  std::u16string VersionOf(Member& member);

  platform::DevInfoSet set_ = nullptr;
  bool opened_ = false;
  std::vector<Member> members_;
  std::unordered_map<std::u16string, size_t> byInstanceId_;  // folded id -> member
  DriverVersions* outer_;
};
