// The bitmap road, the window's own: load by extension, copy into a bitmap, make it 24-bit, count.
#include <algorithm>

#include "cli/image_road.h"
#include "core/conversions.h"
#include "imaging/analysis.h"
#include "imaging/jpeg_image.h"
#include "imaging/picture.h"
#include "imaging/tiff/dib_graphic.h"
#include "imaging/tiff/tiff_graphic.h"

namespace tintwell::cli {
namespace {

// Red, green and blue asked for together are counted in one pass over the rows, as the window
// counts them for its colour; every other plane takes a pass of its own.
std::vector<THistogram> CountPlanes(const TBitmapView& bitmap, std::span<const TPixelPlane> planes) {
    const auto asked = [&](TPixelPlane plane) { return std::ranges::find(planes, plane) != planes.end(); };
    const bool channels =
        asked(TPixelPlane::ppRed) && asked(TPixelPlane::ppGreen) && asked(TPixelPlane::ppBlue);
    THistogram red, green, blue;
    if (channels)
        GetChannelHistograms(bitmap, red, green, blue);
    std::vector<THistogram> histograms(planes.size());
    for (std::size_t i = 0; i < planes.size(); ++i) {
        if (channels && planes[i] == TPixelPlane::ppRed)
            histograms[i] = red;
        else if (channels && planes[i] == TPixelPlane::ppGreen)
            histograms[i] = green;
        else if (channels && planes[i] == TPixelPlane::ppBlue)
            histograms[i] = blue;
        else
            GetHistogram(bitmap, planes[i], histograms[i]);
    }
    return histograms;
}

TRoadHistograms BitmapHistogramsOf(const std::string& file, std::span<const TPixelPlane> planes, unsigned) {
    TRoadHistograms result;
    result.Taken = true;
    if (auto error = RoadError([&] {
            TPicture picture;
            picture.LoadFromFile(file);
            const TBitmap bitmap = AnalysisBitmap(*picture.Graphic());
            result.Histograms = CountPlanes(bitmap.View(), planes);
        }))
        result.Error = std::move(*error);
    return result;
}

TRoadInfo BitmapInfoOf(const std::string& file) {
    TRoadInfo info;
    if (auto error = RoadError([&] {
            TPicture picture;
            picture.LoadFromFile(file);
            const TGraphic& graphic = *picture.Graphic();
            info.Fields = {{"class", std::string(graphic.ClassName()), true},
                           {"width", IntToStr(graphic.Width())},
                           {"height", IntToStr(graphic.Height())}};
            if (const auto* tiff = dynamic_cast<const TTiffGraphic*>(&graphic)) {
                info.Fields.push_back({"pixelFormat", std::string(DisplayName(tiff->PixelFormat())), true});
                info.Fields.push_back({"compression", std::string(DisplayName(tiff->Compression())), true});
            } else if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(&graphic)) {
                info.Fields.push_back({"grayscale", jpeg->Grayscale() ? "true" : "false"});
                info.Fields.push_back({"progressive", jpeg->ProgressiveEncoding() ? "true" : "false"});
            }
        })) {
        info.Fields.clear();
        info.Error = std::move(*error);
    }
    return info;
}

} // namespace

const TImageRoad& BitmapRoad() noexcept {
    static const TImageRoad road{&BitmapHistogramsOf, &BitmapInfoOf};
    return road;
}

} // namespace tintwell::cli
