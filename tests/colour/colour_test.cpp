#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <ostream>
#include <string>

#include "colour/colour.h"
#include "core/exception.h"
#include "support/scoped_global.h"

namespace tintwell {
namespace {

std::string Hex(TColor c) { return ColorToHTML(c); }

TEST(ColorValue, BuildsAndReadsChannels) {
    EXPECT_EQ(RGB(1, 2, 3), 0x030201);
    EXPECT_EQ(RGB(0x1FF, 0x100, -1), RGB(0xFF, 0x00, 0xFF)) << "only the low 8 bits of each argument count";
    EXPECT_EQ(GetRValue(0x00ABCDEF), 0xEF);
    EXPECT_EQ(GetGValue(0x00ABCDEF), 0xCD);
    EXPECT_EQ(GetBValue(0x00ABCDEF), 0xAB);
}

std::array<TColor, 256> SystemColorTable() {
    std::array<TColor, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[static_cast<std::size_t>(i)] = ColorToRGB(SystemColorOf(i));
    return table;
}

TEST(ColorToRGB, ResolvesSystemColoursOnly) {
    EXPECT_EQ(ColorToRGB(RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(ColorToRGB(clNone), clNone);
    EXPECT_EQ(ColorToRGB(clGrayText), RGB(0x6D, 0x6D, 0x6D)) << "the table's default";
    const test::TScopedGlobal<TColor> grayText([](TColor rgb) { return SetSystemColor(COLOR_GRAYTEXT, rgb); },
                                               RGB(9, 8, 7));
    EXPECT_EQ(ColorToRGB(clGrayText), RGB(9, 8, 7));
    EXPECT_EQ(ColorToHTML(clGrayText), "#090807");
    EXPECT_EQ(ColorToRGB(SystemColorOf(COLOR_WINDOW)), RGB(255, 255, 255)) << "the other entries stay";
}

TEST(SetSystemColor, ReturnsTheEntryItReplaced) {
    const TColor original = ColorToRGB(clGrayText);
    EXPECT_EQ(SetSystemColor(COLOR_GRAYTEXT, RGB(1, 2, 3)), original);
    EXPECT_EQ(SetSystemColor(COLOR_GRAYTEXT, original), RGB(1, 2, 3));
    EXPECT_EQ(ColorToRGB(clGrayText), original);
}

TEST(SetSystemColor, IgnoresIndexesOutsideTheTable) {
    const std::array<TColor, 256> before = SystemColorTable();
    for (const int index : {256, 300, -1, -256})
        EXPECT_EQ(SetSystemColor(index, RGB(1, 1, 1)), clNone) << index;
    EXPECT_EQ(SystemColorTable(), before);
}

struct HtmlCase {
    const char* name;
    TColor colour;
    const char* html;
    const char* rgbText;
};
void PrintTo(const HtmlCase& c, std::ostream* os) { *os << c.name; }

const HtmlCase kHtmlCases[] = {
    {"mid_gray", RGB(128, 128, 128), "#808080", "128,128,128"},
    {"magenta_ish", RGB(255, 0, 171), "#FF00AB", "255,0,171"},
    {"leading_zero", RGB(10, 200, 255), "#0AC8FF", "10,200,255"},
    {"black", RGB(0, 0, 0), "#000000", "0,0,0"},
    {"white", RGB(255, 255, 255), "#FFFFFF", "255,255,255"},
    {"azure", RGB(0, 128, 255), "#0080FF", "0,128,255"},
};

class HtmlTexts : public ::testing::TestWithParam<HtmlCase> {};

TEST_P(HtmlTexts, WritesBothTextForms) {
    EXPECT_EQ(ColorToHTML(GetParam().colour), GetParam().html);
    EXPECT_EQ(ColorToRGBText(GetParam().colour), GetParam().rgbText);
    EXPECT_EQ(HTMLToColor(GetParam().html), GetParam().colour);
}

INSTANTIATE_TEST_SUITE_P(, HtmlTexts, ::testing::ValuesIn(kHtmlCases),
                         [](const auto& row) { return std::string(row.param.name); });

struct ReadCase {
    const char* name;
    std::string code;
    TColor expected;
};
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name << " '" << c.code << "'"; }

const ReadCase kReadCases[] = {
    {"upper", "#FF8000", RGB(255, 128, 0)},
    {"lower", "#ff8000", RGB(255, 128, 0)},
    {"mixed", "#aBcDeF", RGB(0xAB, 0xCD, 0xEF)},
    {"black_is_zero", "#000000", 0},
    {"six_with_hash", "#FF800", 0},
    {"no_hash", "FF8000", 0},
    {"not_hex", "#GG0000", 0},
    {"minus_inside", "#-12345", 0},
    {"plus_inside", "#+12345", 0},
    {"dollar_inside", "#$12345", 0},
    {"eight_long", "#FF80001", 0},
    {"empty", "", 0},
    {"hash_only", "#", 0},
    {"inner_blank", "#12 345", 0},
    {"inner_control",
     std::string("#12\x01"
                 "345"),
     0},
    {"non_ascii_seven_bytes", "#\xC3\x84\xC3\x84\xC3\x84", 0},
    {"very_long", "#" + std::string(100000, 'F'), 0},
    {"blank_before", " #FF8000", 0},
    {"word", "xyz", 0},
};

class HtmlReader : public ::testing::TestWithParam<ReadCase> {};

TEST_P(HtmlReader, ReadsOrRejectsWithBlack) { EXPECT_EQ(HTMLToColor(GetParam().code), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(, HtmlReader, ::testing::ValuesIn(kReadCases),
                         [](const auto& row) { return std::string(row.param.name); });

struct StrippedEdgeCase {
    const char* name;
    std::string code;
    std::string message;
};
void PrintTo(const StrippedEdgeCase& c, std::ostream* os) { *os << c.name; }

// The character test strips codes <= 32 at both ends, the conversion does not: these get through
// the first and fail in the second, whose message shows the joined blue-green-red text.
const StrippedEdgeCase kStrippedEdges[] = {
    {"trailing_blank", "#12345 ", "'$5 3412' is not a valid integer value"},
    {"leading_blank", "# 12345", "'$4523 1' is not a valid integer value"},
    {"trailing_tab", "#12345\t", "'$5\t3412' is not a valid integer value"},
    {"trailing_nul", std::string("#12345\0", 7),
     std::string("'$5") + '\0' + "3412' is not a valid integer value"},
};

class HtmlReaderConversionError : public ::testing::TestWithParam<StrippedEdgeCase> {};

TEST_P(HtmlReaderConversionError, RaisesTheIntegerMessage) {
    try {
        HTMLToColor(GetParam().code);
        ADD_FAILURE() << "no error raised";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(, HtmlReaderConversionError, ::testing::ValuesIn(kStrippedEdges),
                         [](const auto& row) { return std::string(row.param.name); });

struct IsNumberCase {
    const char* name;
    std::string text;
    bool hex;
    char separator;
    bool expected;
};
void PrintTo(const IsNumberCase& c, std::ostream* os) {
    *os << c.name << " '" << c.text << "' hex=" << c.hex << " separator '" << c.separator << "'";
}

const IsNumberCase kIsNumberCases[] = {
    {"lone_minus", "-", false, '.', false},
    {"negative", "-12", false, '.', true},
    {"minus_inside", "1-2", false, '.', false},
    {"second_minus_after_leading", "-1-2", false, '.', true},
    {"blanks_around", " 12 ", false, '.', true},
    {"control_chars_around", "\t\n12\r\x01", false, '.', true},
    {"blank_inside", "1 2", false, '.', false},
    {"empty", "", false, '.', false},
    {"blanks_only", "   ", false, '.', false},
    {"minus_in_blanks", " - ", false, '.', false},
    {"point_separator_point", "1.5", false, '.', true},
    {"point_separator_comma", "1,5", false, '.', false},
    {"comma_separator_comma", "1,5", false, ',', true},
    {"comma_separator_point", "1.5", false, ',', false},
    {"only_separator", ".", false, '.', true},
    {"letters_decimal", "12a", false, '.', false},
    {"hex_lower", "ab12ef", true, '.', true},
    {"hex_negative", "-12", true, '.', false},
    {"hex_bad_letter", "12G", true, '.', false},
    {"hex_separator", "1.5", true, '.', false},
    {"hex_blanks_around", " FF ", true, '.', true},
    {"non_ascii_digit", "\xD9\xA3", false, '.', false},
    {"latin1_letter", "1\xE9", true, '.', false},
    {"del_is_not_stripped", "12\x7F", false, '.', false},
    {"very_long_digits", std::string(100000, '7'), false, '.', true},
    {"very_long_hex", std::string(100000, 'f'), true, '.', true},
};

class IsNumberTable : public ::testing::TestWithParam<IsNumberCase> {};

TEST_P(IsNumberTable, TestsCharactersOnly) {
    const IsNumberCase& c = GetParam();
    EXPECT_EQ(IsNumber(c.text, c.hex, c.separator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(, IsNumberTable, ::testing::ValuesIn(kIsNumberCases),
                         [](const auto& row) { return std::string(row.param.name); });

struct DerivedCase {
    const char* name;
    TColor colour;
    TColor inverse;
    TColor maximized;
    TColor average;
    TColor partial;
};
void PrintTo(const DerivedCase& c, std::ostream* os) { *os << c.name << " " << Hex(c.colour); }

const DerivedCase kDerivedCases[] = {
    {"mid_gray", RGB(128, 128, 128), RGB(127, 127, 127), RGB(255, 255, 255), RGB(127, 127, 127),
     RGB(127, 127, 127)},
    {"warm_red", RGB(200, 81, 80), RGB(55, 174, 175), RGB(135, 254, 255), RGB(96, 215, 216),
     RGB(175, 255, 255)},
    {"steel_blue", RGB(51, 102, 153), RGB(204, 153, 102), RGB(255, 204, 153), RGB(255, 204, 153),
     RGB(255, 255, 204)},
    {"pure_red", RGB(255, 0, 0), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
     RGB(255, 255, 255)},
    {"black", RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255)},
    {"white", RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255), RGB(255, 255, 255),
     RGB(255, 255, 255)},
    {"one_and_254", RGB(1, 254, 128), RGB(254, 1, 127), RGB(255, 2, 128), RGB(255, 128, 254),
     RGB(255, 254, 255)},
};

class DerivedColours : public ::testing::TestWithParam<DerivedCase> {};

TEST_P(DerivedColours, InverseAndCorrections) {
    const DerivedCase& c = GetParam();
    EXPECT_EQ(Hex(InvertColor(c.colour)), Hex(c.inverse));
    EXPECT_EQ(Hex(CorrectedInverse(c.colour, TGrayCorrectionMode::gcMaximized)), Hex(c.maximized));
    EXPECT_EQ(Hex(CorrectedInverse(c.colour, TGrayCorrectionMode::gcAverage)), Hex(c.average));
    EXPECT_EQ(Hex(CorrectedInverse(c.colour, TGrayCorrectionMode::gcPartial)), Hex(c.partial));
}

INSTANTIATE_TEST_SUITE_P(, DerivedColours, ::testing::ValuesIn(kDerivedCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(ColourOperations, IgnoreTheTopByte) {
    const TColor withTopByte = static_cast<TColor>(0x7F336699);
    EXPECT_EQ(InvertColor(withTopByte), InvertColor(0x336699));
    EXPECT_EQ(AddColors(withTopByte, withTopByte), AddColors(0x336699, 0x336699));
    EXPECT_EQ(CorrectedInverse(clGrayText, TGrayCorrectionMode::gcPartial) >> 24, 0);
}

TEST(AddColors, CapsEachChannel) {
    EXPECT_EQ(AddColors(RGB(200, 100, 0), RGB(100, 100, 100)), RGB(255, 200, 100));
    EXPECT_EQ(AddColors(RGB(255, 255, 255), RGB(255, 255, 255)), RGB(255, 255, 255));
    EXPECT_EQ(AddColors(0, RGB(1, 2, 3)), RGB(1, 2, 3));
}

TEST(GrayCorrection, AverageTruncatesTheMean) {
    // Sum 404: the mean is 134 (not 134.67 rounded to 135), so the gray level is 175 - 134.
    EXPECT_EQ(GrayCorrection(RGB(55, 174, 175), TGrayCorrectionMode::gcAverage), RGB(41, 41, 41));
    EXPECT_EQ(GrayCorrection(RGB(55, 174, 175), TGrayCorrectionMode::gcMaximized), RGB(80, 80, 80));
    EXPECT_EQ(GrayCorrection(RGB(55, 174, 175), TGrayCorrectionMode::gcPartial), RGB(120, 120, 120));
}

TEST(GrayCorrection, SelectorIndexMapsToMode) {
    EXPECT_EQ(GrayCorrectionModeFromIndex(0), TGrayCorrectionMode::gcMaximized);
    EXPECT_EQ(GrayCorrectionModeFromIndex(1), TGrayCorrectionMode::gcAverage);
    EXPECT_EQ(GrayCorrectionModeFromIndex(2), TGrayCorrectionMode::gcPartial);
    EXPECT_EQ(GrayCorrectionModeFromIndex(-1), TGrayCorrectionMode::gcMaximized);
    EXPECT_EQ(GrayCorrectionModeFromIndex(3), TGrayCorrectionMode::gcMaximized);
}

} // namespace
} // namespace tintwell
