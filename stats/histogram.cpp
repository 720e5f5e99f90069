#include "stats/histogram.h"

#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <string>

#include "stats/pixel_planes_p.h"

namespace tintwell {

namespace {

// The counters are signed 32-bit; one more pixel than this would overflow a counter that every
// pixel lands in.
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 31;

template <TPixelPlane P> void CountPlane(const TBitmapView& bitmap, THistogram& histogram) noexcept {
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    if (width <= 0 || height <= 0)
        return;
    // Smooth areas of a photo give long runs of one level, and with a single table every
    // increment would wait for the store of the one before. Neighbouring pixels go to four
    // tables in turn, so four increments can be in flight; the tables are summed at the end.
    // With one table the speed of the byte planes also swung by half depending on where the
    // counters happened to lie.
    constexpr int kWays = 4;
    std::array<std::array<std::int32_t, 256>, kWays> counts{};
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(width);
    const std::size_t blockBytes = rowBytes / (3 * kWays) * (3 * kWays);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* const row = bitmap.ScanLine(y);
        const std::uint8_t* p = row;
        for (const std::uint8_t* const blockEnd = row + blockBytes; p != blockEnd; p += 3 * kWays)
            for (int k = 0; k < kWays; ++k)
                ++counts[static_cast<std::size_t>(k)]
                        [detail::PlaneLevelOf<P>(p[3 * k + 2], p[3 * k + 1], p[3 * k])];
        for (const std::uint8_t* const end = row + rowBytes; p != end; p += 3)
            ++counts[0][detail::PlaneLevelOf<P>(p[2], p[1], p[0])];
    }
    for (std::size_t level = 0; level < 256; ++level) {
        std::int32_t total = 0;
        for (const auto& way : counts)
            total += way[level];
        histogram.Counts[level] += total;
    }
}

// The three channels in one pass: reading the rows once costs less than three passes that each
// use a third of every pixel. Two tables per channel, for the same reason as in CountPlane.
void CountChannels(const TBitmapView& bitmap, THistogram& red, THistogram& green, THistogram& blue) noexcept {
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    if (width <= 0 || height <= 0)
        return;
    constexpr int kWays = 2;
    // Table 3 k + c counts channel c (0 blue, 1 green, 2 red: the byte order) of the k-th pixel.
    std::array<std::array<std::int32_t, 256>, 3 * kWays> counts{};
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(width);
    const std::size_t blockBytes = rowBytes / (3 * kWays) * (3 * kWays);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* const row = bitmap.ScanLine(y);
        const std::uint8_t* p = row;
        for (const std::uint8_t* const blockEnd = row + blockBytes; p != blockEnd; p += 3 * kWays)
            for (std::size_t i = 0; i < 3 * kWays; ++i)
                ++counts[i][p[i]];
        for (const std::uint8_t* const end = row + rowBytes; p != end; p += 3)
            for (std::size_t c = 0; c < 3; ++c)
                ++counts[c][p[c]];
    }
    THistogram* const byChannel[3] = {&blue, &green, &red};
    for (std::size_t c = 0; c < 3; ++c) {
        for (std::size_t level = 0; level < 256; ++level) {
            std::int32_t total = 0;
            for (std::size_t k = 0; k < kWays; ++k)
                total += counts[3 * k + c][level];
            byChannel[c]->Counts[level] += total;
        }
    }
}

void CheckTwentyFourBit(const TBitmapView& bitmap) {
    if (bitmap.PixelFormat() != TPixelFormat::pf24bit)
        throw EHistogramError("GetHistogram:  Bitmap must be 24-bit.");
}

void CheckPixelCount(const TBitmapView& bitmap) {
    if (bitmap.Width() > 0 && bitmap.Height() > 0 &&
        std::int64_t{bitmap.Width()} * bitmap.Height() >= kMaxPixels)
        throw EHistogramError("GetHistogram:  Bitmap has too many pixels.");
}

} // namespace

void GetHistogram(const TBitmapView& bitmap, TPixelPlane plane, THistogram& histogram) {
    CheckTwentyFourBit(bitmap);
    if (static_cast<unsigned>(plane) >= static_cast<unsigned>(kPixelPlaneCount))
        throw std::invalid_argument("GetHistogram:  Unknown pixel plane " +
                                    std::to_string(static_cast<int>(plane)) + ".");
    CheckPixelCount(bitmap);

    histogram.Clear();
    detail::DispatchPlane(plane, [&](auto p) { CountPlane<decltype(p)::value>(bitmap, histogram); });
}

