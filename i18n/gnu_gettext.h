#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "i18n/mo_catalogue.h"

namespace tintwell {

// The program's single text domain; it is also the one domain consulted for resource texts.
inline constexpr std::string_view kTextDomain = "default";

enum class TCatalogueState { NotTried, Open, NotFound };

// Where the catalogue of a language lies: <locale>/<code>/LC_MESSAGES/<domain>.mo, else the same
// under the code's first two letters (de_AT falls back to de); "" when neither file exists. A code
// that could leave the locale directory ("/" or "..") finds nothing.
std::string FindCatalogueFile(const std::string& localeDirectory, std::string_view code,
                              std::string_view domain);

// One text domain bound to a locale directory and a language. The catalogue is opened at the first
// lookup. A catalogue that is not valid or not UTF-8 is not an error of the lookup that found it:
// it is kept as a report (see TakeReport) and the domain carries on without a catalogue for the rest
// of the run, so a failure of the translation never stops the program or loses what a user did.
class TGnuGettext {
public:
    TGnuGettext(std::string localeDirectory, std::string languageCode);

    const std::string& LanguageCode() const { return FLanguageCode; }
    const std::string& LocaleDirectory() const { return FLocaleDirectory; }
    TCatalogueState State() const;

    // The catalogue's translation of text as UTF-8 bytes, carriage returns removed from the text
    // before the search; nothing when the catalogue has none or there is no catalogue.
    // Raises EGnuGettextError "Could not translate" when the translation is not valid UTF-8.
    std::optional<std::string> Find(std::string_view text);

    // The translation, or the text itself, with line breaks made carriage return and line feed
    // pairs (a lone carriage return is lost). Raises EGnuGettextError "Error: Could not translate
    // ..." when a non-empty text comes out empty (an empty or undecodable translation).
    std::string Lookup(std::string_view text);

    // Why the catalogue was turned off, once; nothing when it was not.
    std::optional<std::string> TakeReport();

private:
    void OpenOnce();

    std::string FLocaleDirectory;
    std::string FLanguageCode;
    mutable std::mutex FLock;
    TCatalogueState FState = TCatalogueState::NotTried;
    std::unique_ptr<TMoCatalogue> FCatalogue;
    std::optional<std::string> FReport;
};

// Carriage returns out, for the search.
std::string WithoutCarriageReturns(std::string_view text);
// A carriage return before every line feed: the line breaks of a looked-up text.
std::string WithCarriageReturns(std::string_view text);

} // namespace tintwell
