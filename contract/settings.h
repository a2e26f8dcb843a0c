#pragma once

// Fixed by the host contract: names, field order, virtual order and types; see docs/ARCHITECTURE.md.

#include <map>
#include <string>

// Parsed settings: section name -> (key -> value), all UTF-8.
using Settings = std::map<std::string, std::map<std::string, std::string>>;
