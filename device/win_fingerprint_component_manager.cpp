// Placeholder until reader enumeration lands: the machine has no readers.
#include "device/win_fingerprint_component_manager.h"

WinFingerprintComponentManager::~WinFingerprintComponentManager() { DestroyComponents(); }

bool WinFingerprintComponentManager::IsDevicePresent() { return false; }

SystemComponent* WinFingerprintComponentManager::ComponentAt(uint32_t index) { return GetComponent(index); }

void WinFingerprintComponentManager::EnumerateComponents() { DestroyComponents(); }
