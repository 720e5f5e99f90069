#pragma once

#include "core/tcolor.h"
#include "imaging/bitmap.h"

namespace tintwell {

// The road from a loaded picture to what the statistics read: the picture copied into a bitmap
// (a JPEG or TIFF raster shares its decoded pixels), then made 24-bit. Raises what the copy
// raises: EConvertError "Cannot assign a TIcon to a TBitmap" for pictures that are only shown,
// the decoder's error for a JPEG that decodes here, EInvalidGraphic when memory runs out.
TBitmap AnalysisBitmap(TGraphic& graphic);

// The picture's colour as Open Image shows it: BitmapAverageColor of its AnalysisBitmap. What is
// shared, and how:
// - the rule from counts to a colour is one function, stats' HistogramAverageColor: this one
//   reaches it through BitmapAverageColor, tintwell-cli's average calls it on either road's counts;
// - the bitmap is AnalysisBitmap's, made alike by the window (through this function),
//   tintwell-cli's bitmap road, the preview benchmark and the fuzz targets; the window and
//   tintwell-cli count its red, green and blue in one pass (GetChannelHistograms);
// - tintwell-cli's streaming road never makes this bitmap: that its counts are the bitmap's is
//   checked on every fixture and on damaged files (tests/stream, the fuzz targets), not built in.
TColor PictureAverageColor(TGraphic& graphic);

} // namespace tintwell
