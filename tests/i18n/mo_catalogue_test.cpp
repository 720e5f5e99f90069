#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "i18n/mo_catalogue.h"
#include "support/catalogue_files.h"
#include "support/temp_dir.h"

namespace tintwell {
namespace {

using test::CompileCatalogue;
using test::PoEntry;
using test::PoHeader;

std::vector<std::uint8_t> Compiled(const std::string& poText, const std::string& extra = "") {
    test::TempDir folder;
    const std::string path = folder.Path("c.mo");
    CompileCatalogue(path, poText, extra);
    return test::ReadBytes(path);
}

std::string Smallest() { return PoHeader() + PoEntry("Hello", "Hallo") + PoEntry("Zebra", "Zebra (de)"); }

// Built with += : GCC 12 warns falsely (-Wrestrict) on a literal + std::string temporary.
std::string Numbered(const char* prefix, int number) {
    std::string text(prefix);
    text += std::to_string(number);
    return text;
}

std::string NotValid(const std::string& name) {
    return "This file is not a valid GNU gettext mo file: " + name;
}

class ByteOrder : public ::testing::TestWithParam<const char*> {};

TEST_P(ByteOrder, FindsEveryEntryAndNothingElse) {
    const std::string po = PoHeader() + PoEntry("Hello", "Hallo") + PoEntry("Open \\\"%s\\\"", "Öffne „%s“") +
                           PoEntry("Zebra", "Zebra (de)") + PoEntry("ä", "ae");
    const TMoCatalogue catalogue(Compiled(po, std::string("--endianness=") + GetParam()), "c.mo");
    EXPECT_EQ(catalogue.Count(), 5u);
    EXPECT_EQ(catalogue.Find("ä"), "ae"); // the header is an entry too
    EXPECT_EQ(catalogue.Find("Hello"), "Hallo");
    EXPECT_EQ(catalogue.Find("Open \"%s\""), "Öffne „%s“");
    EXPECT_EQ(catalogue.Find("Zebra"), "Zebra (de)");
    EXPECT_TRUE(HasUtf8Charset(catalogue.Header()));
    for (const char* absent : {"hello", "Hell", "Hello ", "A", "Zz", "Open"})
        EXPECT_EQ(catalogue.Find(absent), std::nullopt) << absent;
}

INSTANTIATE_TEST_SUITE_P(, ByteOrder, ::testing::Values("little", "big"));

TEST(MoCatalogue, BinarySearchFindsEachOfManyEntriesInByteOrder) {
    std::string po = PoHeader();
    // Upper case sorts before lower case and "é" after every ASCII letter in byte order.
    for (int i = 0; i < 500; ++i)
        po += PoEntry(Numbered("text ", i * 2), Numbered("T", i));
    po += PoEntry("Zulu", "z") + PoEntry("alpha", "a") + PoEntry("été", "summer");
    const TMoCatalogue catalogue(Compiled(po), "c.mo");
    for (int i = 0; i < 500; ++i) {
        EXPECT_EQ(catalogue.Find(Numbered("text ", i * 2)), Numbered("T", i));
        EXPECT_EQ(catalogue.Find(Numbered("text ", i * 2 + 1)), std::nullopt);
    }
    EXPECT_EQ(catalogue.Find("Zulu"), "z");
    EXPECT_EQ(catalogue.Find("alpha"), "a");
    EXPECT_EQ(catalogue.Find("été"), "summer");
}

TEST(MoCatalogue, APluralEntryMatchesItsSingularAndGivesTheFirstForm) {
    const std::string po = PoHeader() + "msgid \"one file\"\nmsgid_plural \"%d files\"\n"
                                        "msgstr[0] \"eine Datei\"\nmsgstr[1] \"%d Dateien\"\n\n";
    const TMoCatalogue catalogue(Compiled(po), "c.mo");
    EXPECT_EQ(catalogue.Find("one file"), "eine Datei");
    EXPECT_EQ(catalogue.Find("%d files"), std::nullopt);
}

TEST(MoCatalogue, EveryCutOfAValidFileIsRefusedWithTheMessage) {
    const std::vector<std::uint8_t> whole = Compiled(Smallest());
    for (std::size_t size = 0; size < whole.size(); ++size) {
        try {
            TMoCatalogue({whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)}, "cut.mo");
            ADD_FAILURE() << "a file cut to " << size << " bytes was accepted";
        } catch (const EGnuGettextError& error) {
            EXPECT_EQ(error.Message(), NotValid("cut.mo"));
        }
    }
    EXPECT_NO_THROW(TMoCatalogue(whole, "whole.mo"));
}

void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    std::memcpy(bytes.data() + offset, &value, 4); // msgfmt writes this machine's order by default
}

