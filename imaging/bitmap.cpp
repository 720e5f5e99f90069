#include "imaging/bitmap.h"

#include <QPainter>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "codec/bmp_decode.h"
#include "codec/errors.h"
#include "core/resource_text.h"
#include "imaging/image_sink.h"
#include "imaging/qt_reader.h"
#include "imaging/registry.h"

namespace tintwell {

const TGraphicClass kBitmapClass{"TBitmap",
                                 [] { return std::unique_ptr<TGraphic>(std::make_unique<TBitmap>()); }};

void TBitmap::LoadFromFile(const std::string& fileName) {
    QImage image;
    TImageSink sink(image, TImageSink::Create);
    if (!ReadPlain24BitBmp(fileName, sink))
        image = ReadWithQtReader(fileName, "bmp", ResString("Bitmap image is not valid"));
    FImage = std::move(image);
}

void TBitmap::Draw(QPainter& painter, const QRectF& rect) const {
    if (!FImage.isNull())
        painter.drawImage(rect, FImage);
}

TPixelFormat TBitmap::PixelFormat() const noexcept {
    switch (FImage.format()) {
    case QImage::Format_Invalid: return FEmptyFormat;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB: return TPixelFormat::pf1bit;
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8: return TPixelFormat::pf8bit;
    case QImage::Format_RGB555: return TPixelFormat::pf15bit;
    case QImage::Format_RGB16: return TPixelFormat::pf16bit;
    case QImage::Format_BGR888: return TPixelFormat::pf24bit;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied: return TPixelFormat::pf32bit;
    default: return TPixelFormat::pfCustom;
    }
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    QImage::Format target = QImage::Format_Invalid;
    switch (format) {
    case TPixelFormat::pf24bit: target = QImage::Format_BGR888; break;
    case TPixelFormat::pf32bit: target = QImage::Format_RGB32; break;
    default: throw std::invalid_argument("TBitmap::SetPixelFormat: only 24 and 32 bits are supported");
    }
    if (FImage.isNull()) {
        FEmptyFormat = format;
        return;
    }
    if (FImage.format() == target)
        return;
    // Alpha is dropped as the platform's conversion does: colours as stored, not blended.
    QImage converted = FImage.hasAlphaChannel()
                           ? FImage.convertToFormat(QImage::Format_ARGB32).convertToFormat(target)
                           : FImage.convertToFormat(target);
    if (converted.isNull())
        throw EInvalidGraphic(ResString("Not enough memory for the bitmap"));
    FImage = std::move(converted);
}

TBitmapView TBitmap::View() const noexcept {
    if (FImage.isNull())
        return TBitmapView(0, 0, FEmptyFormat, nullptr, 0);
    return TBitmapView(FImage.width(), FImage.height(), PixelFormat(), FImage.constBits(),
                       FImage.bytesPerLine());
}

} // namespace tintwell
