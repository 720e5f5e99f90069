#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "codec/raster.h"
#include "core/tcolor.h"

namespace tintwell {

enum class TTiffCompression {
    None = 0,
    Packbits = 1,
    CcittGroup3_1D = 2,
    CcittGroup3_2D = 3,
    CcittGroup4 = 4,
    ZLib = 5,
    JPEG = 6,
    LZW = 7
};

// "None", "Packbits", "CCITT Group 3, 1D", "CCITT Group 3, 2D", "CCITT Group 4", "ZLib", "JPEG", "LZW".
std::string_view DisplayName(TTiffCompression compression) noexcept;

// The first image of a TIFF file (later directories, further pages, are never looked at): opened,
// its tags read and the raster it becomes planned; then its pixels delivered to a sink, a band at a
// time. The window's raster and the command line's streaming counts both come from here.
class TTiffReader {
public:
    // Raises ETiffError ("ETiffError TIFFOpen", "ETiffError Bits per sample not specified",
    // "ETiffError Unsupported compression tag, <n>") or ETiffError "<kind> compression not supported
    // with <format> images"; EInvalidGraphic for a size past the loaders' limit; EFOpenError when the
    // file cannot be opened. A file that names no resolution gets the defaults.
    TTiffReader(const std::string& fileName, int defaultDpiX, int defaultDpiY);
    ~TTiffReader();
    TTiffReader(const TTiffReader&) = delete;
    TTiffReader& operator=(const TTiffReader&) = delete;

    std::uint32_t Width() const noexcept;
    std::uint32_t Height() const noexcept;
    TDibPixelFormat Format() const noexcept;
    // The raster's palette: the format's standard one, or the file's colour map for the colour
    // formats (empty when it has none: every pixel shows black); cut to 2^depth entries.
    const std::vector<TColor>& Palette() const noexcept;
    TTiffCompression Compression() const noexcept;
    int DpiX() const noexcept;
    int DpiY() const noexcept;
    // What the raster still needs once its pixels are in, as the file's tags ask: its negative
    // (white stored as zero) and a turn by 180 degrees. Pixels that come through libtiff's RGBA
    // reader have had both already, so these are false for them.
    bool Invert() const noexcept;
    bool Rotate180() const noexcept;

    // Delivers the raster's rows (24-bit, or palette indexes) to the sink; the layout it gets says
    // whether they are still to be inverted. Strips, tiles and rows that libtiff cannot decode are
    // not reported; they read as zeros, so they read the same on every run. Raises EInvalidGraphic
    // when memory for the reading buffers cannot be had. Called once.
    void ReadPixels(TRasterSink& sink);

private:
    struct TState;
    std::unique_ptr<TState> F;
};

} // namespace tintwell
