#pragma once

// One libFuzzer target per loader: the input becomes a file with the loader's extension and takes
// the whole Open Image road (load, prepare, draw, copy into a bitmap, 24 bits, the histograms), then
// the streaming road, which must count the same or raise the same error. Only the program's own
// errors are expected; anything else, a crash, a sanitizer report or the roads disagreeing, is a
// finding.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "codec/limits.h"
#include "core/exception.h"
#include "imaging/analysis.h"
#include "imaging/picture.h"
#include "stream/stream_analysis.h"

namespace tintwell::fuzz {

inline std::string& InputPath() {
    static std::string path;
    return path;
}

inline void Initialize(int* argc, char*** argv, const char* extension) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication* app = new QGuiApplication(*argc, *argv); // lives as long as the process
    (void)app;
    // A few header bytes must not be able to claim more memory than the fuzzer allows.
    SetMaxImagePixels(std::int64_t{1} << 22);
    std::string pattern = "/tmp/tintwell-fuzz-XXXXXX." + std::string(extension);
    const int fd = mkstemps(pattern.data(), static_cast<int>(std::string(extension).size()) + 1);
    if (fd < 0)
        std::abort();
    close(fd);
    InputPath() = pattern;
    std::atexit([] { std::remove(InputPath().c_str()); });
}

inline int RunOne(const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(InputPath().c_str(), "wb");
    if (file == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);
    const TPixelPlane planes[] = {TPixelPlane::ppRed,           TPixelPlane::ppGreen,
                                  TPixelPlane::ppBlue,          TPixelPlane::ppHsvHue,
                                  TPixelPlane::ppHlsSaturation, TPixelPlane::ppLuminance};
    std::vector<THistogram> counted;
    std::string error;
    try {
        TPicture picture;
        picture.LoadFromFile(InputPath());
        TGraphic& graphic = *picture.Graphic();
        graphic.Prepare();
        QImage canvas(48, 32, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        {
            QPainter painter(&canvas);
            graphic.Draw(painter, QRectF(0, 0, 48, 32));
        }
        const TBitmap bitmap = AnalysisBitmap(graphic);
        for (const TPixelPlane plane : planes) {
            counted.emplace_back();
            GetHistogram(bitmap.View(), plane, counted.back());
        }
    } catch (const Exception& e) {
        // The loaders' own errors are the expected outcome of bad input.
        counted.clear();
        error = e.Message();
    }
    try {
        // Small bands on a worker, so that a small input still goes through several.
        const auto streamed = StreamHistograms(InputPath(), planes, TCountingOptions{1, 64});
        if (streamed && (!error.empty() || streamed->size() != counted.size()))
            std::abort();
        for (std::size_t i = 0; streamed && i < counted.size(); ++i)
            if ((*streamed)[i].Counts != counted[i].Counts)
                std::abort();
    } catch (const Exception& e) {
        if (e.Message() != error)
            std::abort();
    }
    return 0;
}

} // namespace tintwell::fuzz

#define TINTWELL_FUZZ_TARGET(extension)                                                                      \
    extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {                                           \
        tintwell::fuzz::Initialize(argc, argv, extension);                                                   \
        return 0;                                                                                            \
    }                                                                                                        \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {                      \
        return tintwell::fuzz::RunOne(data, size);                                                           \
    }
