#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/raster.h"

namespace tintwell {

struct TJpegHeader {
    int Width = 0;
    int Height = 0;
    bool Grayscale = false;
    bool Progressive = false;
};

// Raises EJPEG "JPEG error #<libjpeg message number>" when libjpeg rejects the header.
TJpegHeader ReadJpegHeader(const std::uint8_t* data, std::size_t size);

struct TJpegDecodeOptions {
    // Quantize colour files too (to the same 236 colours grayscale files always get): a display of
    // 8 bits or fewer.
    bool Quantize = false;
    // 1, 2, 4 or 8: libjpeg's reduced-size decode.
    unsigned ScaleDenominator = 1;
};

// Decodes with block smoothing into the sink: 24-bit rows, or palette indexes with the decoder's
// colour map for a grayscale file (236 levels) and whenever Quantize is set; CMYK and YCCK files
// are converted to 24 bits here. Raises EInvalidGraphic for a size past the loaders' limit or when
// the sink has no room ("Not enough memory for the JPEG image"), EJPEG on bad data; the sink's
// bands then end wherever the data did.
void DecodeJpeg(const std::uint8_t* data, std::size_t size, const TJpegDecodeOptions& options,
                TRasterSink& sink);

// The same decode, with the same results and errors, reading the file a block at a time as it
// goes instead of holding it whole. Raises EFOpenError "Cannot open file "<name>". <reason>" as
// ReadWholeFile does when the file cannot be opened, is not a regular file, or a read fails.
void DecodeJpegFile(const std::string& fileName, const TJpegDecodeOptions& options, TRasterSink& sink);

} // namespace tintwell
