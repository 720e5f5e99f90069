#include <gtest/gtest.h>

#include <algorithm>

#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/run_cli.h"
#include "support/bmp_builder.h"
#include "support/fixtures.h"
#include "support/jpeg_builder.h"
#include "support/temp_dir.h"

namespace tintwell::cli {
namespace {

using test::TempDir;

// A 5 x 3 bitmap of one colour: its average is each channel plus one (255 stays).
std::vector<std::uint8_t> UniformBmp(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    test::TBmpRecipe recipe;
    recipe.Pixel = [r, g, b](int, int, std::uint8_t rgb[3]) {
        rgb[0] = r;
        rgb[1] = g;
        rgb[2] = b;
    };
    return test::MakeBmp(recipe);
}

class ImageCommands : public ::testing::Test {
protected:
    TempDir dir;
    std::string gray = dir.Write("gray.bmp", UniformBmp(128, 128, 128));
    std::string teal = dir.Write("teal.BMP", UniformBmp(0, 128, 255));
};

TEST_F(ImageCommands, AverageTextOneLinePerFile) {
    const Result r = RunWith({"average", gray, teal});
    EXPECT_EQ(r.code, kExitOk);
    EXPECT_EQ(r.out, "#818181  " + gray + "\n#0181FF  " + teal + "\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(ImageCommands, AverageGoesOnPastAFailedFile) {
    const std::string gif = dir.Write("image.gif", {1, 2, 3});
    const std::string broken = dir.Write("broken.bmp", {'B', 'M', 0});
    const Result r = RunWith({"average", gif, gray, broken});
    EXPECT_EQ(r.code, kExitFileFailed);
    EXPECT_EQ(r.out, "#818181  " + gray + "\n");
    EXPECT_EQ(r.err, "tintwell-cli: " + gif + ": Unknown picture file extension (.gif)\n" +
                         "tintwell-cli: " + broken + ": Bitmap image is not valid\n");
}

// Several files at once: the same results, in the order of the files, whatever finishes first.
TEST_F(ImageCommands, AverageWithJobsKeepsTheOrderOfTheFiles) {
    std::vector<std::string> files;
    for (int i = 0; i < 12; ++i) {
        std::string name = std::to_string(i);
        name += ".bmp";
        files.push_back(dir.Write(
            name, UniformBmp(static_cast<std::uint8_t>(i * 20), 64, static_cast<std::uint8_t>(255 - i))));
    }
    files.insert(files.begin() + 5, dir.Write("broken.bmp", {'B', 'M', 0}));
    std::vector<std::string> one = {"average", "--jobs", "1"};
    one.insert(one.end(), files.begin(), files.end());
    const Result sequential = RunWith(one);
    ASSERT_EQ(sequential.code, kExitFileFailed);
    ASSERT_EQ(std::count(sequential.out.begin(), sequential.out.end(), '\n'), 12);
    for (const char* jobs : {"--jobs=2", "--jobs=4", "--jobs=64"}) {
        std::vector<std::string> many = {"average", jobs, "--json"};
        many.insert(many.end(), files.begin(), files.end());
        std::vector<std::string> oneJson = {"average", "--jobs=1", "--json"};
        oneJson.insert(oneJson.end(), files.begin(), files.end());
        const Result parallel = RunWith(many);
        const Result reference = RunWith(oneJson);
        EXPECT_EQ(parallel.out, reference.out) << jobs;
        EXPECT_EQ(parallel.err, reference.err) << jobs;
        EXPECT_EQ(parallel.code, kExitFileFailed) << jobs;
        many.erase(many.begin() + 2); // and as text
        EXPECT_EQ(RunWith(many).out, sequential.out) << jobs;
    }
    std::string firstTwo = "#0141FF  ";
    firstTwo.append(files[0]).append("\n#1541FF  ").append(files[1]);
    EXPECT_NE(sequential.out.find(firstTwo), std::string::npos) << sequential.out;
}

TEST_F(ImageCommands, AverageJsonCarriesErrorsInPlace) {
    const std::string icon = dir.Write("blue.ico", test::IconFixtures().front().Bytes);
    const Result r = RunWith({"average", "--json", gray, icon});
    EXPECT_EQ(r.code, kExitFileFailed);
    EXPECT_EQ(r.out, "[{\"file\":" + JsonString(gray) + ",\"average\":\"#818181\"},{\"file\":" +
                         JsonString(icon) + ",\"error\":\"Cannot assign a TIcon to a TBitmap\"}]\n");
}

TEST_F(ImageCommands, StatsJsonForChosenPlanes) {
    const Result r = RunWith({"stats", "--plane", "blue", "--plane=0", "--json", teal});
    EXPECT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out,
              "{\"file\":" + JsonString(teal) +
                  ",\"planes\":[{\"plane\":\"blue\",\"N\":15,\"Minimum\":255,\"Maximum\":255,\"Mode\":255,"
                  "\"Median\":255,\"Mean\":255,\"StandardDeviation\":0,\"Skewness\":0,\"Kurtosis\":0},"
                  "{\"plane\":\"gray\",\"N\":15,\"Minimum\":127,\"Maximum\":127,\"Mode\":127,\"Median\":128,"
                  "\"Mean\":127,\"StandardDeviation\":0,\"Skewness\":0,\"Kurtosis\":0}]}\n");
}

TEST_F(ImageCommands, StatsDefaultsToTheThreeChannels) {
    const Result r = RunWith({"stats", gray});
    EXPECT_EQ(r.code, kExitOk);
    EXPECT_EQ(r.out.rfind("red: N 15, Minimum 128, Maximum 128, Mode 128, Median 129, Mean 128, ", 0), 0u)
        << r.out;
    EXPECT_NE(r.out.find("\ngreen: "), std::string::npos);
    EXPECT_NE(r.out.find("\nblue: "), std::string::npos);
}

TEST_F(ImageCommands, StatsPrintsRealsWithSeventeenDigits) {
    test::TBmpRecipe recipe; // the default recipe's red levels 1, 41, 81, 121, 161 in every row
    const std::string path = dir.Write("ramp.bmp", test::MakeBmp(recipe));
    const Result r = RunWith({"stats", "--plane", "red", "--json", path});
    // sqrt(48000 / 14) as "%.17g" writes it (the 17th digit is a trailing zero, dropped).
    EXPECT_NE(r.out.find("\"Median\":82,\"Mean\":81,\"StandardDeviation\":58.55400437691199,\"Skewness\":0,"
                         "\"Kurtosis\":1.7}"),
              std::string::npos)
        << r.out;
}

TEST_F(ImageCommands, HistogramCountsEveryPixel) {
    const Result text = RunWith({"histogram", "--plane", "green", teal});
    EXPECT_EQ(text.code, kExitOk);
    std::istringstream lines(text.out);
    long total = 0;
    int level = 0;
    long count = 0;
    int rows = 0;
    while (lines >> level >> count) {
        EXPECT_EQ(level, rows);
        EXPECT_EQ(count, level == 128 ? 15 : 0);
        total += count;
        ++rows;
    }
    EXPECT_EQ(rows, 256);
    EXPECT_EQ(total, 15);
    const Result json = RunWith({"histogram", "--json", "--plane", "luminance", gray});
    EXPECT_EQ(json.out.rfind("{\"plane\":\"luminance\",\"counts\":[0,0,", 0), 0u);
}

TEST_F(ImageCommands, InfoNamesTheClassAndItsParticulars) {
    test::TJpegRecipe recipe;
    recipe.Kind = test::TJpegKind::Grayscale;
    recipe.Progressive = true;
    const std::string jpeg = dir.Write("photo.jpeg", test::MakeJpeg(recipe));
    EXPECT_EQ(RunWith({"info", "--json", jpeg}).out, "{\"file\":" + JsonString(jpeg) +
                                                         ",\"class\":\"TJPEGImage\",\"width\":16,\"height\":"
                                                         "16,\"grayscale\":true,\"progressive\":true}\n");
    EXPECT_EQ(RunWith({"info", gray}).out, "class: TBitmap\nwidth: 5\nheight: 3\n");
    const std::string icon = dir.Write("blue.ico", test::IconFixtures().front().Bytes);
    EXPECT_EQ(RunWith({"info", icon}).out, "class: TIcon\nwidth: 16\nheight: 16\n");
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    const char* errorPart;
};
void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

const UsageCase kUsage[] = {
    {"average_without_files", {"average", "--json"}, "average needs at least one file"},
    {"stats_two_files", {"stats", "a.bmp", "b.bmp"}, "stats takes exactly one file"},
    {"histogram_without_plane", {"histogram", "a.bmp"}, "histogram needs exactly one --plane"},
    {"histogram_two_planes",
     {"histogram", "--plane", "red", "--plane", "blue", "a.bmp"},
     "exactly one --plane"},
    {"unknown_plane", {"stats", "--plane", "purple", "a.bmp"}, "'purple' is not a plane"},
    {"plane_out_of_range", {"stats", "--plane", "16", "a.bmp"}, "'16' is not a plane"},
    {"plane_with_sign", {"stats", "--plane", "+1", "a.bmp"}, "'+1' is not a plane"},
    {"plane_missing_value", {"stats", "a.bmp", "--plane"}, "--plane needs"},
    {"plane_on_average", {"average", "--plane", "red", "a.bmp"}, "unknown option '--plane' for average"},
    {"info_without_file", {"info"}, "info takes exactly one file"},
    {"no_jobs", {"average", "--jobs", "0", "a.bmp"}, "'0' is not a number of jobs"},
    {"jobs_not_a_number", {"average", "--jobs=two", "a.bmp"}, "'two' is not a number of jobs"},
    {"too_many_jobs", {"average", "--jobs", "1025", "a.bmp"}, "'1025' is not a number of jobs"},
    {"jobs_missing_value", {"average", "a.bmp", "--jobs"}, "--jobs needs a number"},
    {"jobs_on_stats", {"stats", "--jobs", "2", "a.bmp"}, "unknown option '--jobs' for stats"},
};

class ImageCommandUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(ImageCommandUsage, ExitTwoWithAReason) {
    const Result r = RunWith(GetParam().args);
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(GetParam().errorPart), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(, ImageCommandUsage, ::testing::ValuesIn(kUsage),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(ImageCommandFiles, ControlCharactersInNamesAreEscapedInMessages) {
    const Result r = RunWith({"average", "bad\x1b[2Jname.gif"});
    EXPECT_EQ(r.err, "tintwell-cli: bad\\x1B[2Jname.gif: Unknown picture file extension (.gif)\n");
}

TEST(ImageCommandFiles, DashDashEndsOptions) {
    const Result r = RunWith({"average", "--", "--json.gif"});
    EXPECT_EQ(r.err, "tintwell-cli: --json.gif: Unknown picture file extension (.gif)\n");
}

} // namespace
} // namespace tintwell::cli
