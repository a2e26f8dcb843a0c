#pragma once

#include "contract/system_component.h"

// A component of another kind than a fingerprint reader.
class OtherComponent : public SystemComponent {
 public:
  uint64_t HostValue() override { return 0; }
  bool HostQuery1() override { return true; }
  bool HostQuery2() override { return true; }
  void HostAction1() override {}
  bool HostQuery3() override { return true; }
  void HostAction2() override {}
};
