#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tintwell::test {

// One page that libtiff writes: every tag it supports, every codec it was built with.
struct TTiffRecipe {
    int Width = 8;
    int Height = 6;
    int BitsPerSample = 8;
    int SamplesPerPixel = 1;
    int Photometric = 1;  // 0 white is zero, 1 black is zero, 2 RGB, 3 palette, 6 YCbCr
    int Compression = 1;  // the TIFF value: 1 none, 5 LZW, 7 JPEG, 32773 Packbits, 32946 ZLib...
    int Orientation = 0;  // 0 leaves the tag out
    int PlanarConfig = 1; // 2 writes one plane after the other
    int RowsPerStrip = 0; // 0: the whole image in one strip
    int TileWidth = 0;    // non-zero (a multiple of 16): tiled, TileWidth x TileHeight
    int TileHeight = 0;
    int Predictor = 0; // 0 leaves the tag out
    std::optional<std::uint32_t> Group3Options;
    int JpegQuality = 0;      // 0: libtiff's default; YCbCr files are given RGB rows, libtiff converts
    int YCbCrSubsampling = 0; // 0: libtiff's default (2 x 2); otherwise n x n
    // 2^BitsPerSample red values, then as many green, then blue.
    std::vector<std::uint16_t> ColourMap;
    std::vector<std::uint16_t> ExtraSamples;
    std::optional<float> XResolution;
    std::optional<float> YResolution;
    std::optional<int> ResolutionUnit;
    // Rows of ceil(Width x SamplesPerPixel x BitsPerSample / 8) bytes, samples interleaved, 16-bit
    // samples in host order, bits from the most significant down. Height rows in all.
    std::vector<std::uint8_t> Pixels;
};

// A TIFF file with one page per recipe, written by libtiff into memory, little-endian unless asked
// otherwise. Raises std::runtime_error with libtiff's message when it refuses a recipe.
// A page of the given geometry and tags, with the other fields at their defaults.
TTiffRecipe Page(int width, int height, int bits, int samples, int photometric, int compression);

std::vector<std::uint8_t> MakeTiff(const std::vector<TTiffRecipe>& pages, bool bigEndian = false);
std::vector<std::uint8_t> MakeTiff(const TTiffRecipe& page, bool bigEndian = false);

// The bytes of one row of recipe's layout.
std::size_t RowBytes(const TTiffRecipe& recipe);

// Height rows for recipe with sample s of pixel (x, y) taken from sample(x, y, s), packed as
// TTiffRecipe::Pixels wants them (1, 2, 4, 8 or 16 bits per sample). Only the low BitsPerSample bits of
// each value count.
using TSampleFunction = std::function<std::uint32_t(int x, int y, int sample)>;
std::vector<std::uint8_t> PackPixels(const TTiffRecipe& recipe, const TSampleFunction& sample);

// recipe with its Pixels packed from sample.
TTiffRecipe WithPixels(TTiffRecipe recipe, const TSampleFunction& sample);

// A TIFF file put together entry by entry, for what libtiff will not write: missing or
// contradicting tags, strips that lie. Little-endian, one directory.
struct TRawEntry {
    std::uint16_t Tag;
    std::uint16_t Type; // 3 SHORT, 4 LONG, 5 RATIONAL (two LONGs per value: numerator, denominator)
    std::vector<std::uint32_t> Values;
};

struct TRawTiff {
    std::vector<TRawEntry> Entries;
    // Written after the header; StripOffsets (273) and StripByteCounts (279) point at them unless
    // Entries holds those tags already.
    std::vector<std::vector<std::uint8_t>> Strips;
    // Changes the offsets and byte counts before they are written (strips that lie).
    std::function<void(std::vector<std::uint32_t>& offsets, std::vector<std::uint32_t>& counts)> AdjustStrips;
};

std::vector<std::uint8_t> MakeRawTiff(const TRawTiff& tiff);

// The strips of a libtiff-written single-page file (as stored, still compressed), for raw files
// that need real codec data.
std::vector<std::vector<std::uint8_t>> ReadRawStrips(const std::vector<std::uint8_t>& file);

} // namespace tintwell::test
