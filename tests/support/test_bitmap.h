#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/bitmap_view.h"

namespace tintwell::test {

// A small owning bitmap for tests and benchmarks. Rows are padded to four bytes, as device
// independent bitmaps are, so that code which wrongly reads past the last pixel sees garbage
// rather than the next row's first pixel.
class TestBitmap {
public:
    TestBitmap(int width, int height, TPixelFormat format = TPixelFormat::pf24bit)
        : FWidth(width), FHeight(height), FFormat(format),
          FStride((static_cast<std::size_t>(width > 0 ? width : 0) * 3 + 3) / 4 * 4),
          FBytes(FStride * static_cast<std::size_t>(height > 0 ? height : 0) + 1, 0xEE) {}

    void SetPixel(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        std::uint8_t* p = Row(y) + 3 * static_cast<std::size_t>(x);
        p[0] = b;
        p[1] = g;
        p[2] = r;
    }

    void Fill(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        for (int y = 0; y < FHeight; ++y)
            for (int x = 0; x < FWidth; ++x)
                SetPixel(x, y, r, g, b);
    }

    std::uint8_t* Row(int y) { return FBytes.data() + FStride * static_cast<std::size_t>(y); }

    TBitmapView View() const {
        return TBitmapView(FWidth, FHeight, FFormat, FBytes.data(), static_cast<std::ptrdiff_t>(FStride));
    }

private:
    int FWidth;
    int FHeight;
    TPixelFormat FFormat;
    std::size_t FStride;
    std::vector<std::uint8_t> FBytes;
};

} // namespace tintwell::test
