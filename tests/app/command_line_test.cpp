// The program's own arguments, after Qt has taken its: what each asks for.
#include <gtest/gtest.h>

#include "app/command_line.h"

namespace tintwell {
namespace {

using A = TCommandLine::TAction;

struct TLineCase {
    const char* Name;
    std::vector<std::string> Arguments;
    A Action;
    const char* File;    // nullptr: none
    const char* Message; // a part of it, for errors
};
void PrintTo(const TLineCase& c, std::ostream* out) { *out << c.Name; }

const TLineCase kLines[] = {
    {"nothing", {}, A::Run, nullptr, ""},
    {"a_file", {"photo.jpg"}, A::Run, "photo.jpg", ""},
    {"a_file_with_blanks", {"my photo.JPG"}, A::Run, "my photo.JPG", ""},
    {"a_dash_alone_is_a_file", {"-"}, A::Run, "-", ""},
    {"a_file_after_the_end_of_options", {"--", "-odd.bmp"}, A::Run, "-odd.bmp", ""},
    {"help", {"--help"}, A::Help, nullptr, ""},
    {"short_help", {"-h", "photo.jpg"}, A::Help, nullptr, ""},
    {"version", {"--version"}, A::Version, nullptr, ""},
    {"an_unknown_option", {"--open", "photo.jpg"}, A::Error, nullptr, "unknown option '--open'"},
    {"an_unknown_short_option", {"photo.jpg", "-x"}, A::Error, nullptr, "unknown option '-x'"},
    {"two_files", {"a.bmp", "b.bmp"}, A::Error, nullptr, "one picture at a time: 'a.bmp' and 'b.bmp'"},
    {"two_files_after_the_end_of_options",
     {"--", "a.bmp", "--help"},
     A::Error,
     nullptr,
     "'--help' were given"},
};

class CommandLine : public ::testing::TestWithParam<TLineCase> {};

TEST_P(CommandLine, AsksForWhatItSays) {
    const TCommandLine line = ParseCommandLine(GetParam().Arguments);
    EXPECT_EQ(line.Action, GetParam().Action);
    EXPECT_EQ(line.File.has_value(), GetParam().File != nullptr);
    if (GetParam().File != nullptr && line.File) {
        EXPECT_EQ(*line.File, GetParam().File);
    }
    EXPECT_NE(line.Message.find(GetParam().Message), std::string::npos) << line.Message;
    EXPECT_EQ(line.Message.empty(), GetParam().Action != A::Error);
}

INSTANTIATE_TEST_SUITE_P(, CommandLine, ::testing::ValuesIn(kLines),
                         [](const ::testing::TestParamInfo<TLineCase>& c) { return c.param.Name; });

// Help and version are answered before the display is needed, and only before "--".
TEST(CommandLineEarly, AnswersHelpAndVersionBeforeTheEndOfOptions) {
    EXPECT_EQ(EarlyAction({"--version"}), A::Version);
    EXPECT_EQ(EarlyAction({"-platform", "offscreen", "--help"}), A::Help);
    EXPECT_EQ(EarlyAction({"--", "--help"}), std::nullopt);
    EXPECT_EQ(EarlyAction({"photo.jpg"}), std::nullopt);
    EXPECT_NE(std::string(UsageText()).find("Usage: tintwell [FILE]"), std::string::npos);
}

} // namespace
} // namespace tintwell
