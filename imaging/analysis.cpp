#include "imaging/analysis.h"

#include "stats/average_colour.h"

namespace tintwell {

TBitmap AnalysisBitmap(TGraphic& graphic) {
    TBitmap bitmap;
    graphic.AssignTo(bitmap);
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    return bitmap;
}

TColor PictureAverageColor(TGraphic& graphic) { return BitmapAverageColor(AnalysisBitmap(graphic).View()); }

} // namespace tintwell
