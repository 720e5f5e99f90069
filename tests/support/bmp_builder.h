#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace tintwell::test {

enum class TBmpKind { Rgb24, Rgb16, Rgb32, Indexed1, Indexed4, Indexed8, Rle4, Rle8 };

struct TBmpRecipe {
    int Width = 5; // not a multiple of four: rows carry padding
    int Height = 3;
    TBmpKind Kind = TBmpKind::Rgb24;
    bool TopDown = false;
    // For the direct kinds: the pixel's red, green, blue.
    std::function<void(int x, int y, std::uint8_t rgb[3])> Pixel = [](int x, int y, std::uint8_t rgb[3]) {
        rgb[0] = static_cast<std::uint8_t>(40 * x + 1);
        rgb[1] = static_cast<std::uint8_t>(60 * y + 2);
        rgb[2] = static_cast<std::uint8_t>(x * y + 3);
    };
    // For the indexed kinds: the palette (red, green, blue per entry) and each pixel's index.
    std::vector<std::uint32_t> Palette = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00};
    std::function<int(int x, int y)> Index = [](int x, int y) { return (x + y) % 4; };
};

// A BMP file with a BITMAPINFOHEADER, written byte by byte.
std::vector<std::uint8_t> MakeBmp(const TBmpRecipe& recipe);

} // namespace tintwell::test
