#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "stats/histogram.h"
#include "stream/plane_counter.h"

namespace tintwell {

// The histograms of a file's picture for the planes asked for (one per plane, in their order),
// counted while the file is decoded, without the picture's bitmap: for JPEG files, TIFF files, and
// uncompressed 24-bit BMP files, chosen by extension as the Open Image road chooses. The counts are
// those GetHistogram gives on that road's 24-bit bitmap, and a file that fails raises that road's
// error. Nothing (and nothing read beyond a header) for any other kind of file: the caller takes
// the bitmap road. JPEG and TIFF files use at most one of the options' workers: their decoder is
// the slower side.
std::optional<std::vector<THistogram>> StreamHistograms(const std::string& fileName,
                                                        std::span<const TPixelPlane> planes,
                                                        const TCountingOptions& options = {});

} // namespace tintwell
