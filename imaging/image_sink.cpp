#include "imaging/image_sink.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include <sys/mman.h>

namespace tintwell {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kHugeRaster = std::size_t{8} << 20;

void FreeRaster(void* pixels) { std::free(pixels); }

} // namespace

QImage NewRaster(int width, int height, QImage::Format format) {
    if (width <= 0 || height <= 0)
        return QImage(width, height, format);
    // QImage's own row rule: whole 32-bit units.
    const std::int64_t depth = QImage::toPixelFormat(format).bitsPerPixel();
    const std::int64_t bytesPerLine = (std::int64_t{width} * depth + 31) / 32 * 4;
    const std::int64_t size = bytesPerLine * height;
    if (size < static_cast<std::int64_t>(kHugeRaster) || bytesPerLine > INT32_MAX)
        return QImage(width, height, format);
    const std::size_t rounded = (static_cast<std::size_t>(size) + kHugePage - 1) / kHugePage * kHugePage;
    void* pixels = std::aligned_alloc(kHugePage, rounded);
    if (pixels == nullptr)
        return {};
    // Only a request: where the system declines, ordinary pages serve.
    madvise(pixels, rounded, MADV_HUGEPAGE);
    return QImage(static_cast<uchar*>(pixels), width, height, static_cast<qsizetype>(bytesPerLine), format,
                  &FreeRaster, pixels);
}

std::uint32_t TImageSink::Begin(const TRasterLayout& layout) noexcept {
    if (FMode == Create) {
        FImage = NewRaster(static_cast<int>(layout.Width), static_cast<int>(layout.Height),
                           layout.Indexed ? QImage::Format_Indexed8 : QImage::Format_BGR888);
        if (FImage.isNull())
            return 0;
        if (!layout.WholeRows)
            FImage.fill(0);
        if (layout.Indexed) {
            QList<QRgb> table;
            for (int i = 0; i < layout.TableSize; ++i) {
                const TColor colour = layout.Table[static_cast<std::size_t>(i)];
                table.push_back(qRgb(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
            }
            FImage.setColorTable(table);
        }
    }
    return FImage.isNull() ? 0 : std::max<std::uint32_t>(layout.Height, 1);
}

} // namespace tintwell
