// The main window's preview on a large photo: what one Open Image costs beyond decoding, and what
// a repaint costs once the scaled copy exists. Run by bench/run_preview.sh on the 24 MP benchmark
// JPEG; the decode alone is the baseline the other figures are divided by.
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <string>

#include "imaging/analysis.h"
#include "imaging/picture.h"
#include "ui/main/widgets.h"

namespace {

std::string gImage; // set by main from the command line

// The bare decode through the picture class: load the header, decode the pixels.
void BM_Decode(benchmark::State& state) {
    for (auto _ : state) {
        tintwell::TPicture picture;
        picture.LoadFromFile(gImage);
        picture.Graphic()->Prepare();
        benchmark::DoNotOptimize(picture.Graphic());
    }
}

// Open Image without the dialog: load, the preview's copy with its scaled picture, the 24-bit
// bitmap, the average colour.
void BM_OpenImageRoad(benchmark::State& state) {
    tintwell::TImage preview;
    preview.resize(476, 316);
    for (auto _ : state) {
        tintwell::TPicture picture;
        picture.LoadFromFile(gImage);
        preview.SetGraphic(picture.Graphic()->Clone());
        benchmark::DoNotOptimize(tintwell::PictureAverageColor(*picture.Graphic()));
    }
}

// Making the preview's scaled copy of an already decoded picture.
void BM_PreviewScale(benchmark::State& state) {
    tintwell::TPicture picture;
    picture.LoadFromFile(gImage);
    picture.Graphic()->Prepare();
    tintwell::TImage preview;
    preview.resize(476, 316);
    for (auto _ : state)
        preview.SetGraphic(picture.Graphic()->Clone());
}

// One repaint of the preview once its picture is set.
void BM_PreviewPaint(benchmark::State& state) {
    tintwell::TPicture picture;
    picture.LoadFromFile(gImage);
    tintwell::TImage preview;
    preview.resize(476, 316);
    preview.SetGraphic(picture.Graphic()->Clone());
    QPixmap target(preview.size());
    for (auto _ : state) {
        preview.render(&target);
        benchmark::DoNotOptimize(target.cacheKey());
    }
}

BENCHMARK(BM_Decode)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_OpenImageRoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PreviewScale)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PreviewPaint)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_preview IMAGE [benchmark options]\n");
        return 2;
    }
    gImage = argv[1];
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
