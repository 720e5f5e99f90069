#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <string>

#include "colour/colour.h"
#include "colour/hsv.h"
#include "colour/palette.h"

namespace tintwell {

// Found by argument-dependent lookup, so it must live in the type's own namespace.
void PrintTo(const THSVColor& c, std::ostream* os) {
    *os << "HSV(" << c.Hue << ", " << c.Saturation << ", " << c.Value << ")";
}

namespace {

struct PaletteCase {
    const char* html;
    THSVColor hsv;
    const char* schemes[5];
};
void PrintTo(const PaletteCase& c, std::ostream* os) { *os << c.html; }

const PaletteCase kPalettes[] = {
    {"#808080", {0, 0, 50}, {"#CCCCCC", "#808080", "#CCCCCC", "#808080", "#808080"}},
    {"#FF0000", {0, 100, 100}, {"#B20000", "#FF5500", "#B23B00", "#000000", "#FFFFFF"}},
    {"#F0C828", {48, 83, 94}, {"#A3881C", "#599FBD", "#DEF5FF", "#0F0F0F", "#F0F0F0"}},
    {"#00FF00", {120, 100, 100}, {"#00B200", "#AAFF00", "#77B200", "#000000", "#FFFFFF"}},
    // The precision case: Scheme2's green is the double nearest 5/6 times 255, just above 212.5.
    {"#0080FF", {210, 100, 100}, {"#0059B2", "#FFD500", "#B27700", "#000000", "#FFFFFF"}},
    {"#336699", {210, 67, 60}, {"#4C99E6", "#998832", "#E6B24C", "#666666", "#999999"}},
    {"#0000FF", {240, 100, 100}, {"#0000B2", "#9999FF", "#6B6BB2", "#000000", "#FFFFFF"}},
    {"#FF00FF", {300, 100, 100}, {"#B200B2", "#FF66CC", "#B2478F", "#000000", "#FFFFFF"}},
    {"#FF0001", {360, 100, 100}, {"#B20000", "#FF9966", "#B26B47", "#000000", "#FFFFFF"}},
    {"#000000", {0, 0, 0}, {"#4C4C4C", "#000000", "#4C4C4C", "#FFFFFF", "#000000"}},
    // A near-gray whose saturation rounds to 0 keeps its hue and lands in the last band.
    {"#C8C7C8", {300, 0, 78}, {"#7A7A7A", "#C777AC", "#7A496A", "#383838", "#C7C7C7"}},
};

class Palettes : public ::testing::TestWithParam<PaletteCase> {};

TEST_P(Palettes, HsvAndFiveSchemes) {
    const PaletteCase& c = GetParam();
    const TColor colour = HTMLToColor(c.html);
    EXPECT_EQ(ColorToHSV(colour), c.hsv);
    const TColorScheme scheme = BuildPalette(colour);
    EXPECT_EQ(scheme.BaseColor, colour);
    const auto schemes = scheme.Schemes();
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(ColorToHTML(schemes[i]), c.schemes[i]) << "Scheme" << i + 1;
}

INSTANTIATE_TEST_SUITE_P(, Palettes, ::testing::ValuesIn(kPalettes),
                         [](const auto& row) { return std::string(row.param.html + 1); });

TEST(ColorToHSV, WorkedExampleAndHalfHue) {
    EXPECT_EQ(ColorToHSV(RGB(51, 102, 153)), (THSVColor{210, 67, 60}));
    // Raw hue exactly 0.5 rounds to the even neighbour 0.
    EXPECT_EQ(ColorToHSV(RGB(200, 81, 80)).Hue, 0);
    // Red wins a tie for the largest channel over green, green over blue.
    EXPECT_EQ(ColorToHSV(RGB(255, 255, 0)).Hue, 60);
    EXPECT_EQ(ColorToHSV(RGB(0, 255, 255)).Hue, 180);
    EXPECT_EQ(ColorToHSV(RGB(255, 0, 255)).Hue, 300);
}

TEST(HSVToColor, WorkedExample) {
    EXPECT_EQ(ColorToHTML(HSVToColor({210, 67, 90})), "#4C99E6");
    EXPECT_EQ(ColorToHTML(HSVToColor({50, 67, 60})), "#998832");
    EXPECT_EQ(ColorToHTML(HSVToColor({40, 67, 90})), "#E6B24C");
}

struct GrayCase {
    double value;
    int level;
};
void PrintTo(const GrayCase& c, std::ostream* os) { *os << "value " << c.value; }

// As a double, 2.55 lies below 2.55 and gives 25, 127 and 229 for 10, 50 and 90.
const GrayCase kGrays[] = {{0, 0}, {10, 26}, {30, 76}, {50, 128}, {70, 178}, {90, 230}, {100, 255}};

class GrayLevels : public ::testing::TestWithParam<GrayCase> {};

TEST_P(GrayLevels, ZeroSaturationIgnoresHue) {
    const int k = GetParam().level;
    EXPECT_EQ(HSVToColor({0, 0, GetParam().value}), RGB(k, k, k));
    EXPECT_EQ(HSVToColor({123, 0, GetParam().value}), RGB(k, k, k));
}

INSTANTIATE_TEST_SUITE_P(, GrayLevels, ::testing::ValuesIn(kGrays));

TEST(HSVToColor, HueThreeSixtyIsRed) {
    EXPECT_EQ(HSVToColor({360, 100, 100}), RGB(255, 0, 0));
    EXPECT_EQ(HSVToColor({360, 100, 100}), HSVToColor({0, 100, 100}));
}

TEST(HSVToColor, OutOfRangeInputStaysDefined) {
    // No caller passes these; the results must still be colours, not undefined behaviour.
    EXPECT_EQ(HSVToColor({720, 100, 100}), HSVToColor({0, 100, 100}));
    EXPECT_EQ(HSVToColor({-60, 100, 100}), HSVToColor({300, 100, 100}));
    EXPECT_EQ(HSVToColor({0, 0, 200}), RGB(255, 255, 255));
    EXPECT_EQ(HSVToColor({0, 0, -5}), RGB(0, 0, 0));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(HSVToColor({nan, 100, 100}), HSVToColor({0, 100, 100}));
    EXPECT_EQ(HSVToColor({0, 0, nan}), RGB(0, 0, 0));
}

TEST(ClampPercent, LimitsToZeroToHundred) {
    EXPECT_EQ(ClampPercent(-0.5), 0);
    EXPECT_EQ(ClampPercent(0), 0);
    EXPECT_EQ(ClampPercent(42.5), 42.5);
    EXPECT_EQ(ClampPercent(100), 100);
    EXPECT_EQ(ClampPercent(100.5), 100);
}

struct BandCase {
    const char* name;
    THSVColor base;
    THSVColor a;
    THSVColor b;
};
void PrintTo(const BandCase& c, std::ostream* os) { *os << c.name; }

// Each band includes its lower bound. S 60 and V 50 are chosen so every rule moves something.
const BandCase kBands[] = {
    {"h0", {0, 60, 50}, {20, 60, 50}, {20, 60, 80}},
    {"h29", {29, 60, 50}, {49, 60, 50}, {49, 60, 80}},
    {"h30", {30, 60, 50}, {180, 30, 30}, {180, 0, 70}},
    {"h59", {59, 60, 90}, {209, 30, 70}, {209, 0, 100}},
    {"h60", {60, 60, 50}, {20, 60, 50}, {20, 60, 80}},
    {"h179", {179, 60, 50}, {139, 60, 50}, {139, 60, 80}},
    {"h180", {180, 60, 50}, {20, 60, 50}, {10, 60, 80}},
    {"h219", {219, 60, 71}, {59, 60, 71}, {49, 60, 41}},
    {"h220", {220, 60, 70}, {220, 0, 70}, {220, 0, 100}},
    {"h299", {299, 100, 50}, {299, 40, 50}, {299, 40, 80}},
    {"h300", {300, 60, 50}, {320, 20, 50}, {320, 20, 80}},
    {"h340_s50", {340, 50, 50}, {0, 90, 50}, {0, 90, 80}},
    {"h360_s51", {360, 51, 50}, {20, 11, 50}, {20, 11, 80}},
};

class HueBands : public ::testing::TestWithParam<BandCase> {};

TEST_P(HueBands, Scheme2And3Triples) {
    const auto triples = BuildPaletteHSV(GetParam().base);
    EXPECT_EQ(triples[1], GetParam().a);
    EXPECT_EQ(triples[2], GetParam().b);
}

INSTANTIATE_TEST_SUITE_P(, HueBands, ::testing::ValuesIn(kBands),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(BuildPaletteHSV, ValueMovesByThirtyAroundSeventy) {
    EXPECT_EQ(BuildPaletteHSV({10, 20, 70})[0], (THSVColor{10, 20, 100}));
    EXPECT_EQ(BuildPaletteHSV({10, 20, 71})[0], (THSVColor{10, 20, 41}));
    EXPECT_EQ(BuildPaletteHSV({10, 20, 71})[3], (THSVColor{0, 0, 29}));
    EXPECT_EQ(BuildPaletteHSV({10, 20, 71})[4], (THSVColor{0, 0, 71}));
}

} // namespace
} // namespace tintwell
