#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <stdexcept>
#include <string>

#include "stats/histogram.h"
#include "stats/pixel_planes.h"
#include "stats/plane_names.h"
#include "support/test_bitmap.h"

namespace tintwell {

namespace {

// ---------------------------------------------------------------------------------------------
// The level of one pixel in each of the 16 planes.

struct PixelCase {
    const char* name;
    struct {
        std::uint8_t r, g, b;
    } pixel;
    std::array<int, kPixelPlaneCount> levels; // indexed by plane value
};

std::ostream& operator<<(std::ostream& os, const PixelCase& c) {
    return os << c.name << " (" << int{c.pixel.r} << ", " << int{c.pixel.g} << ", " << int{c.pixel.b} << ")";
}

// The first six rows are the published per-plane levels. HLS hue and saturation values of the
// other rows were checked against an exact rational model of the long double/float steps (every
// long double operation rounded to 64 bits, every store to 24 bits).
const PixelCase kPixelCases[] = {
    {"pure_red", {255, 0, 0}, {85, 255, 0, 0, 0, 255, 255, 0, 127, 255, 0, 255, 255, 0, 85, 76}},
    {"pure_blue", {0, 0, 255}, {85, 0, 0, 255, 170, 255, 255, 170, 127, 255, 255, 255, 0, 0, 85, 28}},
    {"yellow_red_and_green_share_max",
     {255, 255, 0},
     {170, 255, 255, 0, 43, 255, 255, 43, 127, 255, 0, 0, 255, 0, 170, 226}},
    {"mid_gray_hues_count_as_0",
     {128, 128, 128},
     {128, 128, 128, 128, 0, 0, 128, 0, 128, 0, 0, 0, 0, 127, 128, 128}},
    {"black", {0, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 0}},
    {"brown_200_100_50",
     {200, 100, 50},
     {116, 200, 100, 50, 14, 191, 200, 14, 125, 153, 0, 100, 150, 55, 116, 124}},
    {"white_luminance_reaches_255",
     {255, 255, 255},
     {255, 255, 255, 255, 0, 0, 255, 0, 255, 0, 0, 0, 0, 0, 255, 255}},
    {"pure_green", {0, 255, 0}, {85, 0, 255, 0, 85, 255, 255, 85, 127, 255, 255, 0, 255, 0, 85, 149}},
    {"magenta_red_and_blue_share_max",
     {255, 0, 255},
     {170, 255, 0, 255, 213, 255, 255, 213, 127, 255, 0, 255, 0, 0, 170, 105}},
    {"cyan_green_and_blue_share_max",
     {0, 255, 255},
     {170, 0, 255, 255, 128, 255, 255, 128, 127, 255, 255, 0, 0, 0, 170, 178}},
    {"teal_green_and_blue_share_max",
     {50, 200, 200},
     {150, 50, 200, 200, 128, 191, 200, 128, 125, 153, 150, 0, 0, 55, 150, 154}},
    // Hue -1 wraps to 359, which plane 4 maps to 255 and plane 7 to 254.
    {"hue_below_zero_wraps",
     {255, 0, 3},
     {86, 255, 0, 3, 255, 255, 255, 254, 127, 255, 0, 255, 252, 0, 86, 77}},
    // HSV hue MulDiv(1, 60, 120) = 0.5 rounds away from zero to 1; HLS hue 0.5 rounds to even, 0.
    {"hue_half_hsv_away_hls_even",
     {120, 1, 0},
     {40, 120, 1, 0, 1, 255, 120, 0, 60, 255, 0, 119, 120, 135, 40, 36}},
    // HSV hue -0.5 rounds to -1, so 359; HLS hue 359.5 rounds to 360, which plane 7 maps to 255.
    {"negative_hue_half",
     {120, 0, 1},
     {40, 120, 0, 1, 255, 255, 120, 255, 60, 255, 0, 120, 119, 135, 40, 36}},
    // L > 0.5 takes S = D / (2 - (Mx + Mn)): 255, where D / (Mx + Mn) would give 31.
    {"hls_lightness_above_half",
     {255, 200, 200},
     {218, 255, 200, 200, 0, 55, 255, 0, 227, 255, 0, 55, 55, 0, 218, 216}},
    // Float-only HLS arithmetic gives hue 37 (plane 7: 26), 11 (plane 7: 8) and saturation 253, 76.
    {"hls_hue_needs_extended_steps",
     {43, 28, 3},
     {24, 43, 28, 3, 27, 237, 43, 27, 23, 222, 0, 15, 40, 212, 24, 29}},
    {"hls_hue_needs_extended_steps_2",
     {87, 21, 7},
     {38, 87, 21, 7, 8, 234, 87, 7, 47, 217, 0, 66, 80, 168, 38, 39}},
    {"hls_saturation_needs_extended_steps",
     {1, 27, 203},
     {77, 1, 27, 203, 165, 254, 203, 164, 102, 252, 202, 176, 0, 52, 77, 39}},
    {"hls_saturation_half_needs_extended_steps",
     {7, 13, 9},
     {9, 7, 13, 9, 99, 118, 13, 99, 10, 77, 6, 0, 4, 242, 9, 10}},
};

class PlaneLevels : public ::testing::TestWithParam<PixelCase> {};

TEST_P(PlaneLevels, MatchTable) {
    const PixelCase& c = GetParam();
    for (int p = 0; p < kPixelPlaneCount; ++p) {
        const auto plane = static_cast<TPixelPlane>(p);
        EXPECT_EQ(PlaneLevel(plane, c.pixel.r, c.pixel.g, c.pixel.b), c.levels[static_cast<std::size_t>(p)])
            << PlaneName(plane);
    }
}

// GetHistogram runs its own per-plane loop, and reads the pixel bytes in blue, green, red order.
TEST_P(PlaneLevels, OnePixelHistogramCountsTheSameLevel) {
    const PixelCase& c = GetParam();
    test::TestBitmap bitmap(1, 1);
    bitmap.SetPixel(0, 0, c.pixel.r, c.pixel.g, c.pixel.b);
    THistogram histogram;
    for (int p = 0; p < kPixelPlaneCount; ++p) {
        const auto plane = static_cast<TPixelPlane>(p);
        GetHistogram(bitmap.View(), plane, histogram);
        std::array<std::int32_t, 256> expected{};
        expected[static_cast<std::size_t>(c.levels[static_cast<std::size_t>(p)])] = 1;
        EXPECT_EQ(histogram.Counts, expected) << PlaneName(plane);
    }
}

INSTANTIATE_TEST_SUITE_P(, PlaneLevels, ::testing::ValuesIn(kPixelCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(PlaneLevelsUnknown, PlaneOutsideTheEnumerationIsRejected) {
    EXPECT_THROW(PlaneLevel(static_cast<TPixelPlane>(16), 1, 2, 3), std::invalid_argument);
    EXPECT_THROW(PlaneLevel(static_cast<TPixelPlane>(-1), 1, 2, 3), std::invalid_argument);
}

// Ranges and identities over a coarse grid of the colour cube (every 5th level per channel,
// which includes 0 and 255 and all the gray diagonal's multiples of 5).
TEST(PlaneConversions, RangesAndIdentitiesHoldOverAGrid) {
    for (int r = 0; r <= 255; r += 5)
        for (int g = 0; g <= 255; g += 5)
            for (int b = 0; b <= 255; b += 5) {
                const auto R = static_cast<std::uint8_t>(r);
                const auto G = static_cast<std::uint8_t>(g);
                const auto B = static_cast<std::uint8_t>(b);
                const THSVInt hsv = RGBToHSVInt(R, G, B);
                ASSERT_GE(hsv.H, 0) << r << "," << g << "," << b;
                ASSERT_LE(hsv.H, 359) << r << "," << g << "," << b;
                ASSERT_EQ(hsv.S == 0, r == g && g == b) << r << "," << g << "," << b;
                const THLSInt hls = RGBToHLSInt(R, G, B);
                ASSERT_GE(hls.H, 0) << r << "," << g << "," << b;
                ASSERT_LE(hls.H, 360) << r << "," << g << "," << b;
                ASSERT_EQ(hls.S == 0, r == g && g == b) << r << "," << g << "," << b;
                // The byte lightness truncates (min + max) / 2, the HLS one rounds it.
                const int byteLightness = PlaneLevel(TPixelPlane::ppHlsLightness, R, G, B);
                ASSERT_GE(hls.L - byteLightness, 0) << r << "," << g << "," << b;
                ASSERT_LE(hls.L - byteLightness, 1) << r << "," << g << "," << b;
                const TCMYK cmyk = RGBToCMYK(R, G, B);
                ASSERT_EQ(cmyk.C + cmyk.K, 255 - r);
                ASSERT_EQ(cmyk.M + cmyk.K, 255 - g);
                ASSERT_EQ(cmyk.Y + cmyk.K, 255 - b);
                ASSERT_EQ(std::min({cmyk.C, cmyk.M, cmyk.Y}), 0);
                ASSERT_EQ(PlaneLevel(TPixelPlane::ppGray, R, G, B),
                          PlaneLevel(TPixelPlane::ppIntensity, R, G, B));
            }
}

// ---------------------------------------------------------------------------------------------
// MulDiv: exact 64-bit product, halves away from zero.

struct MulDivCase {
    const char* name;
    std::int32_t a, b, c;
    std::int64_t expected;
};

std::ostream& operator<<(std::ostream& os, const MulDivCase& c) {
    return os << c.name << ": MulDiv(" << c.a << ", " << c.b << ", " << c.c << ")";
}

constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();

const MulDivCase kMulDivCases[] = {
    {"zero", 0, 255, 359, 0},
    {"exact", 6, 60, 3, 120},
    {"below_half_truncates", 4, 1, 3, 1},
    {"above_half_rounds_up", 5, 1, 3, 2},
    {"half_rounds_up_from_odd", 1, 1, 2, 1},
    {"half_rounds_up_from_even", 5, 1, 2, 3},
    {"negative_below_half", -4, 1, 3, -1},
    {"negative_above_half", -5, 1, 3, -2},
    {"negative_half_rounds_away", -1, 1, 2, -1},
    {"negative_half_rounds_away_2", 1, -5, 2, -3},
    {"two_negatives_make_a_positive", -5, -1, 2, 3},
    {"hue_scale_359", 359, 255, 359, 255},
    {"hue_scale_360", 180, 255, 360, 128}, // 127.5 rounds up
    {"product_beyond_32_bits", kMax32, kMax32, kMax32, kMax32},
    {"product_beyond_32_bits_2", 65536, 65536, 3, 1431655765},
    {"largest_product", kMin32, kMin32, 1, std::int64_t{1} << 62},
    {"most_negative_product", kMin32, kMax32, 1, -(std::int64_t{1} << 62) + (std::int64_t{1} << 31)},
};

class PlaneMulDiv : public ::testing::TestWithParam<MulDivCase> {};

TEST_P(PlaneMulDiv, RoundsHalvesAwayFromZero) {
    const MulDivCase& c = GetParam();
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected);
}

INSTANTIATE_TEST_SUITE_P(, PlaneMulDiv, ::testing::ValuesIn(kMulDivCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(PlaneMulDivDivisor, ZeroOrNegativeDivisorIsRejected) {
    EXPECT_THROW(MulDiv(1, 1, 0), std::invalid_argument);
    EXPECT_THROW(MulDiv(1, 1, -2), std::invalid_argument);
}

// ---------------------------------------------------------------------------------------------
// The conversions' own outputs, including those no plane exposes (HLS lightness, the real HLS).

struct HsvCase {
    const char* name;
    std::uint8_t r, g, b;
    int h, s, v;
};

std::ostream& operator<<(std::ostream& os, const HsvCase& c) { return os << c.name; }

const HsvCase kHsvCases[] = {
    {"black", 0, 0, 0, 0, 0, 0},
    {"gray", 77, 77, 77, 0, 0, 77},
    {"red", 255, 0, 0, 0, 255, 255},
    {"yellow_tie", 255, 255, 0, 60, 255, 255},
    {"cyan_tie", 0, 128, 128, 180, 255, 128},
    {"magenta_tie", 90, 30, 90, 300, 170, 90},
    {"brown", 200, 100, 50, 20, 191, 200},
    {"wrap_below_zero", 255, 0, 3, 359, 255, 255},
    {"negative_half_away_from_zero", 120, 0, 1, 359, 255, 120},
    {"saturation_rounds_half_up", 2, 1, 1, 0, 128, 2}, // MulDiv(1, 255, 2) = 127.5 -> 128
    {"blue_band", 10, 20, 30, 210, 170, 30},
};

class PlaneHsvInt : public ::testing::TestWithParam<HsvCase> {};

TEST_P(PlaneHsvInt, MatchesTable) {
    const HsvCase& c = GetParam();
    const THSVInt hsv = RGBToHSVInt(c.r, c.g, c.b);
    EXPECT_EQ(hsv.H, c.h);
    EXPECT_EQ(hsv.S, c.s);
    EXPECT_EQ(hsv.V, c.v);
}

INSTANTIATE_TEST_SUITE_P(, PlaneHsvInt, ::testing::ValuesIn(kHsvCases),
                         [](const auto& row) { return std::string(row.param.name); });

struct HlsRealCase {
    const char* name;
    float r, g, b;
    float h, l, s; // h NaN: undefined hue
};

std::ostream& operator<<(std::ostream& os, const HlsRealCase& c) {
    return os << c.name << " (" << c.r << ", " << c.g << ", " << c.b << ")";
}

constexpr float kUndefined = std::numeric_limits<float>::quiet_NaN();

// Binary fractions, so every step but the last row's is exact and the expected values are too.
const HlsRealCase kHlsRealCases[] = {
    {"black", 0.0f, 0.0f, 0.0f, kUndefined, 0.0f, 0.0f},
    {"gray", 0.25f, 0.25f, 0.25f, kUndefined, 0.25f, 0.0f},
    {"white", 1.0f, 1.0f, 1.0f, kUndefined, 1.0f, 0.0f},
    {"red", 1.0f, 0.0f, 0.0f, 0.0f, 0.5f, 1.0f},
    {"orange", 1.0f, 0.5f, 0.0f, 30.0f, 0.5f, 1.0f},
    {"green_band", 0.25f, 0.75f, 0.5f, 150.0f, 0.5f, 0.5f},
    {"blue_band", 0.25f, 0.5f, 0.75f, 210.0f, 0.5f, 0.5f},
    {"negative_hue_wraps", 1.0f, 0.0f, 0.25f, 345.0f, 0.5f, 1.0f},
    {"dark_uses_sum", 0.5f, 0.25f, 0.25f, 0.0f, 0.375f, 1.0f / 3.0f},
    {"light_uses_two_minus_sum", 1.0f, 0.75f, 0.75f, 0.0f, 0.875f, 1.0f},
    {"light_uses_two_minus_sum_2", 0.75f, 0.5f, 1.0f, 270.0f, 0.75f, 1.0f},
    // L rounds to exactly 0.5 while Mx + Mn is a little above 1: L <= 0.5 takes D / (Mx + Mn).
    // D / (2 - (Mx + Mn)) would give 0x1.ffffc2p-6. Checked against the exact model of the steps.
    {"lightness_rounds_to_half", 0x1.08p-1f, 0x1.f00004p-2f, 0x1.f00004p-2f, 0.0f, 0.5f, 0x1.ffffbep-6f},
};

class PlaneHlsReal : public ::testing::TestWithParam<HlsRealCase> {};

TEST_P(PlaneHlsReal, MatchesTable) {
    const HlsRealCase& c = GetParam();
    const THLSReal hls = RGBToHLSReal(c.r, c.g, c.b);
    if (std::isnan(c.h))
        EXPECT_TRUE(std::isnan(hls.H)) << hls.H;
    else
        EXPECT_EQ(hls.H, c.h);
    EXPECT_EQ(hls.L, c.l);
    EXPECT_EQ(hls.S, c.s);
}

INSTANTIATE_TEST_SUITE_P(, PlaneHlsReal, ::testing::ValuesIn(kHlsRealCases),
                         [](const auto& row) { return std::string(row.param.name); });

struct HlsIntCase {
    const char* name;
    std::uint8_t r, g, b;
    int h, l, s;
};

std::ostream& operator<<(std::ostream& os, const HlsIntCase& c) {
    return os << c.name << " (" << int{c.r} << ", " << int{c.g} << ", " << int{c.b} << ")";
}

// Rows after the first four were checked against the exact model of the long double/float steps;
// their comments give what exact arithmetic or float-only steps would say instead.
const HlsIntCase kHlsIntCases[] = {
    {"black", 0, 0, 0, 0, 0, 0},
    {"gray_hue_undefined_counts_0", 128, 128, 128, 0, 128, 0},
    {"white", 255, 255, 255, 0, 255, 0},
    {"red_lightness_127_5_to_even", 255, 0, 0, 0, 128, 255},
    {"hue_359_5_rounds_to_360", 120, 0, 1, 360, 60, 255},
    {"hue_0_5_rounds_to_0", 120, 1, 0, 0, 60, 255},
    // 255 L is 0.5 exactly only in exact arithmetic; float(1/255) lies above 1/255.
    {"lightness_just_above_half", 1, 0, 0, 0, 1, 255},
    // Exact: L = 227.5 -> 228; the float steps land below the half.
    {"lightness_just_below_half", 255, 200, 200, 0, 227, 255},
    {"float_only_hue_37", 43, 28, 3, 38, 23, 222},
    {"float_only_hue_11", 87, 21, 7, 10, 47, 217},
    {"float_only_saturation_253", 1, 27, 203, 232, 102, 252},
    // Exact: S = 76.5 -> 76; float-only steps also give 76.
    {"float_only_saturation_76", 7, 13, 9, 140, 10, 77},
};

class PlaneHlsInt : public ::testing::TestWithParam<HlsIntCase> {};

TEST_P(PlaneHlsInt, MatchesTable) {
    const HlsIntCase& c = GetParam();
    const THLSInt hls = RGBToHLSInt(c.r, c.g, c.b);
    EXPECT_EQ(hls.H, c.h);
    EXPECT_EQ(hls.L, c.l);
    EXPECT_EQ(hls.S, c.s);
}

INSTANTIATE_TEST_SUITE_P(, PlaneHlsInt, ::testing::ValuesIn(kHlsIntCases),
                         [](const auto& row) { return std::string(row.param.name); });

struct CmykCase {
    const char* name;
    std::uint8_t r, g, b;
    int c, m, y, k;
};

std::ostream& operator<<(std::ostream& os, const CmykCase& c) { return os << c.name; }

const CmykCase kCmykCases[] = {
    {"black_is_all_key", 0, 0, 0, 0, 0, 0, 255}, {"white_is_nothing", 255, 255, 255, 0, 0, 0, 0},
    {"red", 255, 0, 0, 0, 255, 255, 0},          {"gray", 128, 128, 128, 0, 0, 0, 127},
    {"brown", 200, 100, 50, 0, 100, 150, 55},    {"blue_is_lightest_channel", 10, 20, 30, 20, 10, 0, 225},
};

class PlaneCmyk : public ::testing::TestWithParam<CmykCase> {};

TEST_P(PlaneCmyk, MatchesTable) {
    const CmykCase& c = GetParam();
    const TCMYK cmyk = RGBToCMYK(c.r, c.g, c.b);
    EXPECT_EQ(cmyk.C, c.c);
    EXPECT_EQ(cmyk.M, c.m);
    EXPECT_EQ(cmyk.Y, c.y);
    EXPECT_EQ(cmyk.K, c.k);
}

INSTANTIATE_TEST_SUITE_P(, PlaneCmyk, ::testing::ValuesIn(kCmykCases),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace tintwell
