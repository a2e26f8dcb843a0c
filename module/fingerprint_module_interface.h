#pragma once

#include "contract/module_interface.h"

class FingerprintModuleInterface : public ModuleInterface {
 public:
  using ModuleInterface::ModuleInterface;
  ~FingerprintModuleInterface() override = default;

  bool GetModuleFlag() override { return true; }
};
