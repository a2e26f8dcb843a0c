// Feeds arbitrary bytes to the settings reader as a config.ini would. The
// result must describe the stream: an error code with a line inside it, or
// none; every stored name upper case; nothing crashes, hangs or leaks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include <QByteArray>
#include <QIODevice>
#include <QTextStream>

#include "common/config_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QTextStream stream(&bytes, QIODevice::ReadOnly);
  common::ConfigFile file;
  const common::ConfigParseResult result = file.Parse(stream);

  if (result.opened != 1) std::abort();
  if ((result.error == 0) != (result.line == -1)) std::abort();
  if (result.error != 0 && (result.line < 1 || static_cast<size_t>(result.line) > size + 1)) std::abort();
  if (!file.HasSection("")) std::abort();
  for (const auto& [section, keys] : file.sections()) {
    for (const char c : section) {
      if (c >= 'a' && c <= 'z') std::abort();
    }
    for (const auto& [key, value] : keys) {
      if (file.GetValue(section, key) != value) std::abort();
      if (file.keyLines().count("[" + section + "]" + key) != 1) std::abort();
    }
  }
  return 0;
}
