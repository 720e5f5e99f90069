#include "stream/road_identity.h"

#include <array>
#include <exception>
#include <optional>
#include <vector>

#include "core/exception.h"
#include "imaging/analysis.h"
#include "imaging/picture.h"
#include "stream/stream_analysis.h"

namespace tintwell::test {
namespace {

struct TOutcome {
    std::vector<THistogram> Histograms;
    std::string Error;
};

std::array<TPixelPlane, kPixelPlaneCount> AllPlanes() {
    std::array<TPixelPlane, kPixelPlaneCount> planes{};
    for (int i = 0; i < kPixelPlaneCount; ++i)
        planes[static_cast<std::size_t>(i)] = static_cast<TPixelPlane>(i);
    return planes;
}

TOutcome BitmapRoad(const std::string& file) {
    TOutcome outcome;
    try {
        TPicture picture;
        picture.LoadFromFile(file);
        const TBitmap bitmap = AnalysisBitmap(*picture.Graphic());
        for (const TPixelPlane plane : AllPlanes()) {
            THistogram histogram;
            GetHistogram(bitmap.View(), plane, histogram);
            outcome.Histograms.push_back(histogram);
        }
    } catch (const Exception& e) {
        outcome = {{}, e.Message()};
    }
    return outcome;
}

std::optional<TOutcome> StreamRoad(const std::string& file, const TCountingOptions& options) {
    try {
        const auto planes = AllPlanes();
        auto histograms = StreamHistograms(file, planes, options);
        if (!histograms)
            return std::nullopt;
        return TOutcome{std::move(*histograms), {}};
    } catch (const Exception& e) {
        return TOutcome{{}, e.Message()};
    }
}

} // namespace

TRoadComparison CompareRoads(const std::string& file, const TCountingOptions& options) {
    TRoadComparison comparison;
    const std::optional<TOutcome> streamed = StreamRoad(file, options);
    if (!streamed)
        return comparison;
    comparison.Streamed = true;
    const TOutcome bitmap = BitmapRoad(file);
    if (bitmap.Error != streamed->Error) {
        comparison.Difference =
            "bitmap road: '" + bitmap.Error + "', streaming road: '" + streamed->Error + "'";
        return comparison;
    }
    for (std::size_t plane = 0; plane < bitmap.Histograms.size(); ++plane) {
        for (std::size_t level = 0; level < 256; ++level) {
            const auto expected = bitmap.Histograms[plane].Counts[level];
            const auto actual = streamed->Histograms[plane].Counts[level];
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
