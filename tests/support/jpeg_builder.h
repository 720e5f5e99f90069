#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace tintwell::test {

enum class TJpegKind { Colour, Grayscale, Cmyk, AdobeCmyk };

struct TJpegRecipe {
    int Width = 16;
    int Height = 16;
    TJpegKind Kind = TJpegKind::Colour;
    int Quality = 90;
    bool Progressive = false;
    // The source pixel at (x, y) as red, green, blue (gray takes red; CMYK is derived from RGB).
    std::function<void(int x, int y, std::uint8_t rgb[3])> Pixel = [](int, int, std::uint8_t rgb[3]) {
        rgb[0] = 200;
        rgb[1] = 100;
        rgb[2] = 50;
    };
};

// A JPEG file made with libjpeg in memory.
std::vector<std::uint8_t> MakeJpeg(const TJpegRecipe& recipe);

} // namespace tintwell::test
