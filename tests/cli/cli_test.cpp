#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/run_cli.h"

namespace tintwell::cli {
namespace {

struct ColourArgCase {
    const char* name;
    std::string text;
    std::optional<TColor> expected;
};
void PrintTo(const ColourArgCase& c, std::ostream* os) { *os << c.name << " '" << c.text << "'"; }

const ColourArgCase kColourArgs[] = {
    {"hash_upper", "#336699", RGB(0x33, 0x66, 0x99)},
    {"hash_lower", "#aBcDeF", RGB(0xAB, 0xCD, 0xEF)},
    {"bare_hex", "FF8000", RGB(255, 128, 0)},
    {"decimal", "0,128,255", RGB(0, 128, 255)},
    {"decimal_leading_zeros", "007,0,255", RGB(7, 0, 255)},
    {"empty", "", std::nullopt},
    {"hash_only", "#", std::nullopt},
    {"short_hex", "#FF800", std::nullopt},
    {"long_hex", "#FF80000", std::nullopt},
    {"bad_hex_digit", "#12345G", std::nullopt},
    {"blank_in_hex", "#12 456", std::nullopt},
    {"trailing_blank", "#123456 ", std::nullopt},
    {"two_channels", "1,2", std::nullopt},
    {"four_channels", "1,2,3,4", std::nullopt},
    {"empty_channel", "1,,3", std::nullopt},
    {"trailing_comma", "1,2,3,", std::nullopt},
    {"channel_over_255", "256,0,0", std::nullopt},
    {"four_digit_channel", "0255,0,0", std::nullopt},
    {"negative_channel", "-1,0,0", std::nullopt},
    {"blank_after_comma", "1, 2,3", std::nullopt},
    {"control_char", "\x1B[31m", std::nullopt},
    {"non_ascii", "#\xC3\xA9\xC3\xA9\xC3\xA9", std::nullopt},
    {"very_long", std::string(100000, 'A'), std::nullopt},
};

class ColourArgument : public ::testing::TestWithParam<ColourArgCase> {};

TEST_P(ColourArgument, ParsesTheThreeForms) {
    EXPECT_EQ(ParseColourArgument(GetParam().text), GetParam().expected);
}

TEST_P(ColourArgument, ShowAcceptsOrExitsTwo) {
    const Result r = RunWith({"show", GetParam().text, "--json"});
    if (GetParam().expected) {
        EXPECT_EQ(r.code, kExitOk);
        EXPECT_EQ(r.err, "");
    } else {
        EXPECT_EQ(r.code, kExitUsage);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("is not a colour; use #RRGGBB or RRGGBB"), std::string::npos) << r.err;
        EXPECT_LT(r.err.size(), 400u) << "the message must stay short whatever the argument";
        for (const char c : r.err) {
            if (c != '\n') {
                EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "unescaped byte " << int(static_cast<unsigned char>(c));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, ColourArgument, ::testing::ValuesIn(kColourArgs),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Show, JsonAtMidGray) {
    const Result r = RunWith({"show", "#808080", "--json"});
    EXPECT_EQ(r.code, kExitOk);
    EXPECT_EQ(r.out, "{\"original\":\"#808080\",\"inverse\":\"#7F7F7F\",\"corrected\":\"#FFFFFF\","
                     "\"correction\":\"maximized\",\"hsv\":[0,0,50],"
                     "\"scheme\":[\"#CCCCCC\",\"#808080\",\"#CCCCCC\",\"#808080\",\"#808080\"]}\n");
}

TEST(Show, JsonWithCorrectionInEitherSpelling) {
    const std::string expected =
        "{\"original\":\"#336699\",\"inverse\":\"#CC9966\",\"corrected\":\"#FFFFCC\",\"correction\":"
        "\"partial\","
        "\"hsv\":[210,67,60],\"scheme\":[\"#4C99E6\",\"#998832\",\"#E6B24C\",\"#666666\",\"#999999\"]}\n";
    EXPECT_EQ(RunWith({"show", "51,102,153", "--correction", "partial", "--json"}).out, expected);
    EXPECT_EQ(RunWith({"--json", "show", "51,102,153"}).code, kExitUsage) << "options belong to the command";
    EXPECT_EQ(RunWith({"show", "--correction=partial", "--json", "#336699"}).out, expected);
}

// show -: a line of output for each line of input, in order; a bad line is named by its number on
// standard error while the rest go on, and the exit status says so at the end.
TEST(ShowBatch, OneLineEachAndBadLinesByNumber) {
    const Result r =
        RunWith({"show", "-", "--correction", "partial"}, "808080\n#336699\r\nnope\n\n51,102,153\n");
    EXPECT_EQ(r.code, kExitFileFailed);
    EXPECT_EQ(r.out, "#808080 #7F7F7F #7F7F7F 0,0,50 #CCCCCC #808080 #CCCCCC #808080 #808080\n"
                     "#336699 #CC9966 #FFFFCC 210,67,60 #4C99E6 #998832 #E6B24C #666666 #999999\n"
                     "#336699 #CC9966 #FFFFCC 210,67,60 #4C99E6 #998832 #E6B24C #666666 #999999\n");
    EXPECT_EQ(r.err, "tintwell-cli: line 3: 'nope' is not a colour; use #RRGGBB or RRGGBB (hexadecimal) or "
                     "R,G,B (decimal 0..255)\n"
                     "tintwell-cli: line 4: '' is not a colour; use #RRGGBB or RRGGBB (hexadecimal) or "
                     "R,G,B (decimal 0..255)\n");
    EXPECT_NE(RunWith({"show", "808080", "--correction", "partial", "--json"})
                  .out.find("\"corrected\":\"#7F7F7F\""),
              std::string::npos)
        << "the batch line says what the single colour says";
}

TEST(ShowBatch, JsonGivesTheSingleColoursObjectPerLine) {
    const Result batch = RunWith({"show", "-", "--json"}, "#336699\n10,20,30");
    EXPECT_EQ(batch.code, kExitOk);
    EXPECT_EQ(batch.out,
              RunWith({"show", "#336699", "--json"}).out + RunWith({"show", "10,20,30", "--json"}).out);
    EXPECT_TRUE(batch.err.empty());
}

TEST(ShowBatch, NoInputNoOutput) {
    const Result r = RunWith({"show", "-"}, "");
    EXPECT_EQ(r.code, kExitOk);
    EXPECT_TRUE(r.out.empty());
}

TEST(Show, TextHasOneLinePerReadout) {
    const Result r = RunWith({"show", "#336699", "--correction", "average"});
    EXPECT_EQ(r.code, kExitOk);
    EXPECT_EQ(r.out, "original    #336699  51,102,153\n"
                     "inverse     #CC9966  204,153,102\n"
                     "corrected   #FFCC99  255,204,153  (average)\n"
                     "hsv         210,67,60\n"
                     "scheme 1    #4C99E6  76,153,230\n"
                     "scheme 2    #998832  153,136,50\n"
                     "scheme 3    #E6B24C  230,178,76\n"
                     "scheme 4    #666666  102,102,102\n"
                     "scheme 5    #999999  153,153,153\n");
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    const char* errorPart;
};
void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

const UsageCase kUsageErrors[] = {
    {"no_arguments", {}, "no command given"},
    {"unknown_command", {"paint"}, "unknown command 'paint'"},
    {"show_without_colour", {"show"}, "show needs a colour"},
    {"two_colours", {"show", "#000000", "#FFFFFF"}, "is a second one"},
    {"correction_without_value", {"show", "#000000", "--correction"}, "--correction needs a value"},
    {"unknown_correction",
     {"show", "#000000", "--correction", "Maximized"},
     "'Maximized' is not a correction"},
    {"unknown_option", {"show", "#000000", "--jsn"}, "unknown option '--jsn'"},
    {"escape_in_command", {"\x1B]0;x\x07"}, "unknown command '\\x1B]0;x\\x07'"},
};

class UsageErrors : public ::testing::TestWithParam<UsageCase> {};

TEST_P(UsageErrors, ExitTwoWithAReason) {
    const Result r = RunWith(GetParam().args);
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(GetParam().errorPart), std::string::npos) << r.err;
    EXPECT_EQ(r.err.rfind("tintwell-cli: ", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(, UsageErrors, ::testing::ValuesIn(kUsageErrors),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(HelpAndVersion, GoToStdoutWithExitZero) {
    const Result help = RunWith({"--help"});
    EXPECT_EQ(help.code, kExitOk);
    EXPECT_NE(help.out.find("show COLOUR [--correction maximized|average|partial] [--json]"),
              std::string::npos);
    EXPECT_EQ(help.err, "");
    const Result version = RunWith({"--version"});
    EXPECT_EQ(version.code, kExitOk);
    EXPECT_EQ(version.out, "tintwell-cli " TINTWELL_PROJECT_VERSION "\n");
}

TEST(JsonString, EscapesWhatJsonForbids) {
    EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(JsonString(std::string("\n\t\x01", 3)), "\"\\n\\t\\u0001\"");
    EXPECT_EQ(JsonString("\xC3\xA9"), "\"\xC3\xA9\"");
}

TEST(Printable, EscapesAndCuts) {
    EXPECT_EQ(Printable("ok #1"), "ok #1");
    EXPECT_EQ(Printable("a\\b"), "a\\x5Cb");
    EXPECT_EQ(Printable(std::string(61, 'x')), std::string(60, 'x') + "...");
    EXPECT_EQ(Printable("\xFF"), "\\xFF");
}

} // namespace
} // namespace tintwell::cli
