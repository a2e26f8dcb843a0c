#pragma once

#include "module/module_interface.h"

class FingerprintModuleInterface : public ModuleInterface {
 public:
  using ModuleInterface::ModuleInterface;
  ~FingerprintModuleInterface() override = default;

  bool GetModuleFlag() override { return true; }
};
