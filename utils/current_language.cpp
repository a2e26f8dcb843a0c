#include "utils/current_language.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include <QString>

#include "common/language_choice.h"
#include "platform/platform.h"
#include "platform/system.h"

namespace kivra::utils {
namespace {

// Written only by ChooseLanguage on the user-interface thread.
std::string& Current() {
  static std::string language;
  return language;
}

// The first of the user's preferred UI languages in UTF-8, or nothing when
// the system cannot tell.
std::optional<std::string> SystemLanguage() {
  constexpr uint32_t kCapacity = 512;
  std::vector<char16_t> buffer(kCapacity, u'\0');
  uint32_t count = 0;
  uint32_t size = kCapacity;
  if (!platform::system().GetUserPreferredUILanguages(platform::kMuiLanguageName, &count, buffer.data(),
                                                      &size) ||
      count == 0)
    return std::nullopt;
  // Never read past the buffer, even if the list is not terminated.
  const auto end = std::find(buffer.begin(), buffer.end(), u'\0');
  return QString::fromUtf16(buffer.data(), end - buffer.begin()).toStdString();
}

}  // namespace

void ChooseLanguage() {
  Current() = common::ChooseLanguage(common::ConfiguredLanguage(), SystemLanguage, Current());
}

std::string CurrentLanguage() {
  return Current();
}

}  // namespace kivra::utils
