// The standard error box: its text, the silent abort, one box at a time, and the boundary every
// handler runs inside.
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

#include "core/exception.h"
#include "support/fake_platform_services.h"
#include "ui/common/error_box.h"

namespace tintwell::test {
namespace {

using TErrorBox = std::pair<std::string, std::string>;

struct TextCase {
    const char* name;
    const char* message;
    const char* shown;
};
const TextCase kTexts[] = {
    {"letter_gets_a_full_stop", "Bitmap image is not valid", "Bitmap image is not valid."},
    {"digit_gets_a_full_stop", "JPEG error #53", "JPEG error #53."},
    {"closing_parenthesis_none", "Unknown picture file extension (.gif)",
     "Unknown picture file extension (.gif)"},
    {"quote_none", "'1.0' is not a valid integer value'", "'1.0' is not a valid integer value'"},
    {"full_stop_none", "Done.", "Done."},
    {"slash_gets_one", "see /tmp/", "see /tmp/."},
    {"blank_none", "trailing ", "trailing "},
    {"empty_stays_empty", "", ""},
    {"non_ascii_gets_one", "Datei \xC3\xBC", "Datei \xC3\xBC."},
};
void PrintTo(const TextCase& row, std::ostream* os) { *os << row.name; }
class ErrorBoxTextTable : public ::testing::TestWithParam<TextCase> {};
TEST_P(ErrorBoxTextTable, AppendsAFullStopAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(ErrorBoxText(GetParam().message), GetParam().shown);
}
INSTANTIATE_TEST_SUITE_P(, ErrorBoxTextTable, ::testing::ValuesIn(kTexts),
                         [](const auto& row) { return std::string(row.param.name); });

template <typename T> std::exception_ptr ErrorOf(T error) {
    return std::make_exception_ptr(std::move(error));
}

TEST(ShowException, CaptionIconTextAndKinds) {
    TFakePlatformServices platform;
    ShowException(platform, ErrorOf(EConvertError("'x' is not a valid integer value")));
    ShowException(platform, ErrorOf(std::bad_alloc()));
    ShowException(platform, ErrorOf(std::runtime_error("disk on fire")));
    ShowException(platform, ErrorOf(42));
    ShowException(platform, ErrorOf(EAbort()));
    ShowException(platform, nullptr);
    EXPECT_EQ(platform.ErrorBoxes, (std::vector<TErrorBox>{{"Tintwell", "'x' is not a valid integer value."},
                                                           {"Tintwell", "Out of memory."},
                                                           {"Tintwell", "disk on fire."},
                                                           {"Tintwell", "Unknown error."}}));
    EXPECT_FALSE(ErrorBoxOpen());
}

TEST(ShowException, NeverOpensASecondBoxWhileOneIsOpen) {
    TFakePlatformServices platform;
    platform.DuringErrorBox = [&] {
        EXPECT_TRUE(ErrorBoxOpen());
        // What a modal loop would run while the box is up: the same cause again.
        for (int i = 0; i < 3; ++i) {
            ShowException(platform, ErrorOf(Exception("tick failed")));
            EXPECT_EQ(platform.ErrorBoxes.size(), 1U);
        }
    };
    ShowException(platform, ErrorOf(Exception("tick failed")));
    EXPECT_EQ(platform.ErrorBoxes.size(), 1U);
    platform.DuringErrorBox = nullptr;
    ShowException(platform, ErrorOf(Exception("later")));
    EXPECT_EQ(platform.ErrorBoxes.size(), 2U) << "once closed, the next error shows again";
}

TEST(ShowException, SurvivesABoxThatFails) {
    TFakePlatformServices platform;
    platform.DuringErrorBox = [] { throw std::runtime_error("no display"); };
    ShowException(platform, ErrorOf(Exception("first")));
    EXPECT_FALSE(ErrorBoxOpen());
}

TEST(Guarded, CatchesEverythingAtTheBoundary) {
    TFakePlatformServices platform;
    bool after = false;
    Guarded(platform, [] { throw EConvertError("'--1' is not a valid floating point value"); });
    Guarded(platform, [&] { after = true; });
    EXPECT_TRUE(after);
    EXPECT_EQ(platform.ErrorBoxes,
              (std::vector<TErrorBox>{{"Tintwell", "'--1' is not a valid floating point value."}}));
}

} // namespace
} // namespace tintwell::test
