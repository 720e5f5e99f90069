#pragma once

#include "core/tcolor.h"
#include "imaging/bitmap.h"

namespace tintwell {

// The road from a loaded picture to what the statistics read: the picture copied into a bitmap
// (a JPEG or TIFF raster shares its decoded pixels), then made 24-bit. Raises what the copy
// raises: EConvertError "Cannot assign a TIcon to a TBitmap" for pictures that are only shown,
// the decoder's error for a JPEG that decodes here, EInvalidGraphic when memory runs out.
TBitmap AnalysisBitmap(TGraphic& graphic);

// The picture's colour as Open Image shows it: the average colour (per channel the half-count
// level) of its AnalysisBitmap. The window, tintwell-cli, the benchmarks and the fuzzers all take
// this one road, so they cannot drift apart.
TColor PictureAverageColor(TGraphic& graphic);

} // namespace tintwell
