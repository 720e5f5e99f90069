#pragma once

#include <cstddef>
#include <cstdint>

namespace tintwell {

// How many bits a bitmap spends on one pixel. Only pf24bit rows have the blue, green, red byte
// layout that the statistics read; the other formats exist so that a caller can say what it has.
enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// A read-only window onto pixel rows that someone else owns. For pf24bit, pixel x of a row
// occupies bytes 3x, 3x+1, 3x+2 holding blue, green, red; a row may carry padding after its last
// pixel, which is never read. The stride may be negative for bottom-up storage.
class TBitmapView {
public:
    TBitmapView() = default;
    TBitmapView(int width, int height, TPixelFormat format, const std::uint8_t* firstRow,
                std::ptrdiff_t stride)
        : FWidth(width), FHeight(height), FPixelFormat(format), FFirstRow(firstRow), FStride(stride) {}

    int Width() const noexcept { return FWidth; }
    int Height() const noexcept { return FHeight; }
    TPixelFormat PixelFormat() const noexcept { return FPixelFormat; }

    // Row 0 is the top row; row must lie in 0..Height()-1.
    const std::uint8_t* ScanLine(int row) const noexcept { return FFirstRow + FStride * row; }

private:
    int FWidth = 0;
    int FHeight = 0;
    TPixelFormat FPixelFormat = TPixelFormat::pf24bit;
    const std::uint8_t* FFirstRow = nullptr;
    std::ptrdiff_t FStride = 0;
};

} // namespace tintwell
