// A module file whose three exports give nothing at all.
#include "contract/exports.h"

ModuleInterface* GetModuleInterfaceInstance() {
  return nullptr;
}

ProductVersion* GetProductVersion() {
  return nullptr;
}

void ReleaseModuleInterfaceInstance() {}
