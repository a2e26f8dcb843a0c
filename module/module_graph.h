#pragma once

class ModuleInterface;

// Builds and tears down the module's object graph. The exports are thin
// wrappers over these; tests call them directly.
namespace module_graph {
ModuleInterface* Build();
// True when nothing of the module runs any more: no thread of its is left,
// none is stuck in a reader's call.
bool Release(ModuleInterface* root);
}  // namespace module_graph
