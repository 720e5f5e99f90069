#pragma once

#include <string>
#include <string_view>

namespace tintwell {

// The formats that number and date texts follow. They start from the user's locale; the settings
// store may later replace the date separator and the short date format.
struct TFormatSettings {
    char DecimalSeparator = '.';
    char DateSeparator = '/';
    // Day, month and year letters in the usual spelling: "dd.mm.yyyy", "mm/dd/yy", "yyyy-mm-dd".
    std::string ShortDateFormat = "mm/dd/yy";
};

// The formats of a named locale ("" for the user's, as LANG and LC_* choose). A locale that is not
// installed, or a separator of more than one byte, falls back to the plain C formats.
TFormatSettings FormatSettingsFromLocale(const char* localeName = "");

// A POSIX date format ("%d.%m.%Y") in our spelling ("dd.mm.yyyy"). Conversions that have no short
// equivalent are kept as written.
std::string ShortDateFormatFromPosix(std::string_view posixFormat);

// The first punctuation character of a short date format, or '/' when it has none.
char DateSeparatorOf(std::string_view shortDateFormat);

// The process-wide formats, read from the user's locale on first use. Only the user-interface
// thread changes them. The setter returns the formats it replaced, so a caller that changes them
// for a while can put them back.
const TFormatSettings& FormatSettings();
TFormatSettings SetFormatSettings(const TFormatSettings& settings);

} // namespace tintwell
