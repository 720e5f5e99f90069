#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "core/file_name.h"

namespace tintwell {
namespace {

struct TExtCase {
    const char* FileName;
    const char* Extension;
};
void PrintTo(const TExtCase& row, std::ostream* os) { *os << "'" << row.FileName << "'"; }

class ExtractFileExtTable : public ::testing::TestWithParam<TExtCase> {};

TEST_P(ExtractFileExtTable, TakesTextAfterTheLastDot) {
    EXPECT_EQ(ExtractFileExt(GetParam().FileName), GetParam().Extension);
}

INSTANTIATE_TEST_SUITE_P(, ExtractFileExtTable,
                         ::testing::Values(TExtCase{"photo.JPG", "JPG"}, TExtCase{"a.b.tiff", "tiff"},
                                           TExtCase{"/x.y/name", ""}, TExtCase{"name", ""},
                                           TExtCase{"trailing.", ""}, TExtCase{".hidden", "hidden"},
                                           TExtCase{"/dir.d/f.bmp", "bmp"}, TExtCase{"", ""},
                                           TExtCase{"/dir/.", ""},
                                           TExtCase{"caf\xC3\xA9.J\xC3\x89G", "J\xC3\x89G"}));

struct TSameTextCase {
    const char* Name;
    std::string_view A;
    std::string_view B;
    bool Same;
};
void PrintTo(const TSameTextCase& row, std::ostream* os) { *os << row.Name; }

class SameTextAsciiTable : public ::testing::TestWithParam<TSameTextCase> {};

TEST_P(SameTextAsciiTable, FoldsOnlyAsciiLetters) {
    EXPECT_EQ(SameTextAscii(GetParam().A, GetParam().B), GetParam().Same);
    EXPECT_EQ(SameTextAscii(GetParam().B, GetParam().A), GetParam().Same) << "not symmetric";
}

INSTANTIATE_TEST_SUITE_P(
    , SameTextAsciiTable,
    ::testing::Values(TSameTextCase{"equal", "jpg", "jpg", true}, TSameTextCase{"upper", "JPG", "jpg", true},
                      TSameTextCase{"mixed", "TiFf", "tIfF", true}, TSameTextCase{"both_empty", "", "", true},
                      TSameTextCase{"one_empty", "", "a", false},
                      TSameTextCase{"prefix", "jpg", "jpgx", false},
                      TSameTextCase{"differs_in_last", "tif", "tig", false},
                      // '@' and '[' sit beside 'A' and 'Z'; '`' and '{' beside 'a' and 'z'.
                      TSameTextCase{"at_is_not_backquote", "@", "`", false},
                      TSameTextCase{"bracket_is_not_brace", "[", "{", false},
                      TSameTextCase{"digits_exact", "mp3", "MP3", true},
                      // Latin-1 and UTF-8 capitals are never folded, whatever the locale.
                      TSameTextCase{"latin1_capital", "\xC9", "\xE9", false},
                      TSameTextCase{"utf8_capital", "\xC3\x89", "\xC3\xA9", false},
                      TSameTextCase{"utf8_equal", "\xC3\xA9", "\xC3\xA9", true},
                      TSameTextCase{"inner_nul", std::string_view("a\0b", 3), std::string_view("A\0B", 3),
                                    true}),
    [](const auto& row) { return std::string(row.param.Name); });

TEST(LowerCaseAscii, LowersAsciiLettersOnly) {
    EXPECT_EQ(LowerCaseAscii("TIF"), "tif");
    EXPECT_EQ(LowerCaseAscii("JpEg@[`{Z"), "jpeg@[`{z");
    EXPECT_EQ(LowerCaseAscii("\xC3\x89T\xC3\x89"), "\xC3\x89t\xC3\x89");
    EXPECT_EQ(LowerCaseAscii(""), "");
}

} // namespace
} // namespace tintwell
