#include "ui/main/picture_preview.h"

#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/geometry.h"
#include "imaging/jpeg_image.h"
#include "imaging/picture.h"

namespace tintwell {

namespace {

// Averages each fx x fy block of a 24- or 32-bit raster into one pixel: the rows of a block are
// summed column by column (a plain loop over bytes, which the compiler vectorises), then the
// sums are folded fx at a time. Qt's area-averaging scaler costs as much as decoding a large
// photo; this brings the picture to a size where that scaler is cheap.
QImage BoxReduce(const QImage& source, int fx, int fy) {
    const int bytes = source.depth() / 8;
    const int width = source.width() / fx, height = source.height() / fy;
    QImage reduced(width, height, source.format());
    if (reduced.isNull())
        return {};
    const std::size_t used = static_cast<std::size_t>(width) * static_cast<std::size_t>(fx * bytes);
    std::vector<std::uint32_t> columns(used);
    const std::uint32_t count = static_cast<std::uint32_t>(fx * fy);
    for (int y = 0; y < height; ++y) {
        std::fill(columns.begin(), columns.end(), 0U);
        for (int row = 0; row < fy; ++row) {
            const uchar* line = source.constScanLine(y * fy + row);
            for (std::size_t i = 0; i < used; ++i)
                columns[i] += line[i];
        }
        uchar* out = reduced.scanLine(y);
        const std::uint32_t* column = columns.data();
        for (int x = 0; x < width; ++x, out += bytes, column += fx * bytes) {
            for (int c = 0; c < bytes; ++c) {
                std::uint32_t sum = 0;
                for (int k = 0; k < fx; ++k)
                    sum += column[k * bytes + c];
                out[c] = static_cast<uchar>((sum + count / 2) / count);
            }
        }
    }
    return reduced;
}

} // namespace

QImage ScaleGraphic(const TGraphic& graphic, QSize target) {
    if (target.isEmpty())
        return {};
    QImage pixels = graphic.Pixels();
    if (!pixels.isNull()) {
        if (pixels.size() == target)
            return pixels.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const int fx = pixels.width() / target.width(), fy = pixels.height() / target.height();
        const bool direct = pixels.format() == QImage::Format_BGR888 ||
                            pixels.format() == QImage::Format_RGB32 ||
                            pixels.format() == QImage::Format_ARGB32 ||
                            pixels.format() == QImage::Format_ARGB32_Premultiplied;
        // Leave the last factor of two to the smooth scaler, which then still has pixels to blend.
        if (direct && fx >= 4 && fy >= 4)
            pixels = BoxReduce(pixels, fx / 2, fy / 2);
        if (pixels.isNull())
            return {};
        // In the format painting blends fastest, so a repaint copies rather than converts.
        return pixels.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    QImage drawn(target, QImage::Format_ARGB32_Premultiplied);
    if (drawn.isNull())
        return {};
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    graphic.Draw(painter, QRectF(0, 0, target.width(), target.height()));
    return drawn;
}

std::optional<TFilePreview> LoadFilePreview(const std::string& fileName, QSize maxSize) noexcept {
    try {
        TPicture picture;
        picture.LoadFromFile(fileName);
        TGraphic* graphic = picture.Graphic();
        const QSize original(graphic->Width(), graphic->Height());
        const TSize fitted =
            FitPictureSize({original.width(), original.height()}, {maxSize.width(), maxSize.height()});
        const QSize target(fitted.Width, fitted.Height);
        if (target.isEmpty())
            return std::nullopt;
        QImage shown;
        if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(graphic)) {
            const QImage reduced = jpeg->DecodeForPreview(target);
            shown = reduced.size() == target
                        ? reduced
                        : reduced.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        } else {
            graphic->Prepare();
            shown = ScaleGraphic(*graphic, target);
        }
        if (shown.isNull())
            return std::nullopt;
        return TFilePreview{std::move(shown), original};
    } catch (...) {
        return std::nullopt;
    }
}

} // namespace tintwell
