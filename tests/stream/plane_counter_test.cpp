// The counting sink against GetHistogram on the bitmap the same rows would make: rows a decoder
// never delivers, bands committed in part, inversion, palettes, a decoder that gives up.
#include <gtest/gtest.h>

#include <vector>

#include "stats/histogram.h"
#include "stream/plane_counter.h"

namespace tintwell {
namespace {

const std::vector<TPixelPlane> kPlanes = {TPixelPlane::ppRed, TPixelPlane::ppBlue, TPixelPlane::ppHsvHue,
                                          TPixelPlane::ppLuminance};

// What GetHistogram counts on a 24-bit bitmap of these rows (blue, green, red per pixel).
std::vector<THistogram> Expected(const std::vector<std::vector<std::uint8_t>>& rows) {
    std::vector<std::uint8_t> pixels;
    for (const auto& row : rows)
        pixels.insert(pixels.end(), row.begin(), row.end());
    const int width = static_cast<int>(rows.front().size() / 3);
    const TBitmapView bitmap(width, static_cast<int>(rows.size()), TPixelFormat::pf24bit, pixels.data(),
                             width * 3);
    std::vector<THistogram> histograms(kPlanes.size());
    for (std::size_t i = 0; i < kPlanes.size(); ++i)
        GetHistogram(bitmap, kPlanes[i], histograms[i]);
    return histograms;
}

void ExpectCounts(const std::vector<THistogram>& actual, const std::vector<THistogram>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i)
        EXPECT_EQ(actual[i].Counts, expected[i].Counts) << "plane " << static_cast<int>(kPlanes[i]);
}

// Delivers rows one band at a time, each band of `bandRows` rows, skipping the rows in `skip`.
void Deliver(TPlaneCounter& counter, const std::vector<std::vector<std::uint8_t>>& rows,
             std::uint32_t bandRows, const std::vector<std::uint32_t>& skip = {}) {
    for (std::uint32_t first = 0; first < rows.size(); first += bandRows) {
        const auto count = std::min<std::uint32_t>(bandRows, static_cast<std::uint32_t>(rows.size()) - first);
        const TBandView band = counter.Band(first, count);
        for (std::uint32_t i = 0; i < count; ++i)
            if (std::find(skip.begin(), skip.end(), first + i) == skip.end())
                std::copy(rows[first + i].begin(), rows[first + i].end(), band.Row(i));
        counter.Commit(count);
    }
}

std::vector<std::vector<std::uint8_t>> SomeRows(int width, int height) {
    std::vector<std::vector<std::uint8_t>> rows;
    for (int y = 0; y < height; ++y) {
        std::vector<std::uint8_t> row;
        for (int x = 0; x < width * 3; ++x)
            row.push_back(static_cast<std::uint8_t>(x * 37 + y * 11));
        rows.push_back(row);
    }
    return rows;
}

TRasterLayout TrueColour(std::uint32_t width, std::uint32_t height) {
    TRasterLayout layout;
    layout.Width = width;
    layout.Height = height;
    return layout;
}

class PlaneCounter : public ::testing::TestWithParam<unsigned> {
protected:
    TPlaneCounter Make(std::size_t bandBytes) {
        return TPlaneCounter(kPlanes, TCountingOptions{GetParam(), bandBytes});
    }
};

TEST_P(PlaneCounter, CountsWhatTheBitmapWouldHoldWhateverTheBands) {
    const auto rows = SomeRows(7, 9);
    for (const std::size_t bandBytes : {std::size_t{1}, std::size_t{50}, std::size_t{1} << 20}) {
        TPlaneCounter counter = Make(bandBytes);
        const std::uint32_t bandRows = counter.Begin(TrueColour(7, 9));
        ASSERT_GE(bandRows, 1u);
        Deliver(counter, rows, bandRows);
        ExpectCounts(counter.Finish(), Expected(rows));
    }
}

TEST_P(PlaneCounter, EveryBandCountedOnceWhicheverThreadTakesIt) {
    // Hundreds of one-row bands: the decoder hands some over and counts others itself, depending
    // on how far the workers have got; a band lost or counted twice shows in the totals.
    const auto rows = SomeRows(5, 700);
    for (int run = 0; run < 5; ++run) {
        TPlaneCounter counter = Make(1);
        ASSERT_EQ(counter.Begin(TrueColour(5, 700)), 1u);
        Deliver(counter, rows, 1);
        ExpectCounts(counter.Finish(), Expected(rows));
    }
}

TEST_P(PlaneCounter, RowsNeverDeliveredOrLeftBlankCountAsBlack) {
    auto rows = SomeRows(5, 6);
    TPlaneCounter counter = Make(5 * 3 * 2); // two rows a band
    ASSERT_EQ(counter.Begin(TrueColour(5, 6)), 2u);
    // Rows 0-1 in full; row 2 left blank in its band; row 3 not delivered (the band is committed
    // with one row); rows 4-5 never asked for.
    const TBandView first = counter.Band(0, 2);
    std::copy(rows[0].begin(), rows[0].end(), first.Row(0));
    std::copy(rows[1].begin(), rows[1].end(), first.Row(1));
    counter.Commit(2);
    const TBandView second = counter.Band(2, 2);
    std::copy(rows[3].begin(), rows[3].end(), second.Row(1));
    counter.Commit(1);
    for (int y = 2; y < 6; ++y)
        std::fill(rows[static_cast<std::size_t>(y)].begin(), rows[static_cast<std::size_t>(y)].end(), 0);
    ExpectCounts(counter.Finish(), Expected(rows));
}

TEST_P(PlaneCounter, InvertsWhatTheLayoutSaysIsStoredInverted) {
    auto rows = SomeRows(4, 5);
    TPlaneCounter counter = Make(1);
    TRasterLayout layout = TrueColour(4, 5);
    layout.Invert = true;
    counter.Begin(layout);
    Deliver(counter, {rows.begin(), rows.begin() + 4}, 1); // the last row is never delivered
    rows[4].assign(rows[4].size(), 0);
    for (auto& row : rows)
        for (auto& byte : row)
            byte = static_cast<std::uint8_t>(255 - byte);
    ExpectCounts(counter.Finish(), Expected(rows));
}

TEST_P(PlaneCounter, PaletteRowsCountThroughTheTableAndTheMask) {
    TRasterLayout layout;
    layout.Width = 3;
    layout.Height = 3;
    layout.Indexed = true;
    layout.TableSize = 16;
    for (int i = 0; i < 16; ++i)
        layout.Table[static_cast<std::size_t>(i)] = RGB(i * 16, 255 - i * 8, i * 3);
    layout.Invert = true;
    layout.InvertMask = 15;
    const std::vector<std::vector<std::uint8_t>> indexes = {{0, 1, 2}, {15, 15, 7}};
    TPlaneCounter counter = Make(3);
    counter.Begin(layout);
    Deliver(counter, indexes, 1);
    // The bitmap: each index inverted at 4 bits and looked up; the third row, never delivered, is
    // index 0, inverted to 15.
    std::vector<std::vector<std::uint8_t>> pixels;
    for (const auto& row : std::vector<std::vector<std::uint8_t>>{{0, 1, 2}, {15, 15, 7}, {0, 0, 0}}) {
        std::vector<std::uint8_t> bgr;
        for (const std::uint8_t index : row) {
            const TColor colour = layout.Table[index ^ 15u];
            bgr.insert(bgr.end(), {static_cast<std::uint8_t>(GetBValue(colour)),
                                   static_cast<std::uint8_t>(GetGValue(colour)),
                                   static_cast<std::uint8_t>(GetRValue(colour))});
        }
        pixels.push_back(bgr);
    }
    ExpectCounts(counter.Finish(), Expected(pixels));
}

TEST_P(PlaneCounter, ADecoderThatGivesUpLeavesAllBlack) {
    const auto rows = SomeRows(6, 4);
    TPlaneCounter counter = Make(1);
    counter.Begin(TrueColour(6, 4));
    Deliver(counter, {rows.begin(), rows.begin() + 3}, 1);
    counter.Discard();
    ExpectCounts(counter.Finish(),
                 Expected(std::vector<std::vector<std::uint8_t>>(4, std::vector<std::uint8_t>(18, 0))));
}

INSTANTIATE_TEST_SUITE_P(, PlaneCounter, ::testing::Values(0u, 1u, 3u),
                         [](const ::testing::TestParamInfo<unsigned>& workers) {
                             return std::to_string(workers.param) + "_workers";
                         });

TEST(PlaneCounterPlanes, RefusesAPlaneOutsideTheSixteen) {
    EXPECT_THROW(TPlaneCounter({static_cast<TPixelPlane>(16)}, TCountingOptions{}), std::invalid_argument);
}

} // namespace
} // namespace tintwell
