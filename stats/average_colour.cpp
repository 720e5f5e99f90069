#include "stats/average_colour.h"

#include "stats/histogram.h"

namespace tintwell {

TColor BitmapAverageColor(const TBitmapView& bitmap) {
    THistogram red, green, blue;
    GetChannelHistograms(bitmap, red, green, blue);
    return RGB(red.GetStatistics().Median, green.GetStatistics().Median, blue.GetStatistics().Median);
}

} // namespace tintwell
