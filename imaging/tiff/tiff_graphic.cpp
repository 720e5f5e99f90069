#include "imaging/tiff/tiff_graphic.h"

#include "codec/tiff_decode.h"
#include "imaging/display_info.h"
#include "imaging/image_sink.h"
#include "imaging/registry.h"

namespace tintwell {

const TGraphicClass kTiffGraphicClass{
    "TTiffGraphic", [] { return std::unique_ptr<TGraphic>(std::make_unique<TTiffGraphic>()); }};

void TTiffGraphic::LoadFromFile(const std::string& fileName) {
    TTiffReader reader(fileName, DisplayInfo().DpiX, DisplayInfo().DpiY);
    TTiffGraphic loaded;
    loaded.CreateRaster(static_cast<int>(reader.Width()), static_cast<int>(reader.Height()), reader.Format(),
                        reader.DpiX(), reader.DpiY());
    if (reader.Format() == TDibPixelFormat::Color16 || reader.Format() == TDibPixelFormat::Color256)
        loaded.SetPalette(reader.Palette());
    loaded.FCompression = reader.Compression();
    if (!loaded.FImage.isNull()) {
        TImageSink sink(loaded.FImage, TImageSink::Existing);
        reader.ReadPixels(sink);
    }
    if (reader.Invert())
        loaded.NegativeTransform();
    if (reader.Rotate180())
        loaded.Rotate180();
    *this = std::move(loaded);
}

} // namespace tintwell
