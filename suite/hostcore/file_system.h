#pragma once

#include <string>

namespace kivra::hostcore {

// The suite's file-system service. Paths are UTF-8. The order of the virtual
// operations is fixed: callers built against other copies of this
// declaration reach them by slot.
class FileSystem {
 public:
  FileSystem() = default;
  FileSystem(const FileSystem&) = delete;
  FileSystem& operator=(const FileSystem&) = delete;
  virtual ~FileSystem();

  virtual bool exists(const char* path) const;
  virtual bool isDirectory(const char* path) const;
  // Creates the directory and any missing parents; true if it exists afterwards.
  virtual bool makePath(const char* path) const;
  // The directory that holds the binary this service is part of, without a
  // trailing separator. Computed once; "." if it cannot be found.
  virtual const char* baseDirectory() const;
};

namespace detail {
// The directory of the binary that contains `address`, or "" when unknown.
std::string DirectoryOfBinaryContaining(const void* address);
}  // namespace detail

}  // namespace kivra::hostcore
