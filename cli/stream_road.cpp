// The streaming road: JPEG, TIFF and plain 24-bit BMP files counted while they are decoded.
#include <exception>

#include "cli/image_road.h"
#include "core/exception.h"
#include "stream/stream_analysis.h"

namespace tintwell::cli {
namespace {

TRoadHistograms StreamHistogramsOf(const std::string& file, std::span<const TPixelPlane> planes,
                                   unsigned workers) {
    TRoadHistograms result;
    try {
        TCountingOptions options;
        options.Workers = workers;
        auto histograms = StreamHistograms(file, planes, options);
        result.Taken = histograms.has_value();
        if (histograms)
            result.Histograms = std::move(*histograms);
    } catch (const Exception& e) {
        result.Taken = true;
        result.Error = e.Message();
    } catch (const std::exception& e) {
        // Out of memory and the like: this file fails, the others go on.
        result.Taken = true;
        result.Error = e.what();
    }
    return result;
}

} // namespace

const TImageRoad& StreamRoad() noexcept {
    static const TImageRoad road{&StreamHistogramsOf, nullptr};
    return road;
}

} // namespace tintwell::cli
