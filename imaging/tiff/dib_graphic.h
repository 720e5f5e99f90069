#pragma once

#include <QImage>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "codec/raster.h"
#include "core/tcolor.h"
#include "imaging/graphic.h"

namespace tintwell {

// A device-independent raster with a palette where its format has one. Storage: TrueColor is a
// QImage::Format_BGR888 image; every palette format is a Format_Indexed8 image, one byte per pixel
// holding the palette index, whatever the nominal depth (1- and 4-bit formats keep it in
// PixelFormat()). The image's colour table is the palette padded with black to 256 entries, so that
// every byte a pixel can hold has a colour.
class TDibGraphic : public TGraphic {
public:
    int Width() const noexcept override { return FImage.width(); }
    int Height() const noexcept override { return FImage.height(); }
    void Draw(QPainter& painter, const QRectF& rect) const override;

    // The bitmap becomes 24-bit at the raster's size and takes its pixels: TrueColor shares the
    // image (no copy); palette formats are converted through the palette. Raises EInvalidGraphic
    // when memory for the conversion cannot be had.
    void AssignTo(TBitmap& bitmap) override;
    QImage Pixels() const override { return FImage; }

    TDibPixelFormat PixelFormat() const noexcept { return FPixelFormat; }
    int DpiX() const noexcept { return FDpiX; }
    int DpiY() const noexcept { return FDpiY; }
    const QImage& Image() const noexcept { return FImage; }
    // The palette as set, without the padding; empty for TrueColor.
    const std::vector<TColor>& Palette() const noexcept { return FMatcher.Palette(); }

    // Makes a raster of the given size and format, all pixels 0 (palette entry 0, or black), with
    // the format's standard palette: black and white; 16 grays of level i x 17; 256 grays of level
    // i; none for the colour formats until SetPalette. A side of 0 gives an empty raster (a null
    // image) that still has the format. Raises EInvalidGraphic when the size passes the loaders'
    // limit or memory runs out.
    void CreateRaster(int width, int height, TDibPixelFormat format, int dpiX, int dpiY);

    // Replaces the palette of a palette format; entries past 2^depth are dropped. Pixels keep
    // their indexes. Raises std::logic_error for TrueColor.
    void SetPalette(const std::vector<TColor>& colours);

    // The palette entry nearest to colour (its low 24 bits; the top byte is ignored): smallest sum
    // of squared channel differences, the lower index on a tie, an exact match ending the search;
    // remembered in 1020 slots keyed by the colour value modulo 1020. 0 for an empty palette.
    int NearestPaletteIndex(TColor colour) noexcept { return FMatcher.NearestIndex(colour); }

    // Writes one pixel by colour (TrueColor) or by its nearest palette entry. Raises
    // std::out_of_range outside the raster.
    void SetPixelColor(int x, int y, TColor colour);

    // TNegativeTransform: every pixel inverted. TrueColor inverts each channel; palette formats
    // invert the bits of each index at the nominal depth (index i becomes 2^depth - 1 - i), which
    // for the gray formats is the inverse level.
    void NegativeTransform();
    // TRotateTransform by 180 degrees, in place.
    void Rotate180();

protected:
    TDibGraphic() = default;

    QImage FImage;
    TDibPixelFormat FPixelFormat = TDibPixelFormat::TrueColor;
    int FDpiX = 96;
    int FDpiY = 96;

private:
    void ApplyPalette(std::vector<TColor> colours);

    TPaletteMatcher FMatcher;
};

} // namespace tintwell
