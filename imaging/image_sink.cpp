#include "imaging/image_sink.h"

#include <algorithm>

namespace tintwell {

std::uint32_t TImageSink::Begin(const TRasterLayout& layout) noexcept {
    if (FMode == Create) {
        FImage = QImage(static_cast<int>(layout.Width), static_cast<int>(layout.Height),
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
