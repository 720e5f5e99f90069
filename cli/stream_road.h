#pragma once

// The streaming road with every counting option, for the checks that hold it against the bitmap
// road band size by band size; the module's entry point chooses only the workers.

#include <span>
#include <string>

#include "cli/image_road.h"
#include "stream/plane_counter.h"

namespace tintwell::cli {

// The streaming road's TImageRoad::Histograms, counting as options say. Never throws.
TRoadHistograms StreamHistogramsOf(const std::string& file, std::span<const TPixelPlane> planes,
                                   const TCountingOptions& options) noexcept;

} // namespace tintwell::cli
