#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/tcolor.h"

namespace tintwell {

// The raster formats of a decoded picture, numbered as the file dialogs and messages know them.
enum class TDibPixelFormat {
    BlackAndWhite = 0,
    Gray16 = 1,
    Gray256 = 2,
    Color16 = 3,
    Color256 = 4,
    TrueColor = 5
};

// "Black and white", "16 shades of gray", "256 shades of gray", "16 color", "256 color", "True color".
std::string_view DisplayName(TDibPixelFormat format) noexcept;
// The nominal depth: 1, 4, 8, 4, 8, 24.
int BitsPerPixel(TDibPixelFormat format) noexcept;

// The format's own palette: black and white; 16 grays of level i x 17; 256 grays of level i; none
// for the colour formats.
std::vector<TColor> StandardPalette(TDibPixelFormat format);

// The colour table a palette raster is shown through: the palette, cut to 2^depth entries, then
// padded with black to 256, so that a byte a damaged file put past the palette still has a colour.
using TColourTable = std::array<TColor, 256>;
TColourTable PaddedColourTable(const std::vector<TColor>& palette);

// The palette entry nearest to a colour (its low 24 bits): smallest sum of squared channel
// differences, the lower index on a tie, an exact match ending the search; remembered in 1020
// slots keyed by the colour value modulo 1020. 0 for an empty palette.
class TPaletteMatcher {
public:
    TPaletteMatcher() = default;
    explicit TPaletteMatcher(std::vector<TColor> palette) : FPalette(std::move(palette)) {}

    const std::vector<TColor>& Palette() const noexcept { return FPalette; }
    int NearestIndex(TColor colour) noexcept;

private:
    struct TCacheSlot {
        TColor Colour = -1;
        int Index = 0;
    };
    std::vector<TColor> FPalette;
    std::array<TCacheSlot, 1020> FCache{};
};

// What a decoder is about to deliver. Rows are either 24-bit (blue, green, red per pixel) or one
// palette index per pixel, shown through Table.
struct TRasterLayout {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    bool Indexed = false;
    TColourTable Table{};
    int TableSize = 0; // entries of Table that a decoder can deliver; the rest are black
    // Delivered pixels are to be read inverted (each byte 255 - b, or each index xor InvertMask):
    // formats whose files store white as zero.
    bool Invert = false;
    std::uint8_t InvertMask = 0;
    // The decoder writes every byte of every row it asks for, so a band need not be cleared first.
    bool WholeRows = false;
    // The rows the decoder makes at once (a TIFF strip): bands of a whole number of them let it
    // decode straight into the band.
    std::uint32_t UnitRows = 1;

    std::size_t RowBytes() const noexcept { return std::size_t{Width} * (Indexed ? 1 : 3); }
};

// Rows first .. first + count - 1 of the raster, each Stride bytes after the one before.
struct TBandView {
    std::uint8_t* First = nullptr;
    std::ptrdiff_t Stride = 0;
    std::uint32_t FirstRow = 0;
    std::uint32_t Count = 0;

    std::uint8_t* Row(std::uint32_t i) const noexcept {
        return First + Stride * static_cast<std::ptrdiff_t>(i);
    }
};

// Where a decoder delivers its rows, a band at a time. Rows a decoder never delivers hold zeros,
// as does every byte of a band it does not write. The calls never throw: decoders call them
// between C frames.
class TRasterSink {
public:
    virtual ~TRasterSink() = default;

    // The geometry before the first band; the most rows one band may hold (at least 1), or 0 when
    // there is no memory for the raster.
    virtual std::uint32_t Begin(const TRasterLayout& layout) noexcept = 0;
    // Space for rows first .. first + count - 1 (count no more than Begin allowed), zero-filled
    // unless the layout said WholeRows. Bands never share a row.
    virtual TBandView Band(std::uint32_t first, std::uint32_t count) noexcept = 0;
    // The band's first `rows` rows are delivered; the rest of it is not (those rows may come in a
    // later band). Each band is committed before the next is asked for.
    virtual void Commit(std::uint32_t rows) noexcept = 0;
    // Everything delivered so far reads as zeros again: the decoder gave up on the whole picture.
    virtual void Discard() noexcept = 0;
};

} // namespace tintwell
