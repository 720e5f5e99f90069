#include <gtest/gtest.h>

#include <array>
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

using Counts = std::array<std::int32_t, 256>;

// A histogram that already holds counts, to show which calls keep and which clear them.
THistogram Prefilled() {
    THistogram histogram;
    for (std::size_t i = 0; i < histogram.Counts.size(); ++i)
        histogram.Counts[i] = static_cast<std::int32_t>(i * 7 + 1);
    return histogram;
}

// Deterministic pixels that reach every channel value and mix hues, grays and ties.
void FillPattern(test::TestBitmap& bitmap, int width, int height) {
    std::uint32_t state = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            const auto r = static_cast<std::uint8_t>(state >> 24);
            const auto g = static_cast<std::uint8_t>((x + y) % 3 == 0 ? r : state >> 16);
            const auto b = static_cast<std::uint8_t>(state >> 8);
            bitmap.SetPixel(x, y, r, g, b);
        }
}

// Counts the test's own idea of every pixel, one PlaneLevel per pixel.
Counts NaiveCounts(test::TestBitmap& bitmap, int width, int height, TPixelPlane plane) {
    Counts counts{};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = bitmap.Row(y) + 3 * x;
            ++counts[PlaneLevel(plane, p[2], p[1], p[0])];
        }
    return counts;
}

TEST(GetHistogram, ConstructorAndClearZeroEveryCounter) {
    THistogram fresh;
    EXPECT_EQ(fresh.Counts, Counts{});
    THistogram used = Prefilled();
    used.Clear();
    EXPECT_EQ(used.Counts, Counts{});
}

TEST(GetHistogram, IncrementAddsOneAtTheLevel) {
    THistogram histogram;
    histogram.Increment(0);
    histogram.Increment(255);
    histogram.Increment(255);
    Counts expected{};
    expected[0] = 1;
    expected[255] = 2;
    EXPECT_EQ(histogram.Counts, expected);
}

TEST(GetHistogram, OnePixelCountsItsChannel) {
    test::TestBitmap bitmap(1, 1);
    bitmap.SetPixel(0, 0, 10, 20, 30);
    THistogram histogram;
    GetHistogram(bitmap.View(), TPixelPlane::ppRed, histogram);
    Counts expected{};
    expected[10] = 1;
    EXPECT_EQ(histogram.Counts, expected);
    GetHistogram(bitmap.View(), TPixelPlane::ppBlue, histogram);
    expected = {};
    expected[30] = 1;
    EXPECT_EQ(histogram.Counts, expected);
}

// ---------------------------------------------------------------------------------------------
// Bitmaps of every small shape: each pixel counted once, padding (0xEE in TestBitmap) never.

struct ShapeCase {
    const char* name;
    int width, height;
};

std::ostream& operator<<(std::ostream& os, const ShapeCase& c) {
    return os << c.name << " " << c.width << "x" << c.height;
}

const ShapeCase kShapeCases[] = {
    {"one_pixel", 1, 1},    {"row_padded_by_1", 1, 3}, {"row_padded_by_2", 2, 3}, {"row_padded_by_3", 3, 2},
    {"row_unpadded", 4, 2}, {"single_row", 17, 1},     {"single_column", 1, 17},  {"odd_shape", 37, 23},
};

class HistogramShapes : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(HistogramShapes, EveryPlaneMatchesAPixelByPixelCount) {
    const ShapeCase& c = GetParam();
    test::TestBitmap bitmap(c.width, c.height);
    FillPattern(bitmap, c.width, c.height);
    THistogram histogram = Prefilled();
    for (int p = 0; p < kPixelPlaneCount; ++p) {
        const auto plane = static_cast<TPixelPlane>(p);
        GetHistogram(bitmap.View(), plane, histogram);
        EXPECT_EQ(histogram.Counts, NaiveCounts(bitmap, c.width, c.height, plane)) << PlaneName(plane);
        std::int64_t total = 0;
        for (const std::int32_t count : histogram.Counts)
            total += count;
        EXPECT_EQ(total, std::int64_t{c.width} * c.height) << PlaneName(plane);
    }
}

// A uniform bitmap whose pixels never equal the padding byte: any padding read shows at 0xEE.
TEST_P(HistogramShapes, PaddingIsNeverCounted) {
    const ShapeCase& c = GetParam();
    test::TestBitmap bitmap(c.width, c.height);
    bitmap.Fill(10, 20, 30);
    const struct {
        TPixelPlane plane;
        std::size_t level;
    } channels[] = {{TPixelPlane::ppRed, 10}, {TPixelPlane::ppGreen, 20}, {TPixelPlane::ppBlue, 30}};
    THistogram histogram;
    for (const auto& channel : channels) {
        GetHistogram(bitmap.View(), channel.plane, histogram);
        Counts expected{};
        expected[channel.level] = c.width * c.height;
        EXPECT_EQ(histogram.Counts, expected) << PlaneName(channel.plane);
    }
}

