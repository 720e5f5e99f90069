#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocale>
#include <filesystem>

#include "core/conversions.h"
#include "core/resource_text.h"
#include "i18n/language.h"
#include "i18n/translation.h"
#include "support/catalogue_files.h"
#include "support/fake_platform_services.h"
#include "support/temp_dir.h"

namespace tintwell {
namespace {

using test::CatalogueUnder;
using test::CompileCatalogue;
using test::PoEntry;
using test::PoHeader;

std::uint32_t Id(QLocale::Language language, QLocale::Territory territory) {
    return std::uint32_t(language) << 16 | std::uint32_t(territory);
}

struct LanguageCase {
    const char* name;
    std::string lang;
    std::pair<std::string, std::string> isoNames;
    std::uint32_t localeId;
    std::string expected;
};

const LanguageCase kLanguages[] = {
    {"lang_with_charset", "de_DE.UTF-8", {"en", "US"}, 0, "de_DE"},
    {"lang_alone_wins", "pt_BR", {"fr", "CA"}, 0, "pt_BR"},
    {"lang_with_modifier_cut_at_dot", "sr_RS.UTF-8@latin", {"en", "US"}, 0, "sr_RS"},
    {"lang_C", "C", {"de", "DE"}, 0, "C"},
    {"lang_C_UTF8", "C.UTF-8", {"de", "DE"}, 0, "C"},
    {"empty_lang_user_locale", "", {"fr", "CA"}, 0, "fr_CA"},
    {"empty_lang_three_letter_language",
     "",
     {"fil", "PH"},
     Id(QLocale::Filipino, QLocale::Philippines),
     "fil_PH"},
    {"empty_lang_no_country", "", {"de", ""}, Id(QLocale::German, QLocale::AnyTerritory), "de"},
    {"empty_lang_unknown_locale", "", {"", ""}, 0, "C"},
    {"empty_lang_digits_are_no_letters", "", {"d1", "DE"}, 0, "C"},
};

class LanguageChoice : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(LanguageChoice, FollowsLangThenTheUserLocaleThenTheTable) {
    test::TFakePlatformServices platform;
    platform.Lang = GetParam().lang;
    platform.IsoNames = GetParam().isoNames;
    platform.LocaleId = GetParam().localeId;
    EXPECT_EQ(ChooseLanguage(platform), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(, LanguageChoice, ::testing::ValuesIn(kLanguages),
                         [](const auto& row) { return std::string(row.param.name); });

class TranslationModule : public ::testing::Test {
protected:
    test::TempDir FFolder;
    std::string Locale() const { return FFolder.Path("locale"); }
    void Compile(const std::string& folder, const std::string& po) {
        CompileCatalogue(CatalogueUnder(Locale(), folder), po);
    }
    std::string German() const {
        return PoHeader() + PoEntry("Bitmaps", "Bitmaps (de)") +
               PoEntry("'%s' is not a valid integer value", "„%s“ ist kein gültiger Ganzzahlwert") +
               PoEntry("'%s' is not a valid floating point value", "„%s“ ist kein gültiger Gleitkommawert") +
               PoEntry("OK", "OK (de)") + PoEntry("&Capture", "&Erfassen");
    }
};

TEST_F(TranslationModule, AProgramFindsTheCatalogueBesideItself) {
    Compile("fr", PoHeader() + PoEntry("Bitmaps", "Images bitmap"));
    test::TFakePlatformServices platform;
    platform.IsoNames = {"fr", "CA"}; // LANG empty: French as used in Canada, only "fr" present
    const TTranslationModule module(platform, FFolder.Path("tintwell"));
    EXPECT_EQ(CurrentLanguage(), "fr_CA");
    EXPECT_EQ(ResString("Bitmaps"), "Images bitmap");
}

// Installed (bin/tintwell with share/tintwell/locale beside bin/), the program finds its catalogues
// there; a locale folder beside the program wins; with neither, the one beside it is named.
TEST(LocaleDirectory, BesideTheProgramElseTheInstalledShare) {
    const test::TempDir root;
    const std::filesystem::path top(root.Path(""));
    std::filesystem::create_directories(top / "share" / "tintwell" / "locale");
    std::filesystem::create_directories(top / "bin");
    const std::string program = (top / "bin" / "tintwell").string();
    EXPECT_EQ(std::filesystem::path(LocaleDirectoryOf(program)),
              (top / "share" / "tintwell" / "locale").lexically_normal());
    std::filesystem::create_directories(top / "bin" / "locale");
    EXPECT_EQ(std::filesystem::path(LocaleDirectoryOf(program)), top / "bin" / "locale");
    const std::string elsewhere = (top / "share" / "tintwell" / "tintwell").string();
    EXPECT_EQ(std::filesystem::path(LocaleDirectoryOf(elsewhere)), top / "share" / "tintwell" / "locale");
}

TEST_F(TranslationModule, AProgramFindsItsInstalledCatalogues) {
    std::filesystem::create_directories(FFolder.Path("bin"));
    CompileCatalogue(CatalogueUnder(FFolder.Path("share/tintwell/locale"), "fr"),
                     PoHeader() + PoEntry("Bitmaps", "Images bitmap"));
    test::TFakePlatformServices platform;
    platform.Lang = "fr_FR.UTF-8";
    const TTranslationModule module(platform, FFolder.Path("bin/tintwell"));
    EXPECT_EQ(ResString("Bitmaps"), "Images bitmap");
}

TEST_F(TranslationModule, RoutesResourceTextsQtTextsAndTranslateTextWhileItLives) {
    Compile("de", German());
    {
        const TTranslationModule module(Locale(), "de_AT");
        EXPECT_EQ(ResString("Bitmaps"), "Bitmaps (de)");
        EXPECT_EQ(ResString("Icons"), "Icons");
        EXPECT_EQ(TranslateText("&Capture"), "&Erfassen");
        EXPECT_EQ(TranslateText(QString("&Capture")), QString("&Erfassen"));
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "OK"), "OK (de)");
        // Look the format up, quotes and all, then fill it in: a formatted text would match no
        // entry, and the translation decides how the value is quoted.
        const auto messageOf = [](const auto& convert) -> std::string {
            try {
                convert();
            } catch (const EConvertError& error) {
                return error.Message();
            }
            return "converted";
        };
        EXPECT_EQ(messageOf([] { static_cast<void>(StrToInt("abc")); }),
                  "„abc“ ist kein gültiger Ganzzahlwert");
        EXPECT_EQ(messageOf([] { static_cast<void>(StrToFloat("1..5", '.')); }),
                  "„1..5“ ist kein gültiger Gleitkommawert");
    }
    EXPECT_EQ(ResString("Bitmaps"), "Bitmaps");
    EXPECT_EQ(TranslateText("&Capture"), "&Capture");
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "OK"), "OK");
    EXPECT_EQ(CurrentLanguage(), "C");
}

