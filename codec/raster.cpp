#include "codec/raster.h"

#include <algorithm>

#include "core/resource_text.h"

namespace tintwell {
namespace {

constexpr std::uint32_t kRgbMask = 0xFFFFFFu;

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

TColourTable PaddedColourTable(const std::vector<TColor>& palette) {
    TColourTable table{};
    std::copy_n(palette.begin(), std::min<std::size_t>(palette.size(), table.size()), table.begin());
    return table;
}

int TPaletteMatcher::NearestIndex(TColor colour) noexcept {
    const auto key = static_cast<std::uint32_t>(colour) & kRgbMask;
    const auto rgb = static_cast<TColor>(key);
    TCacheSlot& slot = FCache[key % FCache.size()];
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

} // namespace tintwell