// The one-pass count of the three channels gives what three GetHistogram calls give.
TEST_P(HistogramShapes, ChannelsInOnePassMatchThePlanes) {
    const ShapeCase& c = GetParam();
    test::TestBitmap bitmap(c.width, c.height);
    FillPattern(bitmap, c.width, c.height);
    THistogram red = Prefilled(), green = Prefilled(), blue = Prefilled();
    GetChannelHistograms(bitmap.View(), red, green, blue);
    EXPECT_EQ(red.Counts, NaiveCounts(bitmap, c.width, c.height, TPixelPlane::ppRed));
    EXPECT_EQ(green.Counts, NaiveCounts(bitmap, c.width, c.height, TPixelPlane::ppGreen));
    EXPECT_EQ(blue.Counts, NaiveCounts(bitmap, c.width, c.height, TPixelPlane::ppBlue));
}

INSTANTIATE_TEST_SUITE_P(, HistogramShapes, ::testing::ValuesIn(kShapeCases),
                         [](const auto& row) { return std::string(row.param.name); });

// Rows come through ScanLine, so storage that runs bottom-up counts the same.
TEST(GetHistogram, BottomUpRowsCountTheSame) {
    test::TestBitmap bitmap(5, 4);
    FillPattern(bitmap, 5, 4);
    const std::ptrdiff_t stride = bitmap.Row(1) - bitmap.Row(0);
    const TBitmapView bottomUp(5, 4, TPixelFormat::pf24bit, bitmap.Row(3), -stride);
    THistogram histogram;
    GetHistogram(bottomUp, TPixelPlane::ppLuminance, histogram);
    EXPECT_EQ(histogram.Counts, NaiveCounts(bitmap, 5, 4, TPixelPlane::ppLuminance));
    THistogram red, green, blue;
    GetChannelHistograms(bottomUp, red, green, blue);
    EXPECT_EQ(green.Counts, NaiveCounts(bitmap, 5, 4, TPixelPlane::ppGreen));
}

TEST(GetChannelHistograms, EmptyBitmapsClearAndCountNothing) {
    THistogram red = Prefilled(), green = Prefilled(), blue = Prefilled();
    GetChannelHistograms(TBitmapView(0, 7, TPixelFormat::pf24bit, nullptr, 0), red, green, blue);
    const Counts none{};
    EXPECT_EQ(red.Counts, none);
    EXPECT_EQ(green.Counts, none);
    EXPECT_EQ(blue.Counts, none);
}

