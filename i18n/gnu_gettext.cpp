#include "i18n/gnu_gettext.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>

namespace tintwell {
namespace {

// Far above any real catalogue (10,000 entries take about 1 MB); a bigger file is not read whole.
constexpr std::uintmax_t kMaxCatalogueBytes = 64u << 20;

bool IsRegularFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::vector<std::uint8_t> ReadCatalogueFile(const std::string& fileName) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(fileName, error);
    if (error || size > kMaxCatalogueBytes)
        throw EGnuGettextError("This file is not a valid GNU gettext mo file: " + fileName);
    std::ifstream file(fileName, std::ios::binary);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (!file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
        throw EGnuGettextError("This file is not a valid GNU gettext mo file: " + fileName);
    return bytes;
}

// The texts about a catalogue that fails are not looked up in that catalogue.
EGnuGettextError CouldNotTranslate(std::string_view text) {
    return EGnuGettextError("Error: Could not translate " + std::string(text) +
                            ". Probably because the mo file doesn't contain utf-8 encoded translations.");
}

} // namespace

std::string FindCatalogueFile(const std::string& localeDirectory, std::string_view code,
                              std::string_view domain) {
    if (code.empty() || code.find('/') != std::string_view::npos || code.find("..") != std::string_view::npos)
        return {};
    const auto fileFor = [&](std::string_view folder) {
        return localeDirectory + "/" + std::string(folder) + "/LC_MESSAGES/" + std::string(domain) + ".mo";
    };
    if (std::string file = fileFor(code); IsRegularFile(file))
        return file;
    if (code.size() > 2)
        if (std::string file = fileFor(code.substr(0, 2)); IsRegularFile(file))
            return file;
    return {};
}

std::string WithoutCarriageReturns(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text)
        if (c != '\r')
            result += c;
    return result;
}

std::string WithCarriageReturns(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r')
            continue;
        if (text[i] == '\n')
            result += '\r';
        result += text[i];
    }
    return result;
}

TGnuGettext::TGnuGettext(std::string localeDirectory, std::string languageCode)
    : FLocaleDirectory(std::move(localeDirectory)), FLanguageCode(std::move(languageCode)) {}

TCatalogueState TGnuGettext::State() const {
    std::lock_guard lock(FLock);
    return FState;
}

void TGnuGettext::OpenOnce() {
    if (FState != TCatalogueState::NotTried)
        return;
    FState = TCatalogueState::NotFound;
    const std::string file = FindCatalogueFile(FLocaleDirectory, FLanguageCode, kTextDomain);
    if (file.empty())
        return;
    try {
        auto catalogue = std::make_unique<TMoCatalogue>(ReadCatalogueFile(file), file);
        if (!HasUtf8Charset(catalogue->Header()))
            throw EGnuGettextError(
                "The translation for the language code " + FLanguageCode + " (in " + file +
                ") does not have charset=utf-8 in its Content-Type. Translations are turned off.");
        FCatalogue = std::move(catalogue);
        FState = TCatalogueState::Open;
    } catch (const EGnuGettextError& error) {
        FReport = error.Message();
    }
}

std::optional<std::string> TGnuGettext::Find(std::string_view text) {
    // The empty identifier is the catalogue's header, not a translation of the empty text.
    if (text.empty())
        return std::nullopt;
    std::lock_guard lock(FLock);
    OpenOnce();
    if (!FCatalogue)
        return std::nullopt;
    const std::optional<std::string_view> translation = FCatalogue->Find(WithoutCarriageReturns(text));
    if (!translation)
        return std::nullopt;
    if (!IsValidUtf8(*translation))
        throw CouldNotTranslate(text);
    return std::string(*translation);
}

std::string TGnuGettext::Lookup(std::string_view text) {
    const std::optional<std::string> translation = Find(text);
    std::string result = WithCarriageReturns(translation ? *translation : text);
    if (!text.empty() && result.empty())
        throw CouldNotTranslate(text);
    return result;
}

std::optional<std::string> TGnuGettext::TakeReport() {
    std::lock_guard lock(FLock);
    return std::exchange(FReport, std::nullopt);
}

} // namespace tintwell
