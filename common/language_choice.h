#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

// Which language the module speaks: one rule for the module, which loads its
// catalogue, and for diag-host, which logs in the same language.
namespace common {

// Lower-case language names and codes as the settings file may give them,
// mapped to the codes of the catalogues the suite ships.
const std::map<std::string, std::string>& LanguageTable();

// The language used when neither the settings file nor the system names one
// of the table.
inline constexpr const char* kDefaultLanguage = "en_US";

// The settings file's language as written: "DEFAULT_LANGUAGE" of section
// "LANGUAGE" in "config.ini" of the current directory; "" when it gives none.
// A faulty line keeps what was read before it.
std::string ConfiguredLanguage();

// The choice: the configured language, in any case, if the table knows it;
// else the system's first preferred UI language ("de-DE" is taken as
// "de_DE", kept in the system's spelling) if the table knows it; else
// kDefaultLanguage. `system` is asked only when the setting does not decide;
// when it cannot tell (nothing), `previous`, the last choice, stands in.
std::string ChooseLanguage(const std::string& configured,
                           const std::function<std::optional<std::string>()>& system,
                           const std::string& previous);

}  // namespace common
