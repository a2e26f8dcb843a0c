#pragma once

// Fixed by the host contract: names, field order, virtual order and types; see docs/ARCHITECTURE.md.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

using Property = std::pair<std::string, std::string>;

// What GetInfo hands the host, field for field.
struct ComponentInfo {
  std::string typeName;
  std::string secondText;
  std::vector<Property> properties;
  std::map<std::string, std::string> propertyMap;
};

struct PropertyGroup {
  std::vector<Property> properties;
  std::string name;
};

// A hardware component as the suite sees it. The slot order is part of the
// binary contract; slots 5 to 11 belong to the host, which gives them meaning.
class SystemComponent {
 public:
  SystemComponent() = default;
  SystemComponent(const SystemComponent&) = delete;
  SystemComponent& operator=(const SystemComponent&) = delete;
  virtual ~SystemComponent() = default;

  virtual std::string GetDeviceId() { return deviceId_; }
  virtual ComponentInfo GetInfo() { return ComponentInfo{typeName_, secondText_, properties_, propertyMap_}; }
  virtual std::vector<PropertyGroup> GetPropertyGroups() { return propertyGroups_; }
  virtual uint64_t HostValue() = 0;
  virtual bool HostQuery1() = 0;
  virtual bool HostQuery2() = 0;
  virtual void HostAction1() = 0;
  virtual bool HostQuery3() = 0;
  virtual void HostAction2() = 0;
  virtual void HostAction3() {}

  // Used while the component describes itself; not part of the host's table.
  void SetTypeName(std::string typeName) { typeName_ = std::move(typeName); }
  void SetDeviceId(std::string deviceId) { deviceId_ = std::move(deviceId); }
  void ClearProperties() {
    properties_.clear();
    propertyMap_.clear();
    propertyGroups_.clear();
  }
  void AppendProperty(std::string key, std::string value) {
    properties_.emplace_back(std::move(key), std::move(value));
  }

 private:
  std::string typeName_;
  std::string secondText_;
  std::vector<Property> properties_;
  std::map<std::string, std::string> propertyMap_;
  std::vector<PropertyGroup> propertyGroups_;
  std::string deviceId_;
};
