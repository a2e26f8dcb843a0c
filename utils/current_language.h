#pragma once

#include <string>

namespace kivra::utils {

// Chooses the user's language by common/language_choice.h's rule, asking the
// system for its preferred UI languages, and stores it as the current
// language. A failing system query keeps the previous choice.
void ChooseLanguage();

// The last choice; empty before the first one.
std::string CurrentLanguage();

}  // namespace kivra::utils
