#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "i18n/gnu_gettext.h"
#include "support/catalogue_files.h"
#include "support/temp_dir.h"

namespace tintwell {
namespace {

using test::CatalogueUnder;
using test::CompileCatalogue;
using test::PoEntry;
using test::PoHeader;

class CatalogueFile : public ::testing::Test {
protected:
    test::TempDir FLocale;
    std::string Dir() const { return FLocale.Path("locale"); }
    void Make(const std::string& folder) { CompileCatalogue(CatalogueUnder(Dir(), folder), PoHeader()); }
};

TEST_F(CatalogueFile, IsLookedForUnderTheFullCodeThenItsFirstTwoLetters) {
    Make("de");
    EXPECT_EQ(FindCatalogueFile(Dir(), "de_DE", "default"), CatalogueUnder(Dir(), "de"));
    Make("de_DE");
    EXPECT_EQ(FindCatalogueFile(Dir(), "de_DE", "default"), CatalogueUnder(Dir(), "de_DE"));
    EXPECT_EQ(FindCatalogueFile(Dir(), "de_AT", "default"), CatalogueUnder(Dir(), "de"));
    EXPECT_EQ(FindCatalogueFile(Dir(), "de", "default"), CatalogueUnder(Dir(), "de"));
    EXPECT_EQ(FindCatalogueFile(Dir(), "fr_CA", "default"), "");
    EXPECT_EQ(FindCatalogueFile(Dir(), "C", "default"), "");
    EXPECT_EQ(FindCatalogueFile(Dir(), "", "default"), "");
}

TEST_F(CatalogueFile, ACodeThatCouldLeaveTheLocaleFolderFindsNothing) {
    Make("de");
    // A catalogue one level up, where "../locale/de" and "de/../de" would reach.
    for (const char* code : {"../locale/de", "de/../de", "de/", "..", "de_DE/.."})
        EXPECT_EQ(FindCatalogueFile(Dir(), code, "default"), "") << code;
}

class Domain : public ::testing::Test {
protected:
    test::TempDir FLocale;
    std::string Dir() const { return FLocale.Path("locale"); }
    std::string Compile(const std::string& folder, const std::string& po) {
        const std::string path = CatalogueUnder(Dir(), folder);
        CompileCatalogue(path, po);
        return path;
    }
};

TEST_F(Domain, OpensAtTheFirstLookupAndTranslates) {
    Compile("de", PoHeader() + PoEntry("Bitmaps", "Bitmaps (de)"));
    TGnuGettext domain(Dir(), "de_DE");
    EXPECT_EQ(domain.State(), TCatalogueState::NotTried);
    EXPECT_EQ(domain.Lookup("Bitmaps"), "Bitmaps (de)");
    EXPECT_EQ(domain.State(), TCatalogueState::Open);
    EXPECT_EQ(domain.Lookup("Icons"), "Icons");
    EXPECT_EQ(domain.Find("Icons"), std::nullopt);
    EXPECT_EQ(domain.TakeReport(), std::nullopt);
}

TEST_F(Domain, WithoutACatalogueEveryTextStaysAsWrittenAndNothingIsReported) {
    TGnuGettext domain(Dir(), "fr_CA");
    EXPECT_EQ(domain.Lookup("Bitmaps"), "Bitmaps");
    EXPECT_EQ(domain.State(), TCatalogueState::NotFound);
    EXPECT_EQ(domain.TakeReport(), std::nullopt);
}

TEST_F(Domain, LineBreaksMatchWithoutCarriageReturnsAndComeBackWithThem) {
    Compile("de", PoHeader() + PoEntry("Line one\\nLine two", "Zeile eins\\nZeile zwei"));
    TGnuGettext domain(Dir(), "de");
    EXPECT_EQ(domain.Lookup("Line one\r\nLine two"), "Zeile eins\r\nZeile zwei");
    EXPECT_EQ(domain.Lookup("Line one\nLine two"), "Zeile eins\r\nZeile zwei");
    // Untranslated texts follow the same rule; a carriage return without a line feed is lost.
    EXPECT_EQ(domain.Lookup("a\nb\r\nc"), "a\r\nb\r\nc");
    EXPECT_EQ(domain.Lookup("a\rb"), "ab");
    EXPECT_EQ(domain.Lookup(""), "");
}

TEST_F(Domain, ALatin1CatalogueIsReportedOnceAndThenTreatedAsAbsent) {
    const std::string file = Compile("de", PoHeader("ISO-8859-1") + PoEntry("Bitmaps", "Bitmaps (de)"));
    TGnuGettext domain(Dir(), "de_DE");
    EXPECT_EQ(domain.Lookup("Bitmaps"), "Bitmaps");
    EXPECT_EQ(domain.State(), TCatalogueState::NotFound);
    EXPECT_EQ(domain.TakeReport(), "The translation for the language code de_DE (in " + file +
                                       ") does not have charset=utf-8 in its Content-Type. Translations are "
                                       "turned off.");
    EXPECT_EQ(domain.Lookup("Bitmaps"), "Bitmaps");
    EXPECT_EQ(domain.TakeReport(), std::nullopt);
}

TEST_F(Domain, AFileThatIsNotACatalogueIsReportedOnce) {
    const std::string file = CatalogueUnder(Dir(), "de");
    std::filesystem::create_directories(std::filesystem::path(file).parent_path());
    std::ofstream(file) << "this is no catalogue, but long enough to have a header";
    TGnuGettext domain(Dir(), "de");
    EXPECT_EQ(domain.Lookup("Bitmaps"), "Bitmaps");
    EXPECT_EQ(domain.TakeReport(), "This file is not a valid GNU gettext mo file: " + file);
    EXPECT_EQ(domain.TakeReport(), std::nullopt);
}

TEST_F(Domain, ATranslationThatIsNotUtf8CannotBeTranslated) {
    const std::string file = Compile("de", PoHeader() + PoEntry("Bitmaps", "Bitmaps (deX)"));
    ASSERT_TRUE(test::MakeUndecodable(file, "(deX"));
    TGnuGettext domain(Dir(), "de");
    const std::string message =
        "Error: Could not translate Bitmaps. Probably because the mo file doesn't contain "
        "utf-8 encoded translations.";
    try {
        domain.Lookup("Bitmaps");
        FAIL() << "translated";
    } catch (const EGnuGettextError& error) {
        EXPECT_EQ(error.Message(), message);
    }
    EXPECT_THROW(domain.Find("Bitmaps"), EGnuGettextError);
    // The catalogue itself stays open for every other text.
    EXPECT_EQ(domain.State(), TCatalogueState::Open);
    EXPECT_EQ(domain.Lookup("Icons"), "Icons");
}

} // namespace
} // namespace tintwell
