// What both command-line roads share: the guard that turns a failed file into its message, and the
// bitmap road counting the three channels in one pass.
#include <gtest/gtest.h>

#include <new>
#include <ostream>
#include <stdexcept>
#include <vector>

#include "cli/image_road.h"
#include "core/exception.h"
#include "support/bmp_builder.h"
#include "support/temp_dir.h"

namespace tintwell::cli {
namespace {

struct TRaiseCase {
    const char* Name;
    void (*Raise)();
    std::optional<std::string> Error;
};
void PrintTo(const TRaiseCase& row, std::ostream* os) { *os << row.Name; }

class RoadErrorTable : public ::testing::TestWithParam<TRaiseCase> {};

TEST_P(RoadErrorTable, TurnsWhatTheReadRaisesIntoItsText) {
    bool ran = false;
    const std::optional<std::string> error = RoadError([&] {
        ran = true;
        GetParam().Raise();
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(error, GetParam().Error);
}

INSTANTIATE_TEST_SUITE_P(
    , RoadErrorTable,
    ::testing::Values(
        TRaiseCase{"returns", [] {}, std::nullopt},
        TRaiseCase{"our_exception", [] { throw Exception("Bitmap image is not valid"); },
                   "Bitmap image is not valid"},
        TRaiseCase{"derived_exception", [] { throw EConvertError("'x' is not valid"); }, "'x' is not valid"},
        // An empty message is still an error, and not an empty text, which the callers take for success.
        TRaiseCase{"empty_message", [] { throw Exception(""); },
                   "the file could not be read (an error without a message)"},
        TRaiseCase{"out_of_memory", [] { throw std::bad_alloc(); }, std::bad_alloc().what()},
        TRaiseCase{"standard_exception", [] { throw std::runtime_error("disk gone"); }, "disk gone"}),
    [](const auto& row) { return std::string(row.param.Name); });

// Every plane asked for alone takes a pass of its own: the oracle for the one-pass count.
std::vector<THistogram> EachAlone(const std::string& file, std::span<const TPixelPlane> planes) {
    std::vector<THistogram> histograms;
    for (const TPixelPlane plane : planes) {
        const TRoadHistograms alone = BitmapRoad().Histograms(file, std::span(&plane, 1), 0);
        EXPECT_EQ(alone.Error, "");
        EXPECT_EQ(alone.Histograms.size(), 1u);
        histograms.push_back(alone.Histograms.empty() ? THistogram() : alone.Histograms.front());
    }
    return histograms;
}

TEST(BitmapRoad, ChannelsCountedTogetherMatchEachCountedAlone) {
    using enum TPixelPlane;
    test::TempDir dir;
    for (const test::TBmpKind kind : {test::TBmpKind::Rgb24, test::TBmpKind::Rgb16}) {
        test::TBmpRecipe recipe; // red, green and blue each vary differently
        recipe.Kind = kind;
        const std::string file =
            dir.Write("ramp" + std::to_string(static_cast<int>(kind)) + ".bmp", test::MakeBmp(recipe));
        // Out of order, with another plane between them and one asked twice: each histogram must
        // land where its plane was asked for.
        const std::vector<TPixelPlane> planes = {ppBlue, ppGray, ppRed, ppGreen, ppRed};
        const TRoadHistograms together = BitmapRoad().Histograms(file, planes, 0);
        ASSERT_EQ(together.Error, "");
        ASSERT_TRUE(together.Taken);
        const std::vector<THistogram> alone = EachAlone(file, planes);
        ASSERT_EQ(together.Histograms.size(), planes.size());
        ASSERT_NE(alone[0].Counts, alone[2].Counts) << "the fixture must tell blue from red";
        ASSERT_NE(alone[2].Counts, alone[3].Counts) << "the fixture must tell red from green";
        for (std::size_t i = 0; i < planes.size(); ++i)
            EXPECT_EQ(together.Histograms[i].Counts, alone[i].Counts)
                << "kind " << static_cast<int>(kind) << ", plane " << i;
    }
}

TEST(BitmapRoad, AFailedFileHasNoHistograms) {
    test::TempDir dir;
    const std::string broken = dir.Write("broken.bmp", {'B', 'M', 0});
    const std::vector<TPixelPlane> planes = {TPixelPlane::ppRed, TPixelPlane::ppGreen, TPixelPlane::ppBlue};
    const TRoadHistograms result = BitmapRoad().Histograms(broken, planes, 0);
    EXPECT_TRUE(result.Taken);
    EXPECT_EQ(result.Error, "Bitmap image is not valid");
    EXPECT_TRUE(result.Histograms.empty());
}

} // namespace
} // namespace tintwell::cli
