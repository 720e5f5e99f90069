#include "imaging/tiff/dib_graphic.h"

#include <QPainter>
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "core/resource_text.h"
#include "imaging/bitmap.h"
#include "imaging/errors.h"
#include "imaging/limits.h"

namespace tintwell {
namespace {

constexpr std::uint32_t kRgbMask = 0xFFFFFFu;

bool IsTrueColor(TDibPixelFormat format) { return format == TDibPixelFormat::TrueColor; }

[[noreturn]] void RaiseOutOfMemory() { throw EInvalidGraphic(ResString("Not enough memory for the bitmap")); }

std::vector<TColor> StandardPalette(TDibPixelFormat format) {
    std::vector<TColor> palette;
    switch (format) {
    case TDibPixelFormat::BlackAndWhite: palette = {RGB(0, 0, 0), RGB(255, 255, 255)}; break;
    case TDibPixelFormat::Gray16:
        for (int i = 0; i < 16; ++i)
            palette.push_back(RGB(i * 17, i * 17, i * 17));
        break;
    case TDibPixelFormat::Gray256:
        for (int i = 0; i < 256; ++i)
            palette.push_back(RGB(i, i, i));
        break;
    case TDibPixelFormat::Color16:
    case TDibPixelFormat::Color256:
    case TDibPixelFormat::TrueColor: break;
    }
    return palette;
}

int SquaredDistance(TColor a, TColor b) {
    const int dr = GetRValue(a) - GetRValue(b);
    const int dg = GetGValue(a) - GetGValue(b);
    const int db = GetBValue(a) - GetBValue(b);
    return dr * dr + dg * dg + db * db;
}

} // namespace

std::string_view DisplayName(TDibPixelFormat format) noexcept {
    switch (format) {
    case TDibPixelFormat::BlackAndWhite: return N_("Black and white");
    case TDibPixelFormat::Gray16: return N_("16 shades of gray");
    case TDibPixelFormat::Gray256: return N_("256 shades of gray");
    case TDibPixelFormat::Color16: return N_("16 color");
    case TDibPixelFormat::Color256: return N_("256 color");
    case TDibPixelFormat::TrueColor: return N_("True color");
    }
    return "";
}

int BitsPerPixel(TDibPixelFormat format) noexcept {
    switch (format) {
    case TDibPixelFormat::BlackAndWhite: return 1;
    case TDibPixelFormat::Gray16:
    case TDibPixelFormat::Color16: return 4;
    case TDibPixelFormat::Gray256:
    case TDibPixelFormat::Color256: return 8;
    case TDibPixelFormat::TrueColor: return 24;
    }
    return 24;
}

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
        image = QImage(width, height, IsTrueColor(format) ? QImage::Format_BGR888 : QImage::Format_Indexed8);
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
    FNearestCache.fill(TCacheSlot{});
    if (IsTrueColor(FPixelFormat)) {
        FPalette.clear();
        return;
    }
    const std::size_t capacity = std::size_t{1} << BitsPerPixel(FPixelFormat);
    if (colours.size() > capacity)
        colours.resize(capacity);
    FPalette = std::move(colours);
    if (FImage.isNull())
        return;
    // 256 entries whatever the depth: a pixel byte that a damaged file put past the palette still
    // has a colour (black), so no conversion ever looks beyond the table.
    QList<QRgb> table(256, qRgb(0, 0, 0));
    for (std::size_t i = 0; i < FPalette.size(); ++i)
        table[static_cast<qsizetype>(i)] =
            qRgb(GetRValue(FPalette[i]), GetGValue(FPalette[i]), GetBValue(FPalette[i]));
    FImage.setColorTable(table);
}

int TDibGraphic::NearestPaletteIndex(TColor colour) {
    const auto key = static_cast<std::uint32_t>(colour) & kRgbMask;
    const auto rgb = static_cast<TColor>(key);
    TCacheSlot& slot = FNearestCache[key % FNearestCache.size()];
    if (slot.Colour == rgb)
        return slot.Index;
    int best = 0;
    int bestDistance = 0;
    for (std::size_t i = 0; i < FPalette.size(); ++i) {
        const int distance = SquaredDistance(rgb, FPalette[i]);
        if (i == 0 || distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
            if (distance == 0)
                break;
        }
    }
    slot = TCacheSlot{rgb, best};
    return best;
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
