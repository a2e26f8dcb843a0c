#include "suite/hostcore/hostcore.h"

#include <utility>

namespace kivra::hostcore {
namespace {

std::string& TemporaryPath() {
  static std::string path;
  return path;
}

}  // namespace

ModuleLoader* get_module() {
  static ModuleLoader loader;
  return &loader;
}

FileSystem* get_filesystem() {
  static FileSystem fileSystem;
  return &fileSystem;
}

const std::string& get_temporary_path() {
  return TemporaryPath();
}

void set_temporary_path(std::string path) {
  TemporaryPath() = std::move(path);
}

}  // namespace kivra::hostcore
