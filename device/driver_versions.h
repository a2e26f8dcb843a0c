#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/device_registry.h"

// The driver versions of the readers' devices, read through one SetupAPI
// device list of the biometric class: each reader's device is opened in it by
// its unit's device instance id. Listing the whole class costs time in
// proportion to every device the system knows, so that happens only for a
// unit whose device is not found, whose version is then the class's first
// present device's. Each version is read from the device's driver key
// (SetupDiOpenDevRegKey, read access only). A listing of readers shares one
// DriverVersions.
class DriverVersions {
 public:
  DriverVersions();
  ~DriverVersions();
  DriverVersions(const DriverVersions&) = delete;
  DriverVersions& operator=(const DriverVersions&) = delete;

  // The driver version of the device with this instance id (case ignored, as
  // Windows compares them) or, when no device of the class has it, of the
  // first present device of the class. Empty when anything along the way is missing.
  std::u16string Of(std::u16string_view deviceInstanceId);

 private:
  // Owns a device-information set.
  class DeviceList {
   public:
    DeviceList() = default;
    ~DeviceList();
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;
    void Reset(platform::DevInfoSet set);
    bool valid() const { return set_ != nullptr && set_ != platform::kInvalidDevInfoSet; }
    platform::DevInfoSet get() const { return set_; }

   private:
    platform::DevInfoSet set_ = nullptr;
  };

  std::u16string FirstDeviceVersion();
  static std::u16string VersionOf(platform::DevInfoSet set, platform::DEVINFO_DATA* info);

  DeviceList readers_;  // the readers' devices, opened by instance id
  bool readersOpened_ = false;
  DeviceList wholeClass_;  // only for a unit whose device is not found
  bool wholeClassRead_ = false;
  std::u16string firstDeviceVersion_;
  std::unordered_map<std::u16string, std::u16string> byInstanceId_;  // folded id -> version
};
