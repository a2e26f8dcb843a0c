#include "common/language_choice.h"

#include <algorithm>
#include <utility>

#include "common/config_file.h"

namespace common {
namespace {

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
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

std::string ConfiguredLanguage() {
  ConfigFile settings;
  ConfigFile::Load("config.ini", settings);  // a bad line keeps what was read before it
  return settings.GetValue("LANGUAGE", "DEFAULT_LANGUAGE");
}

std::string ChooseLanguage(const std::string& configured,
                           const std::function<std::optional<std::string>()>& system,
                           const std::string& previous) {
  const auto& table = LanguageTable();
  if (const auto known = table.find(LowerAscii(configured)); known != table.end()) return known->second;
  std::string chosen = previous;
  if (std::optional<std::string> asked = system()) {
    chosen = std::move(*asked);
    std::replace(chosen.begin(), chosen.end(), '-', '_');
  }
  // A system language the table knows keeps the system's spelling.
  return table.count(LowerAscii(chosen)) ? chosen : kDefaultLanguage;
}

}  // namespace common
