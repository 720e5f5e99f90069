#pragma once

#include "core/bitmap_view.h"
#include "core/tcolor.h"

namespace tintwell {

// The image's average colour: for each of red, green and blue the half-count level (Median of
// THistogram::GetStatistics) of that channel's histogram. Not the arithmetic mean: a uniform
// (r, g, b) bitmap of two or more pixels gives (r + 1, g + 1, b + 1), 255 staying 255, and a
// bitmap with no pixels gives white. The bitmap is only read.
//
// Raises EHistogramError (with GetHistogram's messages) when the bitmap is not 24-bit or too large
// to count.
TColor BitmapAverageColor(const TBitmapView& bitmap);

} // namespace tintwell
