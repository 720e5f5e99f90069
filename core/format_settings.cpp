#include "core/format_settings.h"

#include <clocale>
#include <cstring>
#include <langinfo.h>
#include <locale.h>
#include <utility>

namespace tintwell {
namespace {

TFormatSettings& Current() {
    static TFormatSettings settings = FormatSettingsFromLocale();
    return settings;
}

bool IsAsciiPunctuation(char c) {
    return (c >= '!' && c <= '/') || (c >= ':' && c <= '@') || (c >= '[' && c <= '`') ||
           (c >= '{' && c <= '~');
}

} // namespace

std::string ShortDateFormatFromPosix(std::string_view posixFormat) {
    std::string format;
    for (std::size_t i = 0; i < posixFormat.size(); ++i) {
        const char c = posixFormat[i];
        if (c != '%' || i + 1 == posixFormat.size()) {
            format += c;
            continue;
        }
        std::size_t conversion = i + 1;
        // glibc's flags and the E/O modifiers change nothing about which field is meant.
        while (conversion < posixFormat.size() && std::strchr("_-0^#EO", posixFormat[conversion]) != nullptr)
            ++conversion;
        if (conversion == posixFormat.size()) {
            format.append(posixFormat.substr(i));
            break;
        }
        switch (posixFormat[conversion]) {
        case 'd': format += "dd"; break;
        case 'e': format += "d"; break;
        case 'm': format += "mm"; break;
        case 'y': format += "yy"; break;
        case 'Y': format += "yyyy"; break;
        case 'b':
        case 'h': format += "mmm"; break;
        case 'B': format += "mmmm"; break;
        case 'a': format += "ddd"; break;
        case 'A': format += "dddd"; break;
        case 'D': format += "mm/dd/yy"; break;
        case 'F': format += "yyyy-mm-dd"; break;
        case '%': format += '%'; break;
        default: format.append(posixFormat.substr(i, conversion - i + 1)); break;
        }
        i = conversion;
    }
    return format;
}

char DateSeparatorOf(std::string_view shortDateFormat) {
    for (const char c : shortDateFormat)
        if (IsAsciiPunctuation(c))
            return c;
    return '/';
}

TFormatSettings FormatSettingsFromLocale(const char* localeName) {
    TFormatSettings settings;
    // newlocale leaves the process's global locale alone, so reading the user's formats has no
    // side effect on printf or on other libraries.
    locale_t locale = newlocale(LC_ALL_MASK, localeName, static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr))
        locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr))
        return settings;

    const char* radix = nl_langinfo_l(RADIXCHAR, locale);
    if (radix != nullptr && std::strlen(radix) == 1)
        settings.DecimalSeparator = radix[0];
    const char* dateFormat = nl_langinfo_l(D_FMT, locale);
    if (dateFormat != nullptr && *dateFormat != '\0') {
        settings.ShortDateFormat = ShortDateFormatFromPosix(dateFormat);
        settings.DateSeparator = DateSeparatorOf(settings.ShortDateFormat);
    }
    freelocale(locale);
    return settings;
}

const TFormatSettings& FormatSettings() { return Current(); }

TFormatSettings SetFormatSettings(const TFormatSettings& settings) {
    return std::exchange(Current(), settings);
}

} // namespace tintwell