// Raised as GetHistogram raises, before any histogram is cleared.
TEST(GetChannelHistograms, RefusesWhatGetHistogramRefuses) {
    struct {
        TBitmapView view;
        const char* message;
    } const cases[] = {
        {TBitmapView(4, 3, TPixelFormat::pf32bit, nullptr, 0), "GetHistogram:  Bitmap must be 24-bit."},
        {TBitmapView(65536, 32768, TPixelFormat::pf24bit, nullptr, 0),
         "GetHistogram:  Bitmap has too many pixels."},
    };
    for (const auto& c : cases) {
        THistogram red = Prefilled(), green = Prefilled(), blue = Prefilled();
        const Counts before = red.Counts;
        try {
            GetChannelHistograms(c.view, red, green, blue);
            ADD_FAILURE() << "no exception for " << c.message;
        } catch (const EHistogramError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_EQ(red.Counts, before);
        EXPECT_EQ(green.Counts, before);
        EXPECT_EQ(blue.Counts, before);
    }
}

TEST(GetHistogram, RefillWithAnotherPlaneKeepsOnlyTheSecond) {
    test::TestBitmap bitmap(3, 2);
    bitmap.Fill(10, 20, 30);
    THistogram histogram;
    GetHistogram(bitmap.View(), TPixelPlane::ppRed, histogram);
    GetHistogram(bitmap.View(), TPixelPlane::ppGreen, histogram);
    Counts expected{};
    expected[20] = 6;
    EXPECT_EQ(histogram.Counts, expected);
}

// ---------------------------------------------------------------------------------------------
// Empty and degenerate sizes count nothing and read nothing: the rows point nowhere.

struct EmptyCase {
    const char* name;
    int width, height;
};

std::ostream& operator<<(std::ostream& os, const EmptyCase& c) {
    return os << c.name << " " << c.width << "x" << c.height;
}

const EmptyCase kEmptyCases[] = {
    {"zero_by_zero", 0, 0},
    {"zero_width", 0, 5},
    {"zero_height", 5, 0},
    {"negative_width", -3, 5},
    {"negative_height", 5, -3},
    {"both_negative", -65536, -32768},
    {"huge_width_zero_height", std::numeric_limits<int>::max(), 0},
    {"huge_height_negative_width", -1, std::numeric_limits<int>::max()},
};

class HistogramEmpty : public ::testing::TestWithParam<EmptyCase> {};

TEST_P(HistogramEmpty, ClearsAndCountsNothing) {
    const EmptyCase& c = GetParam();
    const TBitmapView view(c.width, c.height, TPixelFormat::pf24bit, nullptr, 0);
    THistogram histogram = Prefilled();
    GetHistogram(view, TPixelPlane::ppHlsHue, histogram);
    EXPECT_EQ(histogram.Counts, Counts{});
}

INSTANTIATE_TEST_SUITE_P(, HistogramEmpty, ::testing::ValuesIn(kEmptyCases),
                         [](const auto& row) { return std::string(row.param.name); });

// ---------------------------------------------------------------------------------------------
// Errors: raised before the clearing, so the previous counts survive.

// Runs GetHistogram expecting an exception of type E with the given message; checks the counters
// are untouched.
template <typename E>
void ExpectRefused(const TBitmapView& view, TPixelPlane plane, const std::string& message) {
    THistogram histogram = Prefilled();
    const Counts before = histogram.Counts;
    try {
        GetHistogram(view, plane, histogram);
        ADD_FAILURE() << "no exception";
    } catch (const E& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
    EXPECT_EQ(histogram.Counts, before);
}

struct FormatCase {
    const char* name;
    TPixelFormat format;
};

std::ostream& operator<<(std::ostream& os, const FormatCase& c) { return os << c.name; }

const FormatCase kWrongFormats[] = {
    {"device", TPixelFormat::pfDevice}, {"bits_1", TPixelFormat::pf1bit},
    {"bits_4", TPixelFormat::pf4bit},   {"bits_8", TPixelFormat::pf8bit},
    {"bits_15", TPixelFormat::pf15bit}, {"bits_16", TPixelFormat::pf16bit},
    {"bits_32", TPixelFormat::pf32bit}, {"custom", TPixelFormat::pfCustom},
};

class HistogramWrongFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(HistogramWrongFormat, RaisesAndKeepsPreviousCounts) {
    test::TestBitmap bitmap(4, 3, GetParam().format);
    ExpectRefused<EHistogramError>(bitmap.View(), TPixelPlane::ppRed,
                                   "GetHistogram:  Bitmap must be 24-bit.");
}

// The format is checked first, even for a bitmap with no pixels or an unknown plane.
TEST_P(HistogramWrongFormat, FormatIsCheckedFirst) {
    const TBitmapView empty(0, 0, GetParam().format, nullptr, 0);
    ExpectRefused<EHistogramError>(empty, static_cast<TPixelPlane>(99),
                                   "GetHistogram:  Bitmap must be 24-bit.");
}

INSTANTIATE_TEST_SUITE_P(, HistogramWrongFormat, ::testing::ValuesIn(kWrongFormats),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(GetHistogram, ErrorIsAnExceptionOfTheProgram) {
    test::TestBitmap bitmap(1, 1, TPixelFormat::pf32bit);
    THistogram histogram;
    EXPECT_THROW(GetHistogram(bitmap.View(), TPixelPlane::ppRed, histogram), Exception);
}

// 2^31 pixels would overflow a counter; the view's rows point nowhere, so a read would crash.
TEST(GetHistogram, TooManyPixelsRaisesBeforeReading) {
    const std::string message = "GetHistogram:  Bitmap has too many pixels.";
    ExpectRefused<EHistogramError>(TBitmapView(65536, 32768, TPixelFormat::pf24bit, nullptr, 0),
                                   TPixelPlane::ppRed, message);
    ExpectRefused<EHistogramError>(TBitmapView(2, 1 << 30, TPixelFormat::pf24bit, nullptr, 0),
                                   TPixelPlane::ppRed, message);
    const int big = std::numeric_limits<int>::max();
    ExpectRefused<EHistogramError>(TBitmapView(big, big, TPixelFormat::pf24bit, nullptr, 0),
                                   TPixelPlane::ppBlue, message);
}

TEST(GetHistogram, UnknownPlaneIsRejected) {
    test::TestBitmap bitmap(2, 2);
    ExpectRefused<std::invalid_argument>(bitmap.View(), static_cast<TPixelPlane>(16),
                                         "GetHistogram:  Unknown pixel plane 16.");
    ExpectRefused<std::invalid_argument>(bitmap.View(), static_cast<TPixelPlane>(-1),
                                         "GetHistogram:  Unknown pixel plane -1.");
}

} // namespace
} // namespace tintwell
