#include "codec/tiff_decode.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <optional>

#include <tiffio.h>

#include "codec/errors.h"
#include "codec/file_io.h"
#include "codec/limits.h"
#include "codec/tiff_stream.h"
#include "core/conversions.h"
#include "core/resource_text.h"

namespace tintwell {

std::string_view DisplayName(TTiffCompression compression) noexcept {
    switch (compression) {
    case TTiffCompression::None: return N_("None");
    case TTiffCompression::Packbits: return N_("Packbits");
    case TTiffCompression::CcittGroup3_1D: return N_("CCITT Group 3, 1D");
    case TTiffCompression::CcittGroup3_2D: return N_("CCITT Group 3, 2D");
    case TTiffCompression::CcittGroup4: return N_("CCITT Group 4");
    case TTiffCompression::ZLib: return N_("ZLib");
    case TTiffCompression::JPEG: return N_("JPEG");
    case TTiffCompression::LZW: return N_("LZW");
    }
    return "";
}

namespace {

// Our scanline and strip buffers obey the same bound as libtiff's own allocations.
constexpr std::uint64_t kMaxBuffer = static_cast<std::uint64_t>(kMaxLibtiffAllocation);

// ---- Reading.

[[noreturn]] void RaiseTiffError(const std::string& text) { throw ETiffError("ETiffError " + text); }

bool IsFax(std::uint16_t compression) {
    return compression == COMPRESSION_CCITTRLE || compression == COMPRESSION_CCITTFAX3 ||
           compression == COMPRESSION_CCITTFAX4 || compression == COMPRESSION_CCITTRLEW;
}

// The tag's value in dots per inch: as written for inches (2) and for no unit (1), converted from
// centimetres for any other unit; rounded half to even. A value that is not a finite number keeps
// the default.
int ResolutionToDpi(float value, std::uint16_t unit, int fallback) {
    double dpi = static_cast<double>(value);
    if (unit != RESUNIT_NONE && unit != RESUNIT_INCH)
        dpi *= 2.54;
    if (!std::isfinite(dpi))
        return fallback;
    dpi = std::rint(dpi);
    return static_cast<int>(std::clamp(dpi, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

// scanline / width rounded to the nearest integer, halves to the even neighbour, at least 1.
std::uint64_t BytesPerPixel(std::uint64_t scanline, std::uint64_t width) {
    if (width == 0)
        return 1;
    std::uint64_t quotient = scanline / width;
    const std::uint64_t twiceRemainder = 2 * (scanline % width);
    if (twiceRemainder > width || (twiceRemainder == width && quotient % 2 == 1))
        ++quotient;
    return std::max<std::uint64_t>(quotient, 1);
}

std::optional<TTiffCompression> CompressionKind(TIFF* tif, std::uint16_t compression) {
    switch (compression) {
    case COMPRESSION_NONE: return TTiffCompression::None;
    case COMPRESSION_PACKBITS: return TTiffCompression::Packbits;
    case COMPRESSION_CCITTRLE:
    case COMPRESSION_CCITTRLEW: return TTiffCompression::CcittGroup3_1D;
    case COMPRESSION_CCITTFAX3:
        return (Tag<std::uint32_t>(tif, TIFFTAG_GROUP3OPTIONS).value_or(0) & GROUP3OPT_2DENCODING) != 0
                   ? TTiffCompression::CcittGroup3_2D
                   : TTiffCompression::CcittGroup3_1D;
    case COMPRESSION_CCITTFAX4: return TTiffCompression::CcittGroup4;
    case COMPRESSION_DEFLATE: return TTiffCompression::ZLib;
    case COMPRESSION_JPEG: return TTiffCompression::JPEG;
    case COMPRESSION_LZW: return TTiffCompression::LZW;
    default: return std::nullopt;
    }
}

bool CompressionSuits(TTiffCompression kind, TDibPixelFormat format) {
    using K = TTiffCompression;
    const bool plain = kind == K::None || kind == K::Packbits || kind == K::ZLib || kind == K::LZW;
    switch (format) {
    case TDibPixelFormat::BlackAndWhite: return kind != K::JPEG;
    case TDibPixelFormat::Gray16:
    case TDibPixelFormat::Color16:
    case TDibPixelFormat::Color256: return plain;
    case TDibPixelFormat::Gray256:
    case TDibPixelFormat::TrueColor: return plain || kind == K::JPEG;
    }
    return false;
}

// The colour map as palette colours: 2^bits entries of which the raster keeps the first
// `capacity`. Files whose values all lie below 256 wrote 8-bit values into the 16-bit fields.
// Without a readable map the palette is empty and every pixel shows black.
std::vector<TColor> ReadColourMap(TIFF* tif, unsigned bitsPerSample, std::size_t capacity) {
    std::uint16_t* red = nullptr;
    std::uint16_t* green = nullptr;
    std::uint16_t* blue = nullptr;
    // libtiff sizes the arrays to 2^BitsPerSample; above 16 bits it keeps no map.
    if (bitsPerSample > 16 || TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) == 0 ||
        red == nullptr || green == nullptr || blue == nullptr)
        return {};
    const std::size_t entries = std::size_t{1} << bitsPerSample;
    bool sixteenBit = false;
    for (std::size_t i = 0; i < entries && !sixteenBit; ++i)
        sixteenBit = red[i] >= 256 || green[i] >= 256 || blue[i] >= 256;
    const auto level = [sixteenBit](std::uint16_t v) { return sixteenBit ? int{v} * 255 / 65535 : int{v}; };
    std::vector<TColor> palette;
    for (std::size_t i = 0; i < std::min(entries, capacity); ++i)
        palette.push_back(RGB(level(red[i]), level(green[i]), level(blue[i])));
    return palette;
}

// What the reading paths need to know of the image.
struct TLayout {
    std::uint32_t Width;
    std::uint32_t Height;
    std::uint64_t Scanline;      // bytes of one decoded row
    std::uint64_t BytesPerPixel; // Scanline / Width, rounded
    std::uint64_t RowBits;       // BytesPerPixel x BitsPerSample: the depth of a decoded row's pixels
    std::uint32_t RowsPerStrip;  // 1..Height
};

// One decoded row of a palette format: pixels of `bits` bits (1, 4 or 8), most significant first,
// as the row holds them; pixels past the row's end keep their value.
void UnpackIndexes(std::uint8_t* target, std::uint32_t width, const std::uint8_t* row, std::size_t rowBytes,
                   unsigned bits) {
    if (bits == 8) {
        std::memcpy(target, row, std::min<std::size_t>(width, rowBytes));
        return;
    }
    const std::uint64_t available = std::min<std::uint64_t>(width, rowBytes * 8 / bits);
    for (std::uint64_t x = 0; x < available; ++x) {
        const std::uint64_t bit = x * bits;
        const std::uint8_t byte = row[bit / 8];
        const unsigned shift = 8 - bits - static_cast<unsigned>(bit % 8);
        target[x] = static_cast<std::uint8_t>((byte >> shift) & ((1u << bits) - 1u));
    }
}

void SwapRedAndBlue(std::uint8_t* row, std::uint32_t width) {
    for (std::uint32_t x = 0; x < width; ++x, row += 3)
        std::swap(row[0], row[2]);
}

// A decoded row of a strip into the raster row.
void PutStripRow(bool trueColor, TPaletteMatcher& matcher, std::uint8_t* target, const std::uint8_t* row,
                 const TLayout& layout) {
    if (layout.BytesPerPixel >= 3) {
        // Each pixel's first three samples are red, green and blue.
        const std::uint64_t pixels = std::min<std::uint64_t>(
            layout.Width, layout.Scanline < 3 ? 0 : (layout.Scanline - 3) / layout.BytesPerPixel + 1);
        const std::uint8_t* p = row;
        for (std::uint64_t x = 0; x < pixels; ++x, p += layout.BytesPerPixel) {
            if (trueColor) {
                target[3 * x] = p[2];
                target[3 * x + 1] = p[1];
                target[3 * x + 2] = p[0];
            } else {
                target[x] = static_cast<std::uint8_t>(matcher.NearestIndex(RGB(p[0], p[1], p[2])));
            }
        }
    } else if (trueColor) {
        std::memcpy(target, row, std::min<std::uint64_t>(layout.Scanline, 3 * std::uint64_t{layout.Width}));
    } else {
        UnpackIndexes(target, layout.Width, row, layout.Scanline, static_cast<unsigned>(layout.RowBits));
    }
}

std::vector<std::uint8_t> AllocateBuffer(std::uint64_t bytes) {
    try {
        return std::vector<std::uint8_t>(static_cast<std::size_t>(bytes));
    } catch (const std::bad_alloc&) {
        throw EInvalidGraphic(ResString("Not enough memory for the bitmap"));
    }
}

// Hands out the sink's rows top to bottom, opening a band where the rows asked for do not fit the
// open one, and committing each band, up to the last row handed out, once the rows have moved past
// it. Rows are asked for in order and never twice.
class TRowWriter {
public:
    TRowWriter(TRasterSink& sink, std::uint32_t bandRows, std::uint32_t height)
        : FSink(sink), FBandRows(bandRows), FHeight(height) {}
    TRowWriter(const TRowWriter&) = delete;
    TRowWriter& operator=(const TRowWriter&) = delete;
    ~TRowWriter() { Finish(); }

    std::uint32_t BandRows() const noexcept { return FBandRows; }

    // Rows y .. y + count - 1 (count at most BandRows) in one band; the view starts at row y.
    TBandView Rows(std::uint32_t y, std::uint32_t count) noexcept {
        if (!FOpen || y < FBand.FirstRow || y + count > FBand.FirstRow + FBand.Count) {
            Finish();
            FBand = FSink.Band(y, std::min(FBandRows, FHeight - y));
            FOpen = true;
        }
        FUsedEnd = std::max(FUsedEnd, y + count);
        const std::uint32_t offset = y - FBand.FirstRow;
        return TBandView{FBand.Row(offset), FBand.Stride, y, FBand.Count - offset};
    }

    void Finish() noexcept {
        if (FOpen)
            FSink.Commit(FUsedEnd - FBand.FirstRow);
        FOpen = false;
    }

private:
    TRasterSink& FSink;
    std::uint32_t FBandRows;
    std::uint32_t FHeight;
    TBandView FBand;
    bool FOpen = false;
    std::uint32_t FUsedEnd = 0;
};

// Strip by strip. Plain 24-bit rows whose band lays them out exactly as a strip holds them are
// decoded straight into the band and turned from red-green-blue into blue-green-red in place;
// everything else goes through one strip buffer.
void ReadStrips(TIFF* tif, bool trueColor, TPaletteMatcher& matcher, TRowWriter& writer,
                const TLayout& layout) {
    if (layout.Scanline == 0 || layout.Scanline > kMaxBuffer)
        return;
    // Whole strips fit one band: bands then start on strip boundaries.
    const bool directFormat = trueColor && layout.BytesPerPixel == 3 &&
                              layout.Scanline == 3 * std::uint64_t{layout.Width} &&
                              layout.RowsPerStrip <= writer.BandRows();
    const std::uint64_t stripBytes = layout.Scanline * layout.RowsPerStrip;
    std::vector<std::uint8_t> buffer;
    const auto stripBuffer = [&]() -> std::uint8_t* {
        if (buffer.empty())
            buffer = AllocateBuffer(stripBytes);
        return buffer.data();
    };
    if (!directFormat && stripBytes > kMaxBuffer)
        return;
    tstrip_t strip = 0;
    for (std::uint32_t top = 0; top < layout.Height;
         top += std::min(layout.RowsPerStrip, layout.Height - top), ++strip) {
        const std::uint32_t rows = std::min(layout.RowsPerStrip, layout.Height - top);
        const auto wanted = static_cast<tmsize_t>(layout.Scanline * rows);
        TBandView band = directFormat ? writer.Rows(top, rows) : TBandView{};
        const bool direct = directFormat && static_cast<std::uint64_t>(band.Stride) == layout.Scanline;
        if (directFormat && !direct && stripBytes > kMaxBuffer)
            return;
        std::uint8_t* target = direct ? band.First : stripBuffer();
        const tmsize_t decoded = TIFFReadEncodedStrip(tif, strip, target, wanted);
        // Only whole rows count; a strip libtiff gives up on keeps nothing of what it wrote.
        const std::uint64_t goodRows =
            decoded <= 0
                ? 0
                : std::min<std::uint64_t>(rows, static_cast<std::uint64_t>(decoded) / layout.Scanline);
        for (std::uint32_t i = 0; i < rows; ++i) {
            if (!directFormat && i % writer.BandRows() == 0)
                band = writer.Rows(top + i, std::min(rows - i, writer.BandRows()));
            std::uint8_t* row = directFormat ? band.Row(i) : band.Row(i % writer.BandRows());
            if (i >= goodRows) {
                if (direct)
                    std::memset(row, 0, static_cast<std::size_t>(layout.Scanline));
            } else if (direct) {
                SwapRedAndBlue(row, layout.Width);
            } else {
                PutStripRow(trueColor, matcher, row, buffer.data() + layout.Scanline * i, layout);
            }
        }
    }
}

// The decoded rows of the first sample plane, top to bottom. libtiff reads scanlines of stripped
// files only; a tiled file's rows are put together from one band of tiles at a time.
class TRowSource {
public:
    TRowSource(TIFF* tif, const TLayout& layout, unsigned bitsPerSample) : FTif(tif), FLayout(layout) {
        FRow = AllocateBuffer(layout.Scanline);
        if (TIFFIsTiled(tif) == 0)
            return;
        const auto planar = Tag<std::uint16_t>(tif, TIFFTAG_PLANARCONFIG).value_or(PLANARCONFIG_CONTIG);
        const auto samples = Tag<std::uint16_t>(tif, TIFFTAG_SAMPLESPERPIXEL).value_or(1);
        FPixelBits = std::uint64_t{bitsPerSample} * (planar == PLANARCONFIG_SEPARATE ? 1 : samples);
        FTileWidth = Tag<std::uint32_t>(tif, TIFFTAG_TILEWIDTH).value_or(0);
        FTileHeight = Tag<std::uint32_t>(tif, TIFFTAG_TILELENGTH).value_or(0);
        FTileRowBytes = TIFFTileRowSize64(tif);
        const std::uint64_t tileBytes = TIFFTileSize64(tif);
        // A band of rows from tiles that do not start on whole bytes cannot be put together.
        if (FTileWidth == 0 || FTileHeight == 0 || FPixelBits == 0 || FTileWidth * FPixelBits % 8 != 0 ||
            tileBytes == 0 || tileBytes > kMaxBuffer || tileBytes < FTileRowBytes * FTileHeight ||
            layout.Scanline * FTileHeight > kMaxBuffer)
            return;
        FTile = AllocateBuffer(tileBytes);
        FBand = AllocateBuffer(layout.Scanline * FTileHeight);
        FTiled = true;
    }

    // Row y, or null when libtiff cannot decode it. Parts of a band whose tile does not decode are 0.
    const std::uint8_t* Row(std::uint32_t y) {
        if (TIFFIsTiled(FTif) == 0)
            return TIFFReadScanline(FTif, FRow.data(), y, 0) == 1 ? FRow.data() : nullptr;
        if (!FTiled)
            return nullptr;
        const std::uint32_t top = y - y % FTileHeight;
        if (FBandTop != top)
            ReadBand(top);
        return FBand.data() + FLayout.Scanline * (y - top);
    }

private:
    void ReadBand(std::uint32_t top) {
        FBandTop = top;
        std::fill(FBand.begin(), FBand.end(), std::uint8_t{0});
        const std::uint32_t rows = std::min(FTileHeight, FLayout.Height - top);
        for (std::uint64_t left = 0; left < FLayout.Width; left += FTileWidth) {
            if (TIFFReadTile(FTif, FTile.data(), static_cast<std::uint32_t>(left), top, 0, 0) < 0)
                continue;
            const std::uint64_t offset = left * FPixelBits / 8;
            if (offset >= FLayout.Scanline)
                break;
            const std::uint64_t bytes = std::min(FTileRowBytes, FLayout.Scanline - offset);
            for (std::uint32_t i = 0; i < rows; ++i)
                std::memcpy(FBand.data() + FLayout.Scanline * i + offset, FTile.data() + FTileRowBytes * i,
                            static_cast<std::size_t>(bytes));
        }
    }

    TIFF* FTif;
    const TLayout& FLayout;
    std::vector<std::uint8_t> FRow;
    bool FTiled = false;
    std::uint64_t FPixelBits = 0;
    std::uint32_t FTileWidth = 0;
    std::uint32_t FTileHeight = 0;
    std::uint64_t FTileRowBytes = 0;
    std::vector<std::uint8_t> FTile;
    std::vector<std::uint8_t> FBand;
    std::uint64_t FBandTop = std::numeric_limits<std::uint64_t>::max(); // no band read yet
};

// Row by row: 16-bit samples become their high byte, fax rows are copied bit for bit.
void ReadScanlines(TIFF* tif, TRowWriter& writer, const TLayout& layout, unsigned bitsPerSample,
                   bool sixteenBit) {
    if (layout.Scanline == 0 || layout.Scanline > kMaxBuffer)
        return;
    TRowSource source(tif, layout, bitsPerSample);
    for (std::uint32_t y = 0; y < layout.Height; ++y) {
        const std::uint8_t* row = source.Row(y);
        if (row == nullptr)
            continue;
        std::uint8_t* target = writer.Rows(y, 1).First;
        if (sixteenBit) {
            // Each pixel's first sample, in the host order libtiff delivers 16-bit samples in.
            const std::uint64_t pixels = std::min<std::uint64_t>(
                layout.Width, layout.Scanline < 2 ? 0 : (layout.Scanline - 2) / layout.BytesPerPixel + 1);
            for (std::uint64_t x = 0; x < pixels; ++x) {
                std::uint16_t sample = 0;
                std::memcpy(&sample, row + x * layout.BytesPerPixel, sizeof sample);
                target[x] = static_cast<std::uint8_t>(sample >> 8);
            }
        } else {
            UnpackIndexes(target, layout.Width, row, static_cast<std::size_t>(layout.Scanline), 1);
        }
    }
}

// libtiff 4.5.0's RGBA reader refuses the first uncompressed tile unless libtiff's raw buffer holds
// exactly one tile, and without memory mapping libtiff rounds its own buffer up to a multiple of
// 1024 bytes: files with small uncompressed tiles would read as nothing. A buffer of our own, of
// the exact size, keeps them readable; it must outlive the handle's reads.
void ProvideExactTileBuffer(TIFF* tif, std::vector<std::uint8_t>& buffer) {
    const std::uint64_t size = TIFFTileSize64(tif);
    if (size == 0 || size > kMaxBuffer)
        return;
    buffer = AllocateBuffer(size);
    TIFFReadBufferSetup(tif, buffer.data(), static_cast<tmsize_t>(size));
}

struct TRgbaImageEnd {
    void operator()(TIFFRGBAImage* image) const noexcept { TIFFRGBAImageEnd(image); }
};

// Whether libtiff's RGBA reader turns the picture upside down to show it top row first.
bool RgbaReaderFlipsVertically(std::uint16_t orientation) {
    return orientation == ORIENTATION_BOTRIGHT || orientation == ORIENTATION_RIGHTBOT ||
           orientation == ORIENTATION_BOTLEFT || orientation == ORIENTATION_LEFTBOT;
}

// The picture through libtiff's RGBA reader, top row first, one band of strips or tiles at a time
// (the reader decodes a strip or a row of tiles whole, so a band never ends inside one). When the
// reader cannot deliver a band at all, the whole picture reads as zeros.
void ReadRgba(TIFF* tif, bool trueColor, TPaletteMatcher& matcher, TRasterSink& sink, std::uint32_t bandRows,
              const TLayout& layout, bool tiled) {
    char message[1024] = "";
    TIFFRGBAImage image{};
    if (TIFFRGBAImageOK(tif, message) == 0 || TIFFRGBAImageBegin(&image, tif, 0, message) == 0)
        return;
    const std::unique_ptr<TIFFRGBAImage, TRgbaImageEnd> end(&image);
    image.req_orientation = ORIENTATION_TOPLEFT;
    const bool flip = RgbaReaderFlipsVertically(image.orientation);
    std::uint32_t unit =
        tiled ? Tag<std::uint32_t>(tif, TIFFTAG_TILELENGTH).value_or(0) : layout.RowsPerStrip;
    if (unit == 0 || unit > layout.Height)
        unit = layout.Height;
    std::vector<std::uint32_t> pixels;
    try {
        pixels.assign(std::size_t{layout.Width} * unit, 0);
    } catch (const std::bad_alloc&) {
        throw EInvalidGraphic(ResString("Not enough memory for the bitmap"));
    }
    for (std::uint32_t top = 0; top < layout.Height; top += unit) {
        const std::uint32_t rows = std::min(unit, layout.Height - top);
        image.row_offset = static_cast<int>(top);
        image.col_offset = 0;
        std::fill(pixels.begin(), pixels.end(), 0u);
        if (TIFFRGBAImageGet(&image, pixels.data(), layout.Width, rows) == 0) {
            sink.Discard();
            return;
        }
        // File rows top .. top + rows - 1 are these raster rows, in the order the buffer holds them.
        const std::uint32_t first = flip ? layout.Height - top - rows : top;
        const std::uint32_t* source = pixels.data();
        for (std::uint32_t done = 0; done < rows;) {
            const std::uint32_t count = std::min(bandRows, rows - done);
            const TBandView band = sink.Band(first + done, count);
            for (std::uint32_t i = 0; i < count; ++i) {
                std::uint8_t* target = band.Row(i);
                for (std::uint32_t x = 0; x < layout.Width; ++x, ++source) {
                    const std::uint32_t abgr = *source;
                    if (trueColor) {
                        target[3 * x] = static_cast<std::uint8_t>(TIFFGetB(abgr));
                        target[3 * x + 1] = static_cast<std::uint8_t>(TIFFGetG(abgr));
                        target[3 * x + 2] = static_cast<std::uint8_t>(TIFFGetR(abgr));
                    } else {
                        target[x] = static_cast<std::uint8_t>(matcher.NearestIndex(
                            RGB(static_cast<int>(TIFFGetR(abgr)), static_cast<int>(TIFFGetG(abgr)),
                                static_cast<int>(TIFFGetB(abgr)))));
                    }
                }
            }
            sink.Commit(count);
            done += count;
        }
    }
}

// The tags of the first directory that decide how it is read.
struct TTiffTags {
    std::uint32_t Width;
    std::uint32_t Height;
    std::uint16_t Photometric;
    std::uint16_t Compression;
    std::optional<std::uint16_t> BitsPerSample;
    std::uint16_t Planar;
    std::uint16_t Orientation;
    std::uint16_t ResolutionUnit;
    std::optional<float> XResolution;
    std::optional<float> YResolution;
    std::uint32_t RowsPerStrip; // as written; 0 or more than Height mean one strip
    std::uint64_t Scanline;     // bytes of one decoded row, as libtiff computes it
    bool Tiled;
};

TTiffTags ReadTags(TIFF* tif) {
    TTiffTags tags{};
    tags.Width = Tag<std::uint32_t>(tif, TIFFTAG_IMAGEWIDTH).value_or(0);
    tags.Height = Tag<std::uint32_t>(tif, TIFFTAG_IMAGELENGTH).value_or(0);
    tags.Photometric = Tag<std::uint16_t>(tif, TIFFTAG_PHOTOMETRIC).value_or(0);
    tags.Compression = Tag<std::uint16_t>(tif, TIFFTAG_COMPRESSION).value_or(COMPRESSION_NONE);
    tags.BitsPerSample = Tag<std::uint16_t>(tif, TIFFTAG_BITSPERSAMPLE);
    tags.Planar = Tag<std::uint16_t>(tif, TIFFTAG_PLANARCONFIG).value_or(PLANARCONFIG_CONTIG);
    tags.Orientation = Tag<std::uint16_t>(tif, TIFFTAG_ORIENTATION).value_or(ORIENTATION_TOPLEFT);
    tags.ResolutionUnit = Tag<std::uint16_t>(tif, TIFFTAG_RESOLUTIONUNIT).value_or(RESUNIT_INCH);
    tags.XResolution = Tag<float>(tif, TIFFTAG_XRESOLUTION);
    tags.YResolution = Tag<float>(tif, TIFFTAG_YRESOLUTION);
    tags.RowsPerStrip = Tag<std::uint32_t>(tif, TIFFTAG_ROWSPERSTRIP).value_or(tags.Height);
    tags.Scanline = TIFFScanlineSize64(tif);
    tags.Tiled = TIFFIsTiled(tif) != 0;
    return tags;
}

// What the raster becomes and which path reads its pixels.
struct TPixelPlan {
    TDibPixelFormat Format = TDibPixelFormat::TrueColor;
    std::vector<TColor> Palette; // for Color16 and Color256
    bool Invert = false;         // white is zero: the raster's negative is the picture
    bool Fax = false;
    bool SixteenBit = false; // 16-bit samples: row by row, their high byte
    bool RgbaReader = false; // what the row and strip paths cannot lay out
    unsigned Bits = 1;
    TLayout Layout{};
};

// Raises "Bits per sample not specified" when the tag is missing from a file that is no fax.
TPixelPlan PlanPixels(TIFF* tif, const TTiffTags& tags) {
    TPixelPlan plan;
    plan.Fax = IsFax(tags.Compression);
    if (!tags.BitsPerSample && !plan.Fax)
        RaiseTiffError(ResString("Bits per sample not specified"));
    const unsigned bits = tags.BitsPerSample.value_or(1);
    plan.Bits = bits;
    std::uint16_t photometric = tags.Photometric;
    if (plan.Fax && photometric == PHOTOMETRIC_MINISBLACK)
        photometric = PHOTOMETRIC_MINISWHITE;

    const std::uint64_t bytesPerPixel = BytesPerPixel(tags.Scanline, tags.Width);
    const std::uint64_t rowBits = bytesPerPixel * bits;
    plan.RgbaReader = tags.Compression == COMPRESSION_JPEG || tags.Tiled ||
                      photometric == PHOTOMETRIC_SEPARATED || photometric == PHOTOMETRIC_YCBCR || bits > 8 ||
                      tags.Planar > PLANARCONFIG_CONTIG ||
                      (rowBits != 1 && rowBits != 4 && rowBits != 8 && rowBits != 24);

    const bool gray = photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK;
    const bool whiteIsZero = photometric == PHOTOMETRIC_MINISWHITE;
    if (gray && bits == 1) {
        plan.Format = TDibPixelFormat::BlackAndWhite;
        plan.Invert = whiteIsZero;
    } else if (gray && bits == 4) {
        plan.Format = TDibPixelFormat::Gray16;
        plan.Invert = whiteIsZero;
    } else if (gray && bits == 8) {
        plan.Format = TDibPixelFormat::Gray256;
        plan.Invert = whiteIsZero && !plan.RgbaReader;
    }
    if (photometric == PHOTOMETRIC_PALETTE) {
        plan.Format = bits <= 4 ? TDibPixelFormat::Color16 : TDibPixelFormat::Color256;
        plan.Palette = ReadColourMap(tif, bits, std::size_t{1} << BitsPerPixel(plan.Format));
    }
    if (gray && bits == 16) {
        plan.Format = TDibPixelFormat::Gray256;
        plan.Invert = whiteIsZero;
    }
    if (whiteIsZero && tags.Compression == COMPRESSION_JPEG)
        plan.Invert = true;
    plan.SixteenBit = (gray && bits == 16) || (photometric == PHOTOMETRIC_PALETTE && rowBits == 16);

    const std::uint32_t rowsPerStrip =
        tags.RowsPerStrip == 0 || tags.RowsPerStrip > tags.Height ? tags.Height : tags.RowsPerStrip;
    plan.Layout = {tags.Width, tags.Height, tags.Scanline, bytesPerPixel, rowBits, rowsPerStrip};
    return plan;
}

// libtiff marks X and Y resolution as present together and reports 0 for the one a file left
// out, so a resolution of 0 counts as missing.
int DpiOf(std::optional<float> resolution, std::uint16_t unit, int fallback) {
    return resolution.value_or(0) != 0 ? ResolutionToDpi(*resolution, unit, fallback) : fallback;
}

// The compression of a file whose raster may be made: raises for a kind this reader does not
// know and for one that does not go with the pixel format.
TTiffCompression CheckCompression(TIFF* tif, std::uint16_t compression, TDibPixelFormat format) {
    const std::optional<TTiffCompression> kind = CompressionKind(tif, compression);
    if (!kind)
        RaiseTiffError(FormatText(ResString("Unsupported compression tag, %d"), {IntToStr(compression)}));
    if (!CompressionSuits(*kind, format))
        throw ETiffError(FormatText(ResString("%s compression not supported with %s images"),
                                    {ResString(DisplayName(*kind)), ResString(DisplayName(format))}));
    return *kind;
}

// Whether the pixels come through libtiff's RGBA reader, which has already shown white-is-zero data
// the right way round and turned the picture upright by its Orientation tag.
bool ThroughRgbaReader(const TPixelPlan& plan) { return plan.RgbaReader && !plan.SixteenBit && !plan.Fax; }

} // namespace

struct TTiffReader::TState {
    // Declared in the order they are needed: the handle goes first, then the tile buffer it
    // borrows, then the file.
    TFileStream File;
    TClientStream Stream;
    std::vector<std::uint8_t> RawTile;
    TTiffHandle Handle;
    TTiffTags Tags{};
    TPixelPlan Plan;
    std::vector<TColor> Palette;
    TTiffCompression Compression = TTiffCompression::None;
    int DpiX = 96;
    int DpiY = 96;

    explicit TState(const std::string& fileName) : File(fileName), Stream{File.Handle(), File.Size()} {}
};

TTiffReader::TTiffReader(const std::string& fileName, int defaultDpiX, int defaultDpiY)
    : F(std::make_unique<TState>(fileName)) {
    F->Handle = OpenClient(F->Stream);
    if (!F->Handle)
        RaiseTiffError(ResString("TIFFOpen"));
    TIFF* tif = F->Handle.get();
    F->Tags = ReadTags(tif);
    F->Plan = PlanPixels(tif, F->Tags);
    F->DpiX = DpiOf(F->Tags.XResolution, F->Tags.ResolutionUnit, defaultDpiX);
    F->DpiY = DpiOf(F->Tags.YResolution, F->Tags.ResolutionUnit, defaultDpiY);
    // The limit is checked before the compression is judged.
    if (F->Tags.Width > INT_MAX || F->Tags.Height > INT_MAX)
        throw EInvalidGraphic(FormatText(ResString("Image is too large (%d x %d pixels)"),
                                         {IntToStr(F->Tags.Width), IntToStr(F->Tags.Height)}));
    CheckImageSize(F->Tags.Width, F->Tags.Height);
    F->Compression = CheckCompression(tif, F->Tags.Compression, F->Plan.Format);
    const TDibPixelFormat format = F->Plan.Format;
    if (format == TDibPixelFormat::Color16 || format == TDibPixelFormat::Color256) {
        F->Palette = F->Plan.Palette;
        const std::size_t capacity = std::size_t{1} << BitsPerPixel(format);
        if (F->Palette.size() > capacity)
            F->Palette.resize(capacity);
    } else {
        F->Palette = StandardPalette(format);
    }
}

TTiffReader::~TTiffReader() = default;

std::uint32_t TTiffReader::Width() const noexcept { return F->Tags.Width; }
std::uint32_t TTiffReader::Height() const noexcept { return F->Tags.Height; }
TDibPixelFormat TTiffReader::Format() const noexcept { return F->Plan.Format; }
const std::vector<TColor>& TTiffReader::Palette() const noexcept { return F->Palette; }
TTiffCompression TTiffReader::Compression() const noexcept { return F->Compression; }
int TTiffReader::DpiX() const noexcept { return F->DpiX; }
int TTiffReader::DpiY() const noexcept { return F->DpiY; }

bool TTiffReader::Invert() const noexcept { return F->Plan.Invert && !ThroughRgbaReader(F->Plan); }

bool TTiffReader::Rotate180() const noexcept {
    return F->Tags.Orientation == ORIENTATION_BOTRIGHT && !ThroughRgbaReader(F->Plan);
}

void TTiffReader::ReadPixels(TRasterSink& sink) {
    if (F->Tags.Width == 0 || F->Tags.Height == 0)
        return;
    const TDibPixelFormat format = F->Plan.Format;
    const bool trueColor = format == TDibPixelFormat::TrueColor;
    TRasterLayout layout;
    layout.Width = F->Tags.Width;
    layout.Height = F->Tags.Height;
    layout.Indexed = !trueColor;
    layout.Table = PaddedColourTable(F->Palette);
    layout.TableSize = trueColor ? 0 : 256;
    layout.Invert = Invert();
    layout.InvertMask = static_cast<std::uint8_t>(trueColor ? 0u : (1u << BitsPerPixel(format)) - 1u);
    layout.UnitRows = std::max<std::uint32_t>(F->Plan.Layout.RowsPerStrip, 1);
    const std::uint32_t bandRows = sink.Begin(layout);
    if (bandRows == 0)
        throw EInvalidGraphic(ResString("Not enough memory for the bitmap"));
    TIFF* tif = F->Handle.get();
    TPaletteMatcher matcher(F->Palette);
    const TPixelPlan& plan = F->Plan;
    if (plan.SixteenBit || plan.Fax) {
        TRowWriter writer(sink, bandRows, layout.Height);
        ReadScanlines(tif, writer, plan.Layout, plan.Bits, plan.SixteenBit);
    } else if (plan.RgbaReader) {
        if (F->Tags.Tiled && F->Tags.Compression == COMPRESSION_NONE)
            ProvideExactTileBuffer(tif, F->RawTile);
        ReadRgba(tif, trueColor, matcher, sink, bandRows, plan.Layout, F->Tags.Tiled);
    } else {
        TRowWriter writer(sink, bandRows, layout.Height);
        ReadStrips(tif, trueColor, matcher, writer, plan.Layout);
    }
}

} // namespace tintwell
