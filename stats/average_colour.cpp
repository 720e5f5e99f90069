#include "stats/average_colour.h"

namespace tintwell {

TColor HistogramAverageColor(const THistogram& red, const THistogram& green,
                             const THistogram& blue) noexcept {
    return RGB(red.GetStatistics().Median, green.GetStatistics().Median, blue.GetStatistics().Median);
}

TColor BitmapAverageColor(const TBitmapView& bitmap) {
    THistogram red, green, blue;
    GetChannelHistograms(bitmap, red, green, blue);
    return HistogramAverageColor(red, green, blue);
}

} // namespace tintwell
