#include <gtest/gtest.h>

#include <array>
#include <string>

#include "colour/readouts.h"

namespace tintwell {
namespace {

using Texts = std::array<std::string, 4>;

Texts TextsOf(const TColorReadout& readout) { return {readout.R, readout.G, readout.B, readout.HTML}; }

std::array<std::string, 5> PaletteHTML(const TColorReadouts& r) {
    std::array<std::string, 5> texts;
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = r.Palette[i].HTML;
    return texts;
}

std::array<std::string, 5> PaletteRGB(const TColorReadouts& r) {
    std::array<std::string, 5> texts;
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = r.Palette[i].RGB;
    return texts;
}

TEST(Readouts, FirstShowAtMidGray) {
    const TColorReadouts r = ComputeReadouts(RGB(128, 128, 128), TGrayCorrectionMode::gcMaximized);
    EXPECT_EQ(TextsOf(r.Current), (Texts{"128", "128", "128", "#808080"}));
    EXPECT_EQ(TextsOf(r.Inverse), (Texts{"127", "127", "127", "#7F7F7F"}));
    EXPECT_EQ(TextsOf(r.Corrected), (Texts{"255", "255", "255", "#FFFFFF"}));
    EXPECT_EQ(r.Current.Color, RGB(128, 128, 128));
    EXPECT_EQ(r.Inverse.Color, RGB(127, 127, 127));
    EXPECT_EQ(r.Corrected.Color, RGB(255, 255, 255));
    EXPECT_EQ(PaletteHTML(r),
              (std::array<std::string, 5>{"#CCCCCC", "#808080", "#CCCCCC", "#808080", "#808080"}));
    EXPECT_EQ(r.Palette[0].RGB, "204,204,204");
    EXPECT_EQ(r.Palette[4].RGB, "128,128,128");
}

class ReadoutModes : public ::testing::TestWithParam<TGrayCorrectionMode> {};

TEST_P(ReadoutModes, OtherModesChangeOnlyTheCorrectedReadouts) {
    const TColorReadouts maximized = ComputeReadouts(RGB(128, 128, 128), TGrayCorrectionMode::gcMaximized);
    const TColorReadouts other = ComputeReadouts(RGB(128, 128, 128), GetParam());
    EXPECT_EQ(TextsOf(other.Current), TextsOf(maximized.Current));
    EXPECT_EQ(TextsOf(other.Inverse), TextsOf(maximized.Inverse));
    EXPECT_EQ(TextsOf(other.Corrected), (Texts{"127", "127", "127", "#7F7F7F"}));
    EXPECT_EQ(PaletteHTML(other), PaletteHTML(maximized));
    EXPECT_EQ(PaletteRGB(other), PaletteRGB(maximized));
}

INSTANTIATE_TEST_SUITE_P(, ReadoutModes,
                         ::testing::Values(TGrayCorrectionMode::gcAverage, TGrayCorrectionMode::gcPartial));

// Every channel different, so a swapped field shows.
TEST(Readouts, SteelBluePartial) {
    const TColorReadouts r = ComputeReadouts(RGB(51, 102, 153), TGrayCorrectionMode::gcPartial);
    EXPECT_EQ(TextsOf(r.Current), (Texts{"51", "102", "153", "#336699"}));
    EXPECT_EQ(TextsOf(r.Inverse), (Texts{"204", "153", "102", "#CC9966"}));
    EXPECT_EQ(TextsOf(r.Corrected), (Texts{"255", "255", "204", "#FFFFCC"}));
    EXPECT_EQ(PaletteHTML(r),
              (std::array<std::string, 5>{"#4C99E6", "#998832", "#E6B24C", "#666666", "#999999"}));
    EXPECT_EQ(PaletteRGB(r), (std::array<std::string, 5>{"76,153,230", "153,136,50", "230,178,76",
                                                         "102,102,102", "153,153,153"}));
    EXPECT_EQ(r.Palette[1].Color, RGB(153, 136, 50));
    EXPECT_EQ(r.Palette[1].Color, r.Scheme.Scheme2);
}

TEST(Readouts, InverseOfRedIsWhiteAndStaysWhite) {
    const TColorReadouts red = ComputeReadouts(RGB(255, 0, 0), TGrayCorrectionMode::gcMaximized);
    EXPECT_EQ(red.Inverse.Color, RGB(255, 255, 255));
    const TColorReadouts white = ComputeReadouts(red.Inverse.Color, TGrayCorrectionMode::gcMaximized);
    EXPECT_EQ(white.Inverse.Color, RGB(255, 255, 255));
}

} // namespace
} // namespace tintwell
