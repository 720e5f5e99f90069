// The streaming road: JPEG, TIFF and plain 24-bit BMP files counted while they are decoded.
#include "cli/stream_road.h"

#include "stream/stream_analysis.h"

namespace tintwell::cli {

TRoadHistograms StreamHistogramsOf(const std::string& file, std::span<const TPixelPlane> planes,
                                   const TCountingOptions& options) noexcept {
    TRoadHistograms result;
    if (auto error = RoadError([&] {
            auto histograms = StreamHistograms(file, planes, options);
            result.Taken = histograms.has_value();
            if (histograms)
                result.Histograms = std::move(*histograms);
        }))
        // Raised only for a file this road reads: the bitmap road would fail on it the same way.
        result = {true, {}, std::move(*error)};
    return result;
}

namespace {

TRoadHistograms StreamHistogramsWithWorkers(const std::string& file, std::span<const TPixelPlane> planes,
                                            unsigned workers) {
    TCountingOptions options;
    options.Workers = workers;
    return StreamHistogramsOf(file, planes, options);
}

} // namespace

const TImageRoad& StreamRoad() noexcept {
    static const TImageRoad road{&StreamHistogramsWithWorkers, nullptr};
    return road;
}

} // namespace tintwell::cli
