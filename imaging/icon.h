#pragma once

#include <QImage>

#include "imaging/graphic.h"

namespace tintwell {

// A Windows icon: shown, never analysed. The first image of the file is the icon.
class TIcon : public TGraphic {
public:
    std::string_view ClassName() const noexcept override { return "TIcon"; }

    // Raises EInvalidGraphic "Icon image is not valid".
    void LoadFromFile(const std::string& fileName) override;

    int Width() const noexcept override { return FImage.width(); }
    int Height() const noexcept override { return FImage.height(); }
    void Draw(QPainter& painter, const QRectF& rect) const override;
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TIcon>(*this); }
    QImage Pixels() const override { return FImage; }

    const QImage& Image() const noexcept { return FImage; }

private:
    QImage FImage;
};

} // namespace tintwell