void GetChannelHistograms(const TBitmapView& bitmap, THistogram& red, THistogram& green, THistogram& blue) {
    CheckTwentyFourBit(bitmap);
    CheckPixelCount(bitmap);
    red.Clear();
    green.Clear();
    blue.Clear();
    CountChannels(bitmap, red, green, blue);
}

void AddToHistogram(const TBitmapView& bitmap, TPixelPlane plane, THistogram& histogram) {
    if (static_cast<unsigned>(plane) >= static_cast<unsigned>(kPixelPlaneCount))
        throw std::invalid_argument("AddToHistogram: unknown pixel plane " +
                                    std::to_string(static_cast<int>(plane)));
    detail::DispatchPlane(plane, [&](auto p) { CountPlane<decltype(p)::value>(bitmap, histogram); });
}

void AddToChannelHistograms(const TBitmapView& bitmap, THistogram& red, THistogram& green,
                            THistogram& blue) noexcept {
    CountChannels(bitmap, red, green, blue);
}

THistogramStatistics THistogram::GetStatistics() const noexcept {
    using X = long double;
    THistogramStatistics r{};

    int minimum = 0;
    while (Counts[static_cast<std::size_t>(minimum)] == 0 && minimum < 255)
        ++minimum;
    int maximum = 255;
    while (Counts[static_cast<std::size_t>(maximum)] == 0 && maximum > 0)
        --maximum;

    int mode = minimum;
    std::int32_t best = Counts[static_cast<std::size_t>(minimum)];
    for (int i = minimum + 1; i <= maximum; ++i) {
        if (Counts[static_cast<std::size_t>(i)] > best) {
            mode = i;
            best = Counts[static_cast<std::size_t>(i)];
        }
    }

    // i * c and i * i * c overflow 32 bits long before the counters do; 64-bit sums are exact for
    // every histogram GetHistogram can produce.
    std::int64_t n = 0;
    std::int64_t s1 = 0;
    std::int64_t s2 = 0;
    for (int i = minimum; i <= maximum; ++i) {
        const std::int64_t c = Counts[static_cast<std::size_t>(i)];
        n += c;
        s1 += i * c;
        s2 += std::int64_t{i} * i * c;
    }

    const X nx = static_cast<X>(n);
    r.Mean = n == 0 ? 0.0 : static_cast<double>(static_cast<X>(s1) / nx);

    if (n >= 2) {
        const X mean = r.Mean;
        // S2 - Mean*Mean*N is never negative for genuine counts, but with counters that a caller
        // wrote by hand it can be, and the square root would turn it into NaN; the outputs are
        // promised finite, so a negative sum of squares counts as no spread at all.
        const X squares = static_cast<X>(s2) - mean * mean * nx;
        r.StandardDeviation = static_cast<double>(sqrtl((squares < 0 ? X{0} : squares) / (nx - 1)));

        const X sd = r.StandardDeviation;
        const X v = sd * sd * (nx - 1) / nx;
        X s3 = 0;
        X s4 = 0;
        for (int i = minimum; i <= maximum; ++i) {
            const X c = static_cast<X>(Counts[static_cast<std::size_t>(i)]);
            const X d = static_cast<X>(i) - mean;
            s3 += d * d * d * c;
            s4 += d * d * d * d * c;
        }
        const X m3 = s3 / nx;
        const X m4 = s4 / nx;
        if (v != 0) {
            // exp(1.5 ln V), not powl: the skewness this program prints has always been formed
            // this way, and the two can differ in the last bit.
            r.Skewness = static_cast<double>(m3 / expl(1.5L * logl(v)));
            r.Kurtosis = static_cast<double>(m4 / (v * v));
        }
    }

    std::int64_t running = 0;
    int median = minimum;
    while (running < n / 2 && median < 255) {
        running += Counts[static_cast<std::size_t>(median)];
        ++median;
    }

    r.N = static_cast<std::int32_t>(n);
    r.Minimum = static_cast<std::uint8_t>(minimum);
    r.Maximum = static_cast<std::uint8_t>(maximum);
    r.Mode = static_cast<std::uint8_t>(mode);
    r.Median = static_cast<std::uint8_t>(median);
    return r;
}

} // namespace tintwell
