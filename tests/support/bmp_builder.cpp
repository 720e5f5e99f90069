#include "support/bmp_builder.h"

namespace tintwell::test {
namespace {

void Put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

int BitCount(TBmpKind kind) {
    switch (kind) {
    case TBmpKind::Rgb24: return 24;
    case TBmpKind::Rgb16: return 16;
    case TBmpKind::Rgb32: return 32;
    case TBmpKind::Indexed1: return 1;
    case TBmpKind::Indexed4:
    case TBmpKind::Rle4: return 4;
    default: return 8;
    }
}

std::vector<std::uint8_t> PixelData(const TBmpRecipe& s) {
    std::vector<std::uint8_t> data;
    const int bits = BitCount(s.Kind);
    for (int i = 0; i < s.Height; ++i) {
        const int y = s.TopDown ? i : s.Height - 1 - i;
        if (s.Kind == TBmpKind::Rle8 || s.Kind == TBmpKind::Rle4) {
            // One run per pixel keeps the encoder trivial and still exercises the decoder.
            for (int x = 0; x < s.Width; ++x) {
                const int index = s.Index(x, y);
                data.push_back(1);
                data.push_back(
                    static_cast<std::uint8_t>(s.Kind == TBmpKind::Rle4 ? (index << 4 | index) : index));
            }
            data.push_back(0);
            data.push_back(i + 1 == s.Height ? 1 : 0); // end of line, or end of bitmap
            continue;
        }
        std::vector<std::uint8_t> row;
        std::uint32_t acc = 0;
        int accBits = 0;
        for (int x = 0; x < s.Width; ++x) {
            if (bits >= 16) {
                std::uint8_t rgb[3];
                s.Pixel(x, y, rgb);
                if (bits == 16) {
                    Put16(row, static_cast<std::uint32_t>((rgb[0] >> 3) << 10 | (rgb[1] >> 3) << 5 |
                                                          (rgb[2] >> 3)));
                } else {
                    row.push_back(rgb[2]);
                    row.push_back(rgb[1]);
                    row.push_back(rgb[0]);
                    if (bits == 32)
                        row.push_back(0);
                }
            } else {
                acc = acc << bits | static_cast<std::uint32_t>(s.Index(x, y));
                accBits += bits;
                if (accBits == 8) {
                    row.push_back(static_cast<std::uint8_t>(acc));
                    acc = 0;
                    accBits = 0;
                }
            }
        }
        if (accBits > 0)
            row.push_back(static_cast<std::uint8_t>(acc << (8 - accBits)));
        while (row.size() % 4 != 0)
            row.push_back(0);
        data.insert(data.end(), row.begin(), row.end());
    }
    return data;
}

} // namespace

std::vector<std::uint8_t> MakeBmp(const TBmpRecipe& s) {
    const int bits = BitCount(s.Kind);
    const bool indexed = bits <= 8;
    const std::uint32_t paletteBytes = indexed ? static_cast<std::uint32_t>(s.Palette.size() * 4) : 0;
    const std::vector<std::uint8_t> pixels = PixelData(s);
    const std::uint32_t offset = 14 + 40 + paletteBytes;
    std::vector<std::uint8_t> b;
    b.push_back('B');
    b.push_back('M');
    Put32(b, offset + static_cast<std::uint32_t>(pixels.size()));
    Put32(b, 0);
    Put32(b, offset);
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(s.Width));
    Put32(b, static_cast<std::uint32_t>(s.TopDown ? -s.Height : s.Height));
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(bits));
    Put32(b, s.Kind == TBmpKind::Rle8 ? 1u : s.Kind == TBmpKind::Rle4 ? 2u : 0u);
    Put32(b, static_cast<std::uint32_t>(pixels.size()));
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, indexed ? static_cast<std::uint32_t>(s.Palette.size()) : 0);
    Put32(b, 0);
    if (indexed)
        for (const std::uint32_t rgb : s.Palette)
            Put32(b, rgb); // stored blue, green, red, 0: the little-endian bytes of 0x00RRGGBB
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

} // namespace tintwell::test
