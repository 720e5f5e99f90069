// Costs of the image statistics on a photo-sized bitmap. BareCount is the yardstick: the least
// work any channel histogram can do (one byte read and one increment per pixel), against which
// run_stats.sh sets the GetHistogram planes.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "stats/average_colour.h"
#include "stats/histogram.h"
#include "support/test_bitmap.h"

namespace {

using tintwell::TPixelPlane;
using tintwell::test::TestBitmap;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr double kPi = 3.14159265358979323846;

std::uint8_t ClampByte(double v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0)); }

// Smooth, separable gradients (sky above, warmer ground below, a few broad waves) plus a mild
// pseudo-random grain, so that levels spread and neighbours differ a little, as in a photograph.
// A flat image would let the counting loop hit one counter over and over, which is not what
// images look like. Deterministic: the same bytes on every run.
TestBitmap MakePhoto() {
    TestBitmap bitmap(kWidth, kHeight);
    std::vector<double> wx(kWidth);
    std::vector<double> wy(kHeight);
    for (int x = 0; x < kWidth; ++x)
        wx[static_cast<std::size_t>(x)] = std::sin(2 * kPi * x / 2300.0);
    for (int y = 0; y < kHeight; ++y)
        wy[static_cast<std::size_t>(y)] = std::cos(2 * kPi * y / 1700.0);
    std::uint32_t state = 0x9E3779B9u;
    for (int y = 0; y < kHeight; ++y) {
        const double t = static_cast<double>(y) / kHeight; // 0 at the top, 1 at the bottom
        for (int x = 0; x < kWidth; ++x) {
            const double s = static_cast<double>(x) / kWidth;
            const double wave = wx[static_cast<std::size_t>(x)] * wy[static_cast<std::size_t>(y)];
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const double grain = static_cast<double>(state & 0xFFu) / 16.0 - 8.0; // -8 .. +8
            const double r = 70 + 120 * t + 35 * wave + 30 * s + grain;
            const double g = 110 + 60 * t - 40 * wave + grain * 0.8;
            const double b = 210 - 170 * t + 25 * wave - 20 * s + grain * 1.2;
            bitmap.SetPixel(x, y, ClampByte(r), ClampByte(g), ClampByte(b));
        }
    }
    return bitmap;
}

const TestBitmap& Photo() {
    static const TestBitmap bitmap = MakePhoto();
    return bitmap;
}

void SetPixelCounters(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kWidth * kHeight);
}

void BM_BareCount(benchmark::State& state) {
    const tintwell::TBitmapView view = Photo().View();
    std::array<std::int32_t, 256> counts{};
    for (auto _ : state) {
        counts.fill(0);
        const int width = view.Width();
        const int height = view.Height();
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = view.ScanLine(y);
            for (int x = 0; x < width; ++x)
                ++counts[row[3 * static_cast<std::size_t>(x) + 2]];
        }
        benchmark::DoNotOptimize(counts.data());
        benchmark::ClobberMemory();
    }
    SetPixelCounters(state);
}
BENCHMARK(BM_BareCount)->Unit(benchmark::kMillisecond);

void BM_GetHistogram(benchmark::State& state, TPixelPlane plane) {
    const tintwell::TBitmapView view = Photo().View();
    tintwell::THistogram histogram;
    for (auto _ : state) {
        tintwell::GetHistogram(view, plane, histogram);
        benchmark::DoNotOptimize(histogram.Counts.data());
        benchmark::ClobberMemory();
    }
    SetPixelCounters(state);
}
BENCHMARK_CAPTURE(BM_GetHistogram, red, TPixelPlane::ppRed)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GetHistogram, green, TPixelPlane::ppGreen)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GetHistogram, blue, TPixelPlane::ppBlue)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GetHistogram, hsv_hue, TPixelPlane::ppHsvHue)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GetHistogram, hls_hue, TPixelPlane::ppHlsHue)->Unit(benchmark::kMillisecond);

void BM_GetStatistics(benchmark::State& state) {
    tintwell::THistogram histogram;
    tintwell::GetHistogram(Photo().View(), TPixelPlane::ppLuminance, histogram);
    for (auto _ : state) {
        tintwell::THistogramStatistics statistics = histogram.GetStatistics();
        benchmark::DoNotOptimize(statistics);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_GetStatistics);

void BM_BitmapAverageColor(benchmark::State& state) {
    const tintwell::TBitmapView view = Photo().View();
    for (auto _ : state) {
        tintwell::TColor colour = tintwell::BitmapAverageColor(view);
        benchmark::DoNotOptimize(colour);
    }
    SetPixelCounters(state);
}
BENCHMARK(BM_BitmapAverageColor)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
