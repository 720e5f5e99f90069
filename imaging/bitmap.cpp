#include "imaging/bitmap.h"

#include <QPainter>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "core/resource_text.h"
#include "imaging/errors.h"
#include "imaging/file_io.h"
#include "imaging/limits.h"
#include "imaging/qt_reader.h"
#include "imaging/registry.h"

namespace tintwell {
namespace {

[[noreturn]] void RaiseInvalidBitmap() { throw EInvalidGraphic(ResString("Bitmap image is not valid")); }

std::uint32_t ReadU32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}
std::uint16_t ReadU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

// An uncompressed 24-bit file already has the raster's row layout (blue, green, red, rows padded
// to four bytes), so its rows are read straight into place: no decode into a 32-bit image and no
// conversion afterwards. Returns false for every other kind of file, which goes to Qt's reader.
bool TryReadPlain24BitBmp(const std::string& fileName, QImage& image) {
    constexpr std::size_t kFileHeader = 14;
    constexpr std::size_t kInfoHeader = 40;
    TFileStream stream(fileName);
    std::uint8_t header[kFileHeader + kInfoHeader];
    if (std::fread(header, 1, sizeof header, stream.Handle()) != sizeof header)
        return false;
    if (header[0] != 'B' || header[1] != 'M')
        return false;
    const std::uint32_t pixelOffset = ReadU32(header + 10);
    const std::uint32_t infoSize = ReadU32(header + 14);
    const auto width = static_cast<std::int32_t>(ReadU32(header + 18));
    const auto height = static_cast<std::int32_t>(ReadU32(header + 22));
    const std::uint16_t planes = ReadU16(header + 26);
    const std::uint16_t bitCount = ReadU16(header + 28);
    const std::uint32_t compression = ReadU32(header + 30);
    constexpr std::uint32_t kBiRgb = 0;
    if (infoSize < kInfoHeader || planes != 1 || bitCount != 24 || compression != kBiRgb || width <= 0 ||
        height == 0 || height == std::numeric_limits<std::int32_t>::min())
        return false;
    const bool topDown = height < 0;
    const std::int64_t rows = topDown ? -std::int64_t{height} : height;
    CheckImageSize(width, rows);
    const std::int64_t stride = (std::int64_t{width} * 3 + 3) / 4 * 4;
    if (pixelOffset < kFileHeader + infoSize || pixelOffset + stride * rows > stream.Size())
        RaiseInvalidBitmap();

    QImage raster(width, static_cast<int>(rows), QImage::Format_BGR888);
    if (raster.isNull() || raster.bytesPerLine() < stride - 3)
        throw EInvalidGraphic(ResString("Not enough memory for the bitmap"));
    if (std::fseek(stream.Handle(), static_cast<long>(pixelOffset), SEEK_SET) != 0)
        RaiseInvalidBitmap();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    const std::size_t padding = static_cast<std::size_t>(stride) - rowBytes;
    std::uint8_t pad[3];
    for (std::int64_t i = 0; i < rows; ++i) {
        const int y = static_cast<int>(topDown ? i : rows - 1 - i);
        if (std::fread(raster.scanLine(y), 1, rowBytes, stream.Handle()) != rowBytes ||
            (padding > 0 && std::fread(pad, 1, padding, stream.Handle()) != padding))
            RaiseInvalidBitmap();
    }
    image = std::move(raster);
    return true;
}

} // namespace

const TGraphicClass kBitmapClass{"TBitmap",
                                 [] { return std::unique_ptr<TGraphic>(std::make_unique<TBitmap>()); }};

void TBitmap::LoadFromFile(const std::string& fileName) {
    QImage image;
    if (!TryReadPlain24BitBmp(fileName, image))
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
