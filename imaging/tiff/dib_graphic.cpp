#include "imaging/tiff/dib_graphic.h"

#include <QPainter>
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "codec/errors.h"
#include "codec/limits.h"
#include "core/resource_text.h"
#include "imaging/bitmap.h"
#include "imaging/image_sink.h"

namespace tintwell {
namespace {

bool IsTrueColor(TDibPixelFormat format) { return format == TDibPixelFormat::TrueColor; }

[[noreturn]] void RaiseOutOfMemory() { throw EInvalidGraphic(ResString("Not enough memory for the bitmap")); }

} // namespace

void TDibGraphic::Draw(QPainter& painter, const QRectF& rect) const {
    if (!FImage.isNull())
        painter.drawImage(rect, FImage);
}

void TDibGraphic::AssignTo(TBitmap& bitmap) {
    if (FImage.isNull() || IsTrueColor(FPixelFormat)) {
        bitmap.SetImage(FImage);
    } else {
        QImage converted = FImage.convertToFormat(QImage::Format_BGR888);
        if (converted.isNull())
            RaiseOutOfMemory();
        bitmap.SetImage(std::move(converted));
    }
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
}

void TDibGraphic::CreateRaster(int width, int height, TDibPixelFormat format, int dpiX, int dpiY) {
    CheckImageSize(width, height);
    QImage image;
    if (width > 0 && height > 0) {
        image =
            NewRaster(width, height, IsTrueColor(format) ? QImage::Format_BGR888 : QImage::Format_Indexed8);
        if (image.isNull())
            RaiseOutOfMemory();
        // A fresh QImage holds whatever the allocator left there; undecodable parts of a file
        // must read the same on every run.
        image.fill(0);
    }
    FImage = std::move(image);
    FPixelFormat = format;
    FDpiX = dpiX;
    FDpiY = dpiY;
    ApplyPalette(StandardPalette(format));
}

void TDibGraphic::SetPalette(const std::vector<TColor>& colours) {
    if (IsTrueColor(FPixelFormat))
        throw std::logic_error("TDibGraphic::SetPalette: a true-colour raster has no palette");
    ApplyPalette(colours);
}

void TDibGraphic::ApplyPalette(std::vector<TColor> colours) {
    if (IsTrueColor(FPixelFormat)) {
        FMatcher = TPaletteMatcher();
        return;
    }
    const std::size_t capacity = std::size_t{1} << BitsPerPixel(FPixelFormat);
    if (colours.size() > capacity)
        colours.resize(capacity);
    FMatcher = TPaletteMatcher(std::move(colours));
    if (FImage.isNull())
        return;
    // 256 entries whatever the depth, so no conversion ever looks beyond the table.
    const TColourTable padded = PaddedColourTable(FMatcher.Palette());
    QList<QRgb> table;
    for (const TColor colour : padded)
        table.push_back(qRgb(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
    FImage.setColorTable(table);
}

void TDibGraphic::SetPixelColor(int x, int y, TColor colour) {
    if (x < 0 || y < 0 || x >= Width() || y >= Height())
        throw std::out_of_range("TDibGraphic::SetPixelColor: pixel outside the raster");
    uchar* row = FImage.scanLine(y);
    if (IsTrueColor(FPixelFormat)) {
        uchar* p = row + 3 * static_cast<std::ptrdiff_t>(x);
        p[0] = GetBValue(colour);
        p[1] = GetGValue(colour);
        p[2] = GetRValue(colour);
    } else {
        row[x] = static_cast<uchar>(NearestPaletteIndex(colour));
    }
}

void TDibGraphic::NegativeTransform() {
    if (FImage.isNull())
        return;
    const int height = FImage.height();
    if (IsTrueColor(FPixelFormat)) {
        const auto rowBytes = 3 * static_cast<std::size_t>(FImage.width());
        for (int y = 0; y < height; ++y) {
            uchar* row = FImage.scanLine(y);
            for (std::size_t i = 0; i < rowBytes; ++i)
                row[i] = static_cast<uchar>(255 - row[i]);
        }
        return;
    }
    const auto mask = static_cast<uchar>((1u << BitsPerPixel(FPixelFormat)) - 1u);
    const auto width = static_cast<std::size_t>(FImage.width());
    for (int y = 0; y < height; ++y) {
        uchar* row = FImage.scanLine(y);
        for (std::size_t x = 0; x < width; ++x)
            row[x] = static_cast<uchar>(row[x] ^ mask);
    }
}

void TDibGraphic::Rotate180() {
    if (FImage.isNull())
        return;
    const std::size_t pixelBytes = IsTrueColor(FPixelFormat) ? 3 : 1;
    const auto width = static_cast<std::size_t>(FImage.width());
    const auto swapPixels = [pixelBytes](uchar* a, uchar* b) {
        for (std::size_t i = 0; i < pixelBytes; ++i)
            std::swap(a[i], b[i]);
    };
    for (int top = 0, bottom = FImage.height() - 1; top <= bottom; ++top, --bottom) {
        uchar* upper = FImage.scanLine(top);
        uchar* lower = FImage.scanLine(bottom);
        if (top == bottom) {
            for (std::size_t left = 0, right = width; left + 1 < right; ++left, --right)
                swapPixels(upper + left * pixelBytes, upper + (right - 1) * pixelBytes);
        } else {
            for (std::size_t x = 0; x < width; ++x)
                swapPixels(upper + x * pixelBytes, lower + (width - 1 - x) * pixelBytes);
        }
    }
}

} // namespace tintwell
