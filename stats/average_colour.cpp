#include "stats/average_colour.h"

#include "stats/histogram.h"

namespace tintwell {

TColor BitmapAverageColor(const TBitmapView& bitmap) {
    THistogram histogram;
    GetHistogram(bitmap, TPixelPlane::ppRed, histogram);
    const std::uint8_t red = histogram.GetStatistics().Median;
    GetHistogram(bitmap, TPixelPlane::ppGreen, histogram);
    const std::uint8_t green = histogram.GetStatistics().Median;
    GetHistogram(bitmap, TPixelPlane::ppBlue, histogram);
    const std::uint8_t blue = histogram.GetStatistics().Median;
    return RGB(red, green, blue);
}

} // namespace tintwell
