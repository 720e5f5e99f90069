#pragma once

#include <string_view>

#include "codec/tiff_decode.h"
#include "imaging/tiff/dib_graphic.h"

namespace tintwell {

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
