#pragma once

class ModuleInterface;

// Builds and tears down the module's object graph. The exports are thin
// wrappers over these; tests call them directly.
namespace module_graph {
ModuleInterface* Build();
void Release(ModuleInterface* root);
}  // namespace module_graph
