#include "suite/hostcore/file_system.h"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

#include <QString>

#include "platform/platform.h"
#include "platform/system.h"

namespace kivra::hostcore {
namespace {

std::filesystem::path PathOf(const char* utf8) {
  return std::filesystem::u8path(utf8);
}

// Any function of this binary will do as the anchor for the lookup.
void Anchor() {}

}  // namespace

namespace detail {

std::string DirectoryOfBinaryContaining(const void* address) {
  platform::System& system = platform::system();
  platform::LibraryHandle module = system.ModuleFromAddress(address);
  if (!module) return {};
  // Long paths exist on both systems; grow until the name fits.
  std::vector<char16_t> buffer(260);
  for (;;) {
    const uint32_t size = static_cast<uint32_t>(buffer.size());
    const uint32_t length = system.GetModuleFileNameW(module, buffer.data(), size);
    if (length == 0) return {};
    if (length < size) {
      const QString file = QString::fromUtf16(buffer.data(), static_cast<qsizetype>(length));
      const qsizetype cut =
          std::max(file.lastIndexOf(QChar(platform::PathSeparator())), file.lastIndexOf(QLatin1Char('/')));
      if (cut < 0) return {};
      // A binary in the root directory keeps its separator.
      return file.left(cut == 0 ? 1 : cut).toStdString();
    }
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace detail

FileSystem::~FileSystem() = default;

bool FileSystem::exists(const char* path) const {
  if (!path || !*path) return false;
  std::error_code error;
  return std::filesystem::exists(PathOf(path), error);
}

bool FileSystem::isDirectory(const char* path) const {
  if (!path || !*path) return false;
  std::error_code error;
  return std::filesystem::is_directory(PathOf(path), error);
}

bool FileSystem::makePath(const char* path) const {
  if (!path || !*path) return false;
  std::error_code error;
  std::filesystem::create_directories(PathOf(path), error);
  return std::filesystem::is_directory(PathOf(path), error);
}

const char* FileSystem::baseDirectory() const {
  static std::once_flag once;
  static std::string directory;
  std::call_once(once, [] {
    directory = detail::DirectoryOfBinaryContaining(reinterpret_cast<const void*>(&Anchor));
    if (directory.empty()) directory = ".";
  });
  return directory.c_str();
}

}  // namespace kivra::hostcore
