#include "utils/language_table.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include <QString>

#include "platform/platform.h"
#include "platform/system.h"
#include "utils/config_file.h"

namespace kivra::utils {
namespace {

// Written only by ChooseLanguage on the user-interface thread.
std::string& Current() {
  static std::string language;
  return language;
}

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
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

const std::map<std::string, std::string>& LanguageTable() {
  static const std::map<std::string, std::string> table = {
      {"pt_br", "pt_BR"}, {"portuguese", "pt_BR"}, {"en_us", "en_US"}, {"english", "en_US"},
      {"es_es", "es_ES"}, {"spanish", "es_ES"},    {"fr_fr", "fr_FR"}, {"french", "fr_FR"},
      {"it_it", "it_IT"}, {"italian", "it_IT"},    {"de_de", "de_DE"}, {"german", "de_DE"},
      {"nl_nl", "nl_NL"}, {"dutch", "nl_NL"},      {"zh_cn", "zh_CN"}, {"chinese", "zh_CN"},
      {"ja_jp", "ja_JP"}, {"japanese", "ja_JP"},
  };
  return table;
}

void ChooseLanguage() {
  const auto& table = LanguageTable();
  ConfigFile settings;
  ConfigFile::Load("config.ini", settings);  // a bad line keeps what was read before it
  const auto configured = table.find(LowerAscii(settings.GetValue("LANGUAGE", "DEFAULT_LANGUAGE")));
  if (configured != table.end()) {
    Current() = configured->second;
    return;
  }

  if (std::optional<std::string> system = SystemLanguage()) {
    std::replace(system->begin(), system->end(), '-', '_');
    Current() = std::move(*system);
  }
  // A system language the table knows keeps the system's spelling.
  if (table.find(LowerAscii(Current())) == table.end()) Current() = kDefaultLanguage;
}

std::string CurrentLanguage() {
  return Current();
}

}  // namespace kivra::utils
