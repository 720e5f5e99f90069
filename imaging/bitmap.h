#pragma once

#include <QImage>

#include "core/bitmap_view.h"
#include "imaging/graphic.h"

namespace tintwell {

// A raster held in a QImage. Its pixel format is pf24bit exactly when the image is
// QImage::Format_BGR888 (bytes blue, green, red: the layout the statistics read), so View() of a
// 24-bit bitmap hands the rows on without a copy.
class TBitmap : public TGraphic {
public:
    TBitmap() = default;
    explicit TBitmap(QImage image) : FImage(std::move(image)) {}

    std::string_view ClassName() const noexcept override { return "TBitmap"; }

    // BMP files: an uncompressed 24-bit file is read straight into a Format_BGR888 image, other
    // kinds through Qt's BMP reader. Raises EInvalidGraphic "Bitmap image is not valid".
    void LoadFromFile(const std::string& fileName) override;

    int Width() const noexcept override { return FImage.width(); }
    int Height() const noexcept override { return FImage.height(); }
    void Draw(QPainter& painter, const QRectF& rect) const override;
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TBitmap>(*this); }
    void AssignTo(TBitmap& bitmap) override { bitmap.FImage = FImage; }
    QImage Pixels() const override { return FImage; }

    const QImage& Image() const noexcept { return FImage; }
    void SetImage(QImage image) noexcept { FImage = std::move(image); }

    TPixelFormat PixelFormat() const noexcept;

    // Converts to pf24bit (through the palette for indexed images; alpha is dropped) or pf32bit.
    // An empty bitmap keeps no pixels but takes the format. Raises EInvalidGraphic when memory
    // for the conversion cannot be had; other formats raise std::invalid_argument.
    void SetPixelFormat(TPixelFormat format);

    // The rows as the statistics read them. For an empty bitmap, width and height 0.
    TBitmapView View() const noexcept;

private:
    QImage FImage;
    // A bitmap with no pixels still has a pixel format (QImage has none for a null image).
    TPixelFormat FEmptyFormat = TPixelFormat::pfDevice;
};

} // namespace tintwell
