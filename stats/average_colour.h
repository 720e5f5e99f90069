#pragma once

#include "core/bitmap_view.h"
#include "core/tcolor.h"
#include "stats/histogram.h"

namespace tintwell {

// The colour of a picture's three channel histograms (as GetChannelHistograms fills them): for
// each channel its half-count level, the Median of THistogram::GetStatistics. An empty channel
// gives 255 in that channel. This is the one rule by which a picture becomes a colour: the window,
// and tintwell-cli on either of its roads, reduce their counts through it.
TColor HistogramAverageColor(const THistogram& red, const THistogram& green, const THistogram& blue) noexcept;

// The image's average colour: HistogramAverageColor of its red, green and blue histograms. Not the
// arithmetic mean: a uniform (r, g, b) bitmap of two or more pixels gives (r + 1, g + 1, b + 1), 255
// staying 255, and a bitmap with no pixels gives white. The bitmap is only read.
//
// Raises EHistogramError (with GetHistogram's messages) when the bitmap is not 24-bit or too large
// to count.
TColor BitmapAverageColor(const TBitmapView& bitmap);

} // namespace tintwell
