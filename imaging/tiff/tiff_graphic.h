#pragma once

#include <string_view>

#include "imaging/tiff/dib_graphic.h"

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

// The first image of a TIFF file, read through libtiff.
class TTiffGraphic : public TDibGraphic {
public:
    std::string_view ClassName() const noexcept override { return "TTiffGraphic"; }

    // Reads the first image of the file. Raises ETiffError ("ETiffError TIFFOpen", "ETiffError Bits
    // per sample not specified", "ETiffError Unsupported compression tag, <n>") or ETiffError "<kind>
    // compression not supported with <format> images"; EInvalidGraphic for a size past the loaders'
    // limit or memory that cannot be had; EFOpenError when the file cannot be opened. Strips, tiles
    // and rows that libtiff cannot decode are not reported; the raster starts at 0, so they read
    // the same on every run. On failure the graphic keeps its previous picture.
    void LoadFromFile(const std::string& fileName) override;

    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TTiffGraphic>(*this); }

    TTiffCompression Compression() const noexcept { return FCompression; }

private:
    TTiffCompression FCompression = TTiffCompression::None;
};

} // namespace tintwell
