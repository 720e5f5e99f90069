#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "core/geometry.h"

namespace tintwell {
namespace {

struct TFitCase {
    const char* Name;
    TSize Picture;
    TSize Area;
    TSize Shown;
};
void PrintTo(const TFitCase& row, std::ostream* os) {
    *os << row.Name << " " << row.Picture.Width << "x" << row.Picture.Height << " in " << row.Area.Width
        << "x" << row.Area.Height;
}

class FitPictureSizeTest : public ::testing::TestWithParam<TFitCase> {};

TEST_P(FitPictureSizeTest, KeepsTheAspectAndNeverEnlarges) {
    EXPECT_EQ(FitPictureSize(GetParam().Picture, GetParam().Area), GetParam().Shown);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, FitPictureSizeTest,
    ::testing::Values(TFitCase{"Smaller", {16, 8}, {200, 150}, {16, 8}},
                      TFitCase{"Exact", {200, 150}, {200, 150}, {200, 150}},
                      TFitCase{"Wider", {1000, 500}, {200, 200}, {200, 100}},
                      TFitCase{"Taller", {500, 1000}, {200, 200}, {100, 200}},
                      TFitCase{"BothBigger", {800, 600}, {200, 100}, {133, 100}},
                      TFitCase{"OnlyWidthTooLarge", {6000, 300}, {476, 316}, {476, 23}},
                      TFitCase{"PhotoInThePreview", {6000, 4000}, {476, 316}, {474, 316}},
                      TFitCase{"ThinLineKeepsAPixel", {3000, 1}, {200, 200}, {200, 1}},
                      TFitCase{"TallThinLineKeepsAPixel", {1, 3000}, {200, 200}, {1, 200}},
                      TFitCase{"LargestSidesDoNotOverflow",
                               {2147483647, 2147483646},
                               {2147483646, 2147483647},
                               {2147483646, 2147483645}},
                      TFitCase{"NoArea", {16, 8}, {0, 0}, {0, 0}},
                      TFitCase{"NegativeArea", {16, 8}, {-1, -1}, {0, 0}},
                      TFitCase{"NoPicture", {0, 0}, {200, 200}, {0, 0}},
                      TFitCase{"NoPictureHeight", {16, 0}, {200, 200}, {0, 0}}),
    [](const ::testing::TestParamInfo<TFitCase>& row) { return std::string(row.param.Name); });

} // namespace
} // namespace tintwell
