#include "stream/road_identity.h"

#include <array>

#include "cli/image_road.h"
#include "cli/stream_road.h"

namespace tintwell::test {
namespace {

std::array<TPixelPlane, kPixelPlaneCount> AllPlanes() {
    std::array<TPixelPlane, kPixelPlaneCount> planes{};
    for (int i = 0; i < kPixelPlaneCount; ++i)
        planes[static_cast<std::size_t>(i)] = static_cast<TPixelPlane>(i);
    return planes;
}

} // namespace

TRoadComparison CompareRoads(const std::string& file, const TCountingOptions& options) {
    TRoadComparison comparison;
    const auto planes = AllPlanes();
    // The command line's two roads themselves, the streaming one with these counting options.
    const cli::TRoadHistograms streamed = cli::StreamHistogramsOf(file, planes, options);
    if (!streamed.Taken)
        return comparison;
    comparison.Streamed = true;
    const cli::TRoadHistograms bitmap = cli::BitmapRoad().Histograms(file, planes, 0);
    if (bitmap.Error != streamed.Error) {
        comparison.Difference =
            "bitmap road: '" + bitmap.Error + "', streaming road: '" + streamed.Error + "'";
        return comparison;
    }
    for (std::size_t plane = 0; plane < bitmap.Histograms.size(); ++plane) {
        for (std::size_t level = 0; level < 256; ++level) {
            const auto expected = bitmap.Histograms[plane].Counts[level];
            const auto actual = streamed.Histograms[plane].Counts[level];
            if (expected != actual) {
                comparison.Difference = "plane " + std::to_string(plane) + ", level " +
                                        std::to_string(level) + ": bitmap road " + std::to_string(expected) +
                                        ", streaming road " + std::to_string(actual);
                return comparison;
            }
        }
    }
    return comparison;
}

} // namespace tintwell::test