std::uint32_t Get32(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

struct DamageCase {
    const char* name;
    void (*damage)(std::vector<std::uint8_t>&);
};

const DamageCase kDamage[] = {
    {"wrong_magic", [](auto& b) { Put32(b, 0, 0x12345678); }},
    {"revision_2", [](auto& b) { Put32(b, 4, 0x00020000); }},
    {"count_past_the_end", [](auto& b) { Put32(b, 8, 0x10000000); }},
    {"count_that_wraps", [](auto& b) { Put32(b, 8, 0xFFFFFFFF); }},
    {"identifiers_past_the_end", [](auto& b) { Put32(b, 12, static_cast<std::uint32_t>(b.size()) - 4); }},
    {"translations_past_the_end", [](auto& b) { Put32(b, 16, 0xFFFFFFF0); }},
    {"identifier_offset_past_the_end", [](auto& b) { Put32(b, Get32(b, 12) + 4, 0xFFFFFFF0); }},
    {"translation_longer_than_the_file", [](auto& b) { Put32(b, Get32(b, 16) + 8, 0x7FFFFFFF); }},
    {"translation_without_terminator",
     [](auto& b) { b[Get32(b, Get32(b, 16) + 4) + Get32(b, Get32(b, 16))] = 'x'; }},
    {"not_a_catalogue_at_all", [](auto& b) { std::fill(b.begin(), b.end(), std::uint8_t('A')); }},
};

class DamagedCatalogue : public ::testing::TestWithParam<DamageCase> {};

TEST_P(DamagedCatalogue, IsRefusedWithTheMessage) {
    std::vector<std::uint8_t> bytes = Compiled(Smallest());
    GetParam().damage(bytes);
    try {
        TMoCatalogue(bytes, "/some/where/default.mo");
        FAIL() << "accepted";
    } catch (const EGnuGettextError& error) {
        EXPECT_EQ(error.Message(), NotValid("/some/where/default.mo"));
    }
}

INSTANTIATE_TEST_SUITE_P(, DamagedCatalogue, ::testing::ValuesIn(kDamage),
                         [](const auto& row) { return std::string(row.param.name); });

struct CharsetCase {
    const char* name;
    const char* header;
    bool utf8;
};

const CharsetCase kCharsets[] = {
    {"utf8", "Project-Id-Version: x\nContent-Type: text/plain; charset=UTF-8\n", true},
    {"any_case", "content-type: text/plain; CHARSET=utf-8\n", true},
    {"last_line_without_break", "MIME-Version: 1.0\nContent-Type: text/plain; charset=UTF-8", true},
    {"latin1", "Content-Type: text/plain; charset=ISO-8859-1\n", false},
    {"charset_on_another_line", "Content-Type: text/plain\nX-Note: charset=UTF-8\n", false},
    {"no_content_type", "MIME-Version: 1.0\n", false},
    {"no_header", "", false},
};

class Charset : public ::testing::TestWithParam<CharsetCase> {};

TEST_P(Charset, IsReadFromTheContentTypeLine) {
    EXPECT_EQ(HasUtf8Charset(GetParam().header), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(, Charset, ::testing::ValuesIn(kCharsets),
                         [](const auto& row) { return std::string(row.param.name); });

struct Utf8Case {
    const char* name;
    std::string bytes;
    bool valid;
};

const Utf8Case kUtf8[] = {
    {"ascii", "Hallo", true},
    {"two_three_four_bytes", "\xC3\xA4 \xE2\x80\x9E \xF0\x9F\x8E\xA8", true},
    {"latin1_umlaut", "M\xE4rz", false},
    {"overlong_slash", "\xC0\xAF", false},
    {"overlong_three", "\xE0\x80\xAF", false},
    {"surrogate", "\xED\xA0\x80", false},
    {"above_10FFFF", "\xF4\x90\x80\x80", false},
    {"cut_at_the_end", "ab\xE2\x80", false},
    {"lone_continuation", "\x80", false},
    {"five_byte_lead", "\xF8\x88\x80\x80\x80", false},
    {"empty", "", true},
};

class StrictUtf8 : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(StrictUtf8, AcceptsOnlyWellFormedText) { EXPECT_EQ(IsValidUtf8(GetParam().bytes), GetParam().valid); }

INSTANTIATE_TEST_SUITE_P(, StrictUtf8, ::testing::ValuesIn(kUtf8),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace tintwell
