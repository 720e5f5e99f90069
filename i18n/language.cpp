#include "i18n/language.h"

#include <QLocale>
#include <array>
#include <utility>

#include "platform/platform_services.h"

namespace tintwell {
namespace {

bool IsTwoLetters(const std::string& name) {
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    return name.size() == 2 && isLetter(name[0]) && isLetter(name[1]);
}

constexpr std::uint32_t LocaleId(QLocale::Language language, QLocale::Territory territory) {
    return std::uint32_t(language) << 16 | std::uint32_t(territory);
}

// The locales whose ISO names do not fit the two-letter rule: languages known only by a
// three-letter code, and locales with a language but no country.
constexpr std::array<std::pair<std::uint32_t, const char*>, 12> kLocaleCodes{{
    {LocaleId(QLocale::Filipino, QLocale::Philippines), "fil_PH"},
    {LocaleId(QLocale::Asturian, QLocale::Spain), "ast_ES"},
    {LocaleId(QLocale::Hawaiian, QLocale::UnitedStates), "haw_US"},
    {LocaleId(QLocale::LowGerman, QLocale::Germany), "nds_DE"},
    {LocaleId(QLocale::SwissGerman, QLocale::Switzerland), "gsw_CH"},
    {LocaleId(QLocale::English, QLocale::AnyTerritory), "en"},
    {LocaleId(QLocale::German, QLocale::AnyTerritory), "de"},
    {LocaleId(QLocale::French, QLocale::AnyTerritory), "fr"},
    {LocaleId(QLocale::Spanish, QLocale::AnyTerritory), "es"},
    {LocaleId(QLocale::Italian, QLocale::AnyTerritory), "it"},
    {LocaleId(QLocale::Portuguese, QLocale::AnyTerritory), "pt"},
    {LocaleId(QLocale::Dutch, QLocale::AnyTerritory), "nl"},
}};

} // namespace

std::string LanguageCodeFromLocaleId(std::uint32_t localeId) {
    for (const auto& [id, code] : kLocaleCodes)
        if (id == localeId)
            return code;
    return "C";
}

std::string ChooseLanguage(const TPlatformServices& platform) {
    std::string code = platform.EnvironmentLang();
    if (code.empty()) {
        const auto [language, country] = platform.LocaleIsoNames();
        code = IsTwoLetters(language) && IsTwoLetters(country)
                   ? language + "_" + country
                   : LanguageCodeFromLocaleId(platform.LocaleIdentifier());
    }
    if (const std::size_t dot = code.find('.'); dot != std::string::npos)
        code.erase(dot);
    return code;
}

} // namespace tintwell
