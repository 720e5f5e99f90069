#pragma once

#include <cstdint>
#include <string>

namespace tintwell {

class TPlatformServices;

// The language code the program translates into, chosen once at start-up: LANG as it stands (no
// other variable); when it is empty, the user's locale as ISO language and country ("fr" and "CA"
// give fr_CA) if both have exactly two letters; else the locale's numeric identifier through a
// fixed table; else "C". Everything from the first "." on is cut (de_DE.UTF-8 gives de_DE).
std::string ChooseLanguage(const TPlatformServices& platform);

// The fixed table of the last step: a locale identifier (language number << 16 | territory number,
// as the platform services give it) to a code; "C" for an identifier not in the table.
std::string LanguageCodeFromLocaleId(std::uint32_t localeId);

} // namespace tintwell
