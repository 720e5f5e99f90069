#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "core/tcolor.h"
#include "stats/average_colour.h"
#include "stats/histogram.h"
#include "support/test_bitmap.h"

namespace tintwell {
namespace {

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "(" << int{c.r} << ", " << int{c.g} << ", " << int{c.b} << ")";
}

struct AverageCase {
    const char* name;
    int width, height;
    std::vector<Rgb> pixels; // row by row; a single entry fills the whole bitmap
    Rgb expected;
};

std::ostream& operator<<(std::ostream& os, const AverageCase& c) {
    os << c.name << " " << c.width << "x" << c.height << " {";
    for (const Rgb& p : c.pixels)
        os << " " << p;
    return os << " }";
}

const AverageCase kAverageCases[] = {
    {"no_pixels_gives_white", 0, 0, {}, {255, 255, 255}},
    {"single_pixel_is_itself", 1, 1, {{10, 200, 30}}, {10, 200, 30}},
    {"uniform_gray_steps_up_one", 3, 2, {{128, 128, 128}}, {129, 129, 129}},
    {"uniform_black_gives_one", 2, 2, {{0, 0, 0}}, {1, 1, 1}},
    {"uniform_white_stays_white", 5, 3, {{255, 255, 255}}, {255, 255, 255}},
    {"uniform_channel_at_255_stays", 2, 1, {{255, 7, 254}}, {255, 8, 255}},
    {"two_pixels_smaller_plus_one", 2, 1, {{10, 200, 30}, {50, 100, 30}}, {11, 101, 31}},
    {"three_reds", 3, 1, {{10, 0, 0}, {20, 0, 0}, {30, 0, 0}}, {11, 1, 1}},
    {"two_black_two_white", 2, 2, {{0, 0, 0}, {255, 255, 255}, {255, 255, 255}, {0, 0, 0}}, {1, 1, 1}},
    // Channels are reduced separately: the result (1, 1, 201) occurs nowhere in the image.
    {"channels_independent", 1, 3, {{0, 0, 200}, {0, 200, 200}, {200, 0, 200}}, {1, 1, 201}},
    // Not the mean (which would be about 51 in red): most pixels are dark.
    {"median_not_mean", 5, 1, {{0, 9, 9}, {0, 9, 9}, {0, 9, 9}, {255, 9, 9}, {0, 9, 9}}, {1, 10, 10}},
};

class BitmapAverageColor : public ::testing::TestWithParam<AverageCase> {};

TEST_P(BitmapAverageColor, MatchesTable) {
    const AverageCase& c = GetParam();
    test::TestBitmap bitmap(c.width, c.height);
    if (c.pixels.size() == 1) {
        bitmap.Fill(c.pixels[0].r, c.pixels[0].g, c.pixels[0].b);
    } else {
        ASSERT_EQ(c.pixels.size(), static_cast<std::size_t>(c.width * c.height));
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x) {
                const Rgb& p = c.pixels[static_cast<std::size_t>(y * c.width + x)];
                bitmap.SetPixel(x, y, p.r, p.g, p.b);
            }
    }
    const TColor colour = tintwell::BitmapAverageColor(bitmap.View());
    EXPECT_EQ((Rgb{GetRValue(colour), GetGValue(colour), GetBValue(colour)}), c.expected);
    EXPECT_EQ(static_cast<std::uint32_t>(colour) >> 24, 0u) << "top byte must be 0";
}

INSTANTIATE_TEST_SUITE_P(, BitmapAverageColor, ::testing::ValuesIn(kAverageCases),
                         [](const auto& row) { return std::string(row.param.name); });

// Channels given as their occupied levels; every other counter is zero.
struct TLevelCount {
    std::uint8_t Level;
    std::int32_t Count;
};
using TChannel = std::vector<TLevelCount>;

THistogram HistogramOf(const TChannel& channel) {
    THistogram histogram;
    histogram.Clear();
    for (const TLevelCount& entry : channel)
        histogram.Counts[entry.Level] += entry.Count;
    return histogram;
}

struct HistogramAverageCase {
    const char* name;
    TChannel red, green, blue;
    Rgb expected;
};

std::ostream& operator<<(std::ostream& os, const HistogramAverageCase& c) { return os << c.name; }

const HistogramAverageCase kHistogramAverageCases[] = {
    {"all_empty_give_white", {}, {}, {}, {255, 255, 255}},
    // An empty channel is white in that channel only.
    {"one_channel_empty", {{10, 1}}, {}, {{20, 3}}, {10, 255, 21}},
    {"one_sample_each_is_its_level", {{10, 1}}, {{200, 1}}, {{0, 1}}, {10, 200, 0}},
    {"two_samples_step_up_255_stays", {{100, 2}}, {{0, 2}}, {{255, 2}}, {101, 1, 255}},
    // Half the count below: the level after the lower half, wherever the upper half sits.
    {"half_below_is_reached_early", {{10, 2}, {50, 2}}, {{10, 1}, {50, 3}}, {{10, 3}, {50, 1}}, {11, 51, 11}},
    {"odd_count", {{0, 2}, {7, 3}}, {{0, 1}, {7, 4}}, {{3, 1}, {4, 1}, {5, 1}}, {1, 8, 4}},
    // Counts near the 2^31 limit, where a sum in 32 bits would wrap.
    {"counts_near_the_limit",
     {{0, 1000000000}, {200, 1000000001}},
     {{0, 999999999}, {200, 1000000002}},
     {{255, 2000000001}},
     {1, 201, 255}},
};

class HistogramAverageColor : public ::testing::TestWithParam<HistogramAverageCase> {};

TEST_P(HistogramAverageColor, EachChannelItsHalfCountLevel) {
    const HistogramAverageCase& c = GetParam();
    const TColor colour =
        tintwell::HistogramAverageColor(HistogramOf(c.red), HistogramOf(c.green), HistogramOf(c.blue));
    EXPECT_EQ((Rgb{GetRValue(colour), GetGValue(colour), GetBValue(colour)}), c.expected);
    EXPECT_EQ(static_cast<std::uint32_t>(colour) >> 24, 0u) << "top byte must be 0";
}

INSTANTIATE_TEST_SUITE_P(, HistogramAverageColor, ::testing::ValuesIn(kHistogramAverageCases),
                         [](const auto& row) { return std::string(row.param.name); });

struct WrongFormatCase {
    const char* name;
    TPixelFormat format;
};

std::ostream& operator<<(std::ostream& os, const WrongFormatCase& c) { return os << c.name; }

const WrongFormatCase kWrongFormats[] = {{"bits_8", TPixelFormat::pf8bit},
                                         {"bits_32", TPixelFormat::pf32bit}};

class BitmapAverageColorWrongFormat : public ::testing::TestWithParam<WrongFormatCase> {};

TEST_P(BitmapAverageColorWrongFormat, RaisesTheHistogramError) {
    test::TestBitmap bitmap(2, 2, GetParam().format);
    try {
        (void)tintwell::BitmapAverageColor(bitmap.View());
        ADD_FAILURE() << "no exception";
    } catch (const EHistogramError& e) {
        EXPECT_EQ(std::string(e.what()), "GetHistogram:  Bitmap must be 24-bit.");
    }
}

INSTANTIATE_TEST_SUITE_P(, BitmapAverageColorWrongFormat, ::testing::ValuesIn(kWrongFormats),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace tintwell
