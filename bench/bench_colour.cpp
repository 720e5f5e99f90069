// The palette runs on every colour change; this keeps an eye on what its extended-precision
// arithmetic costs per colour.
#include <benchmark/benchmark.h>

#include "colour/palette.h"
#include "colour/readouts.h"

namespace {

using namespace tintwell;

// A stride through the colour cube that visits every hue band and many values.
constexpr TColor kStride = 0x010F2B;
constexpr int kColoursPerIteration = 4096;

void BM_BuildPalette(benchmark::State& state) {
    TColor colour = 0;
    for (auto _ : state) {
        for (int i = 0; i < kColoursPerIteration; ++i) {
            colour = (colour + kStride) & 0xFFFFFF;
            benchmark::DoNotOptimize(BuildPalette(colour));
        }
    }
    state.SetItemsProcessed(state.iterations() * kColoursPerIteration);
}
BENCHMARK(BM_BuildPalette);

void BM_ComputeReadouts(benchmark::State& state) {
    TColor colour = 0;
    for (auto _ : state) {
        colour = (colour + kStride) & 0xFFFFFF;
        benchmark::DoNotOptimize(ComputeReadouts(colour, TGrayCorrectionMode::gcPartial));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ComputeReadouts);

} // namespace

BENCHMARK_MAIN();
