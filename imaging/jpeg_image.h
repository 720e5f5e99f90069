#pragma once

#include <QImage>
#include <cstdint>
#include <memory>
#include <vector>

#include "imaging/graphic.h"

namespace tintwell {

// A JPEG file: loading keeps the bytes and reads the header only; the pixels are decoded once, at
// the first Prepare or AssignTo, and every clone shares that one decode.
class TJPEGImage : public TGraphic {
public:
    TJPEGImage();
    ~TJPEGImage() override;
    TJPEGImage(const TJPEGImage&);
    TJPEGImage& operator=(const TJPEGImage&);

    std::string_view ClassName() const noexcept override { return "TJPEGImage"; }

    // Raises EJPEG "JPEG error #<n>" when libjpeg rejects the header.
    void LoadFromFile(const std::string& fileName) override;

    int Width() const noexcept override;
    int Height() const noexcept override;
    bool Grayscale() const noexcept;
    bool ProgressiveEncoding() const noexcept;

    // Decodes at full size with block smoothing: to 24-bit colour, or quantized to at most 236
    // colours for a grayscale file or a display of 8 bits or fewer. Raises EJPEG on bad data.
    void Prepare() override;
    void Draw(QPainter& painter, const QRectF& rect) const override;
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TJPEGImage>(*this); }

    // Prepares, then the bitmap takes the decoded image (shared, not copied).
    void AssignTo(TBitmap& bitmap) override;
    QImage Pixels() const override { return DecodedImage(); }

    // The decoded image, null before Prepare.
    QImage DecodedImage() const;

    // A decode at the smallest DCT scale (1/1 to 1/8) that still covers maxSize, for previews of
    // large files; unrelated to the shared full decode. Raises EJPEG on bad data.
    QImage DecodeForPreview(QSize maxSize) const;

private:
    struct TState;
    std::shared_ptr<TState> FState;
};

} // namespace tintwell
