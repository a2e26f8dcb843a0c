#pragma once

// Fixed by the host contract: names, field order, virtual order and types; see docs/ARCHITECTURE.md.

// The module's three entry points. A host resolves them by these exact names.

class ModuleInterface;
class ProductVersion;

#if defined(_WIN32)
#define FP_MODULE_EXPORT __declspec(dllexport)
#else
#define FP_MODULE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
FP_MODULE_EXPORT ModuleInterface* GetModuleInterfaceInstance();
FP_MODULE_EXPORT ProductVersion* GetProductVersion();
FP_MODULE_EXPORT void ReleaseModuleInterfaceInstance();
}

// Signatures as a host that resolves the exports at run time sees them.
using GetModuleInterfaceInstanceFn = ModuleInterface* (*)();
using GetProductVersionFn = ProductVersion* (*)();
using ReleaseModuleInterfaceInstanceFn = void (*)();
