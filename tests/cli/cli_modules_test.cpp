// The real tintwell-cli: which libraries each command maps (the dynamic loader's own account,
// LD_DEBUG=files), and a clear error when a module is missing.
//   cli_modules_test PATH_OF_TINTWELL_CLI
#include <QGuiApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace tintwell::test {
namespace {

std::string gProgram;

struct TRun {
    int Code = -1;
    std::string Out;
    std::string Err; // the loader's account comes here too
};

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

TRun RunProgram(const TempDir& folder, const std::string& program, const std::string& arguments,
                const std::string& input = {}) {
    folder.WriteText("stdin", input);
    const std::string command = "cd " + Quoted(folder.Path("")) + " && LD_DEBUG=files " + Quoted(program) +
                                " " + arguments + " <stdin >stdout 2>stderr";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWholeFile(folder.Path("stdout")),
            ReadWholeFile(folder.Path("stderr"))};
}

// The loader names each file it maps as "file=NAME" (a path for what is opened by dlopen).
bool Maps(const TRun& run, const std::string& library) {
    for (std::size_t at = run.Err.find("file="); at != std::string::npos;
         at = run.Err.find("file=", at + 1)) {
        const std::size_t end = run.Err.find_first_of(" \n", at);
        const std::string name = run.Err.substr(at + 5, end == std::string::npos ? end : end - at - 5);
        const std::size_t slash = name.rfind('/');
        if (name.compare(slash == std::string::npos ? 0 : slash + 1, library.size(), library) == 0)
            return true;
    }
    return false;
}

struct TCommandCase {
    const char* Name;
    std::string Arguments;
    std::string Input;
    std::vector<std::string> Mapped; // libraries whose names start so
    std::vector<std::string> NotMapped;
};

const std::vector<std::string> kNothingExtra = {"libQt6", "libjpeg", "libtiff", "tintwell-cli-"};

std::vector<TCommandCase> Cases() {
    return {
        {"show", "show 808080", "", {}, kNothingExtra},
        {"show_from_input", "show -", "#102030\n1,2,3\n", {}, kNothingExtra},
        {"help", "--help", "", {}, kNothingExtra},
        {"version", "--version", "", {}, kNothingExtra},
        {"average_jpeg",
         "average colour.jpg",
         "",
         {"tintwell-cli-stream.so", "libjpeg"},
         {"libQt6", "tintwell-cli-bitmap"}},
        {"stats_tiff",
         "stats palette8_lzw.tif",
         "",
         {"tintwell-cli-stream.so", "libtiff"},
         {"libQt6", "tintwell-cli-bitmap"}},
        {"histogram_bmp",
         "histogram --plane red rgb24.bmp",
         "",
         {"tintwell-cli-stream.so"},
         {"libQt6", "tintwell-cli-bitmap"}},
        {"average_palette_bmp", "average indexed8.bmp", "", {"tintwell-cli-bitmap.so", "libQt6Gui"}, {}},
        {"info_icon", "info blue16.ico", "", {"tintwell-cli-bitmap.so", "libQt6Gui"}, {}},
        {"info_jpeg", "info colour.jpg", "", {"tintwell-cli-bitmap.so", "libQt6Gui"}, {}},
    };
}

void PrintTo(const TCommandCase& command, std::ostream* out) { *out << command.Arguments; }

class CliModules : public ::testing::TestWithParam<TCommandCase> {
protected:
    void SetUp() override {
        for (auto&& list : {BmpFixtures(), JpegFixtures(), TiffFixtures(), IconFixtures()})
            for (const TFixtureFile& file : list)
                folder.Write(file.Name, file.Bytes);
    }
    TempDir folder;
};

TEST_P(CliModules, MapsOnlyWhatTheCommandUses) {
    const TRun run = RunProgram(folder, gProgram, GetParam().Arguments, GetParam().Input);
    ASSERT_EQ(run.Code, 0) << run.Err.substr(run.Err.size() > 2000 ? run.Err.size() - 2000 : 0);
    EXPECT_FALSE(run.Out.empty());
    for (const std::string& library : GetParam().Mapped)
        EXPECT_TRUE(Maps(run, library)) << library;
    for (const std::string& library : GetParam().NotMapped)
        EXPECT_FALSE(Maps(run, library)) << library;
}

INSTANTIATE_TEST_SUITE_P(, CliModules, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<TCommandCase>& command) {
                             return command.param.Name;
                         });

TEST(CliWithoutModules, NamesTheMissingModuleAndStillShowsColours) {
    TempDir folder;
    const std::string lonely = folder.Path("tintwell-cli");
    std::filesystem::copy_file(gProgram, lonely);
    std::filesystem::permissions(lonely, std::filesystem::perms::owner_all);
    for (const TFixtureFile& file : JpegFixtures())
        folder.Write(file.Name, file.Bytes);
    const TRun average = RunProgram(folder, lonely, "average colour.jpg");
    EXPECT_EQ(average.Code, 1);
    EXPECT_NE(
        average.Err.find("tintwell-cli: colour.jpg: cannot load the image reader tintwell-cli-stream.so"),
        std::string::npos)
        << average.Err.substr(0, 2000);
    const TRun show = RunProgram(folder, lonely, "show 808080");
    EXPECT_EQ(show.Code, 0);
    EXPECT_NE(show.Out.find("#808080"), std::string::npos);
}

} // namespace
} // namespace tintwell::test

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv); // the icon fixture comes from Qt's icon writer
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: cli_modules_test PATH_OF_TINTWELL_CLI\n");
        return 2;
    }
    tintwell::test::gProgram = std::filesystem::absolute(argv[1]).string();
    return RUN_ALL_TESTS();
}