TEST_F(TranslationModule, ALatin1CatalogueIsReportedOnceAndEveryTextStaysEnglish) {
    Compile("de", PoHeader("ISO-8859-1") + PoEntry("Bitmaps", "Bitmaps (de)"));
    const TTranslationModule module(Locale(), "de_DE");
    EXPECT_EQ(ResString("Bitmaps"), "Bitmaps");
    EXPECT_EQ(TranslateText("Bitmaps"), "Bitmaps");
    const std::optional<std::string> report = TakeTranslationReport();
    ASSERT_TRUE(report);
    EXPECT_NE(report->find("does not have charset=utf-8 in its Content-Type. Translations are turned off."),
              std::string::npos);
    EXPECT_EQ(TakeTranslationReport(), std::nullopt);
}

TEST_F(TranslationModule, AnUndecodableEntryFailsTranslateTextButAResourceTextStaysEnglish) {
    Compile("de", PoHeader() + PoEntry("&Capture", "&ErfassenX") + PoEntry("Bitmaps", "Bitmaps (deX)"));
    for (const char* marker : {"&ErfassenX", "(deX"})
        ASSERT_TRUE(test::MakeUndecodable(CatalogueUnder(Locale(), "de"), marker));
    const TTranslationModule module(Locale(), "de");
    EXPECT_THROW(TranslateText("&Capture"), EGnuGettextError);
    EXPECT_EQ(ResString("Bitmaps"), "Bitmaps");
    EXPECT_EQ(ResString("Bitmaps"), "Bitmaps");
    EXPECT_EQ(TakeTranslationReport(),
              "Error: Could not translate Bitmaps. Probably because the mo file doesn't "
              "contain utf-8 encoded translations.");
    EXPECT_EQ(TakeTranslationReport(), std::nullopt);
}

TEST_F(TranslationModule, OnlyOneLivesAtATime) {
    const TTranslationModule module(Locale(), "de");
    EXPECT_THROW(TTranslationModule(Locale(), "fr"), std::logic_error);
    EXPECT_EQ(CurrentLanguage(), "de");
}

} // namespace
} // namespace tintwell
