#include <gtest/gtest.h>

#include <array>
#include <string>

#include "colour/readouts.h"

namespace tintwell {
namespace {

using Fields = std::array<std::string, 12>;

TEST(Readouts, FirstShowAtMidGray) {
    const TColorReadouts r = ComputeReadouts(RGB(128, 128, 128), TGrayCorrectionMode::gcMaximized);
    EXPECT_EQ(r.Fields, (Fields{"128", "128", "128", "#808080", "127", "127", "127", "#7F7F7F", "255", "255", "255",
                                "#FFFFFF"}));
    EXPECT_EQ(r.Current, RGB(128, 128, 128));
    EXPECT_EQ(r.Inverse, RGB(127, 127, 127));
    EXPECT_EQ(r.Corrected, RGB(255, 255, 255));
    EXPECT_EQ(r.SchemeHTML, (std::array<std::string, 5>{"#CCCCCC", "#808080", "#CCCCCC", "#808080", "#808080"}));
    EXPECT_EQ(r.SchemeRGB[0], "204,204,204");
    EXPECT_EQ(r.SchemeRGB[4], "128,128,128");
}

class ReadoutModes : public ::testing::TestWithParam<TGrayCorrectionMode> {};

TEST_P(ReadoutModes, OtherModesChangeOnlyTheCorrectedReadouts) {
    const TColorReadouts maximized = ComputeReadouts(RGB(128, 128, 128), TGrayCorrectionMode::gcMaximized);
    const TColorReadouts other = ComputeReadouts(RGB(128, 128, 128), GetParam());
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(other.Fields[i], maximized.Fields[i]) << kReadoutFieldNames[i];
    EXPECT_EQ((std::array<std::string, 4>{other.Fields[8], other.Fields[9], other.Fields[10], other.Fields[11]}),
              (std::array<std::string, 4>{"127", "127", "127", "#7F7F7F"}));
    EXPECT_EQ(other.SchemeHTML, maximized.SchemeHTML);
    EXPECT_EQ(other.SchemeRGB, maximized.SchemeRGB);
}

INSTANTIATE_TEST_SUITE_P(, ReadoutModes,
                         ::testing::Values(TGrayCorrectionMode::gcAverage, TGrayCorrectionMode::gcPartial));

TEST(Readouts, SteelBluePartial) {
    const TColorReadouts r = ComputeReadouts(RGB(51, 102, 153), TGrayCorrectionMode::gcPartial);
    EXPECT_EQ(r.Fields, (Fields{"51", "102", "153", "#336699", "204", "153", "102", "#CC9966", "255", "255", "204",
                                "#FFFFCC"}));
    EXPECT_EQ(r.SchemeHTML, (std::array<std::string, 5>{"#4C99E6", "#998832", "#E6B24C", "#666666", "#999999"}));
    EXPECT_EQ(r.SchemeRGB, (std::array<std::string, 5>{"76,153,230", "153,136,50", "230,178,76", "102,102,102",
                                                       "153,153,153"}));
}

TEST(Readouts, InverseOfRedIsWhiteAndStaysWhite) {
    const TColorReadouts red = ComputeReadouts(RGB(255, 0, 0), TGrayCorrectionMode::gcMaximized);
    EXPECT_EQ(red.Inverse, RGB(255, 255, 255));
    const TColorReadouts white = ComputeReadouts(red.Inverse, TGrayCorrectionMode::gcMaximized);
    EXPECT_EQ(white.Inverse, RGB(255, 255, 255));
}

TEST(Readouts, FieldNamesFollowWritingOrder) {
    EXPECT_EQ(kReadoutFieldNames.front(), "dfR");
    EXPECT_EQ(kReadoutFieldNames[3], "dfHTML");
    EXPECT_EQ(kReadoutFieldNames[7], "dfHTMLi");
    EXPECT_EQ(kReadoutFieldNames.back(), "dfHTMLc");
}

} // namespace
} // namespace tintwell
