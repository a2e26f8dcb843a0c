#pragma once

#include <map>
#include <string>

namespace kivra::utils {

// Lower-case language names and codes as the settings file may give them,
// mapped to the codes of the catalogues the suite ships.
const std::map<std::string, std::string>& LanguageTable();

// The language used when neither the settings file nor the system names one
// of the table.
inline constexpr const char* kDefaultLanguage = "en_US";

// Chooses the user's language and stores it as the current language: the
// "DEFAULT_LANGUAGE" of section "LANGUAGE" in "config.ini" of the current
// directory if the table knows it, else the system's first preferred UI
// language, else "en_US". A failing system query keeps the previous choice.
void ChooseLanguage();

// The last choice; empty before the first one.
std::string CurrentLanguage();

}  // namespace kivra::utils
