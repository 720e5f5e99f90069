#include "support/tiff_builder.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include <tiffio.h>

namespace tintwell::test {
namespace {

// A growable file in memory that libtiff can write, seek and read back.
struct TMemoryFile {
    std::vector<std::uint8_t> Bytes;
    std::size_t Position = 0;
    std::string Error;
};

tmsize_t MemRead(thandle_t handle, void* buffer, tmsize_t size) noexcept {
    auto& file = *static_cast<TMemoryFile*>(handle);
    if (size < 0)
        return -1;
    const std::size_t available = file.Position < file.Bytes.size() ? file.Bytes.size() - file.Position : 0;
    const std::size_t n = std::min(available, static_cast<std::size_t>(size));
    if (n > 0)
        std::memcpy(buffer, file.Bytes.data() + file.Position, n);
    file.Position += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t MemWrite(thandle_t handle, void* buffer, tmsize_t size) noexcept {
    auto& file = *static_cast<TMemoryFile*>(handle);
    if (size < 0)
        return -1;
    const auto n = static_cast<std::size_t>(size);
    if (file.Position + n > file.Bytes.size())
        file.Bytes.resize(file.Position + n);
    if (n > 0)
        std::memcpy(file.Bytes.data() + file.Position, buffer, n);
    file.Position += n;
    return size;
}

toff_t MemSeek(thandle_t handle, toff_t offset, int whence) noexcept {
    auto& file = *static_cast<TMemoryFile*>(handle);
    const auto delta = static_cast<std::int64_t>(offset);
    std::int64_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<std::int64_t>(file.Position);
    else if (whence == SEEK_END)
        base = static_cast<std::int64_t>(file.Bytes.size());
    if (base + delta < 0)
        return static_cast<toff_t>(-1);
    file.Position = static_cast<std::size_t>(base + delta);
    return static_cast<toff_t>(file.Position);
}

int MemClose(thandle_t) noexcept { return 0; }
toff_t MemSize(thandle_t handle) noexcept { return static_cast<TMemoryFile*>(handle)->Bytes.size(); }
int MemMap(thandle_t, void**, toff_t*) noexcept { return 0; }
void MemUnmap(thandle_t, void*, toff_t) noexcept {}

int KeepError(TIFF*, void* userData, const char* module, const char* format, va_list args) noexcept {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    auto& file = *static_cast<TMemoryFile*>(userData);
    if (file.Error.empty())
        file.Error = std::string(module != nullptr ? module : "") + ": " + text;
    return 1;
}
int IgnoreWarning(TIFF*, void*, const char*, const char*, va_list) noexcept { return 1; }

struct TTiffCloser {
    void operator()(TIFF* tif) const noexcept { TIFFClose(tif); }
};
using TTiffPtr = std::unique_ptr<TIFF, TTiffCloser>;

TTiffPtr OpenMemory(TMemoryFile& file, const char* mode) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, KeepError, &file);
    TIFFOpenOptionsSetWarningHandlerExtR(options, IgnoreWarning, nullptr);
    TIFF* tif = TIFFClientOpenExt("memory", mode, &file, MemRead, MemWrite, MemSeek, MemClose, MemSize,
                                  MemMap, MemUnmap, options);
    TIFFOpenOptionsFree(options);
    if (tif == nullptr)
        throw std::runtime_error("libtiff cannot open the memory file: " + file.Error);
    return TTiffPtr(tif);
}

void Check(bool ok, const TMemoryFile& file, const char* what) {
    if (!ok)
        throw std::runtime_error(std::string("libtiff refused ") + what + ": " + file.Error);
}

// The bits of samples [first, first + count) of every pixel of one contiguous row, as a row of
// their own. Only whole bytes per sample are cut out; sub-byte planes are not needed by the tests.
std::vector<std::uint8_t> Plane(const TTiffRecipe& recipe, const std::uint8_t* row, int sample) {
    const int bytesPerSample = recipe.BitsPerSample / 8;
    std::vector<std::uint8_t> plane(static_cast<std::size_t>(recipe.Width * bytesPerSample));
    for (int x = 0; x < recipe.Width; ++x)
        std::memcpy(plane.data() + x * bytesPerSample,
                    row + (x * recipe.SamplesPerPixel + sample) * bytesPerSample,
                    static_cast<std::size_t>(bytesPerSample));
    return plane;
}

void WritePage(TIFF* tif, const TMemoryFile& file, const TTiffRecipe& recipe) {
    const std::size_t rowBytes = RowBytes(recipe);
    if (recipe.Pixels.size() != rowBytes * static_cast<std::size_t>(recipe.Height))
        throw std::logic_error("TTiffRecipe: Pixels must hold Height rows of RowBytes bytes");
    Check(TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(recipe.Width)) != 0, file,
          "width");
    Check(TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(recipe.Height)) != 0, file,
          "length");
    Check(TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, recipe.BitsPerSample) != 0, file, "bits per sample");
    Check(TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, recipe.SamplesPerPixel) != 0, file, "samples per pixel");
    Check(TIFFSetField(tif, TIFFTAG_PLANARCONFIG, recipe.PlanarConfig) != 0, file, "planar configuration");
    Check(TIFFSetField(tif, TIFFTAG_COMPRESSION, recipe.Compression) != 0, file, "compression");
    Check(TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, recipe.Photometric) != 0, file, "photometric");
    if (recipe.Compression == COMPRESSION_JPEG) {
        if (recipe.JpegQuality > 0)
            Check(TIFFSetField(tif, TIFFTAG_JPEGQUALITY, recipe.JpegQuality) != 0, file, "JPEG quality");
        if (recipe.YCbCrSubsampling > 0)
            Check(TIFFSetField(tif, TIFFTAG_YCBCRSUBSAMPLING, recipe.YCbCrSubsampling,
                               recipe.YCbCrSubsampling) != 0,
                  file, "YCbCr subsampling");
        if (recipe.Photometric == PHOTOMETRIC_YCBCR)
            Check(TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB) != 0, file, "JPEG colour mode");
    }
    if (recipe.Orientation != 0)
        Check(TIFFSetField(tif, TIFFTAG_ORIENTATION, recipe.Orientation) != 0, file, "orientation");
    if (recipe.Predictor != 0)
        Check(TIFFSetField(tif, TIFFTAG_PREDICTOR, recipe.Predictor) != 0, file, "predictor");
    if (recipe.Group3Options)
        Check(TIFFSetField(tif, TIFFTAG_GROUP3OPTIONS, *recipe.Group3Options) != 0, file, "T4 options");
    if (!recipe.ColourMap.empty()) {
        const std::size_t n = recipe.ColourMap.size() / 3;
        Check(TIFFSetField(tif, TIFFTAG_COLORMAP, recipe.ColourMap.data(), recipe.ColourMap.data() + n,
                           recipe.ColourMap.data() + 2 * n) != 0,
              file, "colour map");
    }
    if (!recipe.ExtraSamples.empty())
        Check(TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, static_cast<std::uint16_t>(recipe.ExtraSamples.size()),
                           recipe.ExtraSamples.data()) != 0,
              file, "extra samples");
    if (recipe.XResolution)
        Check(TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<double>(*recipe.XResolution)) != 0, file,
              "x resolution");
    if (recipe.YResolution)
        Check(TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<double>(*recipe.YResolution)) != 0, file,
              "y resolution");
    if (recipe.ResolutionUnit)
        Check(TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, *recipe.ResolutionUnit) != 0, file,
              "resolution unit");

    const std::uint8_t* pixels = recipe.Pixels.data();
    if (recipe.TileWidth > 0) {
        const std::size_t pixelBits = static_cast<std::size_t>(recipe.SamplesPerPixel * recipe.BitsPerSample);
        if (recipe.PlanarConfig != 1 || recipe.TileWidth % 16 != 0 ||
            (pixelBits % 8 != 0 && 8 % pixelBits != 0))
            throw std::logic_error(
                "TTiffRecipe: tiles are interleaved, 16k wide, whole or byte-dividing pixels");
        Check(TIFFSetField(tif, TIFFTAG_TILEWIDTH, static_cast<std::uint32_t>(recipe.TileWidth)) != 0, file,
              "tile width");
        Check(TIFFSetField(tif, TIFFTAG_TILELENGTH, static_cast<std::uint32_t>(recipe.TileHeight)) != 0, file,
              "tile length");
        // Tile columns start at multiples of 16 pixels, so they start on whole bytes at every depth.
        const std::size_t tileRowBytes = static_cast<std::size_t>(recipe.TileWidth) * pixelBits / 8;
        std::vector<std::uint8_t> tile(tileRowBytes * static_cast<std::size_t>(recipe.TileHeight));
        for (int ty = 0; ty < recipe.Height; ty += recipe.TileHeight)
            for (int tx = 0; tx < recipe.Width; tx += recipe.TileWidth) {
                std::fill(tile.begin(), tile.end(), std::uint8_t{0});
                const std::size_t start = static_cast<std::size_t>(tx) * pixelBits / 8;
                const std::size_t bytes = std::min(tileRowBytes, rowBytes - start);
                for (int y = 0; y < recipe.TileHeight && ty + y < recipe.Height; ++y)
                    std::memcpy(tile.data() + tileRowBytes * static_cast<std::size_t>(y),
                                pixels + rowBytes * static_cast<std::size_t>(ty + y) + start, bytes);
                Check(TIFFWriteTile(tif, tile.data(), static_cast<std::uint32_t>(tx),
                                    static_cast<std::uint32_t>(ty), 0, 0) >= 0,
                      file, "a tile");
            }
    } else {
        const std::uint32_t rowsPerStrip = recipe.RowsPerStrip > 0
                                               ? static_cast<std::uint32_t>(recipe.RowsPerStrip)
                                               : static_cast<std::uint32_t>(recipe.Height);
        Check(TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip) != 0, file, "rows per strip");
        if (recipe.PlanarConfig == PLANARCONFIG_SEPARATE) {
            for (int sample = 0; sample < recipe.SamplesPerPixel; ++sample)
                for (int y = 0; y < recipe.Height; ++y) {
                    std::vector<std::uint8_t> plane =
                        Plane(recipe, pixels + rowBytes * static_cast<std::size_t>(y), sample);
                    Check(TIFFWriteScanline(tif, plane.data(), static_cast<std::uint32_t>(y),
                                            static_cast<std::uint16_t>(sample)) == 1,
                          file, "a scanline");
                }
        } else {
            std::vector<std::uint8_t> row(rowBytes);
            for (int y = 0; y < recipe.Height; ++y) {
                // libtiff may encode in place (the predictor does), so each row is a copy.
                std::memcpy(row.data(), pixels + rowBytes * static_cast<std::size_t>(y), rowBytes);
                Check(TIFFWriteScanline(tif, row.data(), static_cast<std::uint32_t>(y), 0) == 1, file,
                      "a scanline");
            }
        }
    }
    Check(TIFFWriteDirectory(tif) != 0, file, "the directory");
}

void PutU16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void PutU32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace

std::size_t RowBytes(const TTiffRecipe& recipe) {
    return (static_cast<std::size_t>(recipe.Width) * static_cast<std::size_t>(recipe.SamplesPerPixel) *
                static_cast<std::size_t>(recipe.BitsPerSample) +
            7) /
           8;
}

std::vector<std::uint8_t> PackPixels(const TTiffRecipe& recipe, const TSampleFunction& sample) {
    const std::size_t rowBytes = RowBytes(recipe);
    std::vector<std::uint8_t> pixels(rowBytes * static_cast<std::size_t>(recipe.Height), 0);
    const auto bits = static_cast<std::size_t>(recipe.BitsPerSample);
    const std::uint32_t mask = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1u;
    for (int y = 0; y < recipe.Height; ++y) {
        std::uint8_t* row = pixels.data() + rowBytes * static_cast<std::size_t>(y);
        for (int x = 0; x < recipe.Width; ++x)
            for (int s = 0; s < recipe.SamplesPerPixel; ++s) {
                const std::uint32_t value = sample(x, y, s) & mask;
                const std::size_t index = static_cast<std::size_t>(x * recipe.SamplesPerPixel + s);
                if (bits == 16) {
                    const auto v = static_cast<std::uint16_t>(value);
                    std::memcpy(row + 2 * index, &v, sizeof v);
                } else if (bits == 8) {
                    row[index] = static_cast<std::uint8_t>(value);
                } else if (bits > 0 && bits < 8 && 8 % bits == 0) {
                    const std::size_t bit = index * bits;
                    row[bit / 8] = static_cast<std::uint8_t>(row[bit / 8] | value << (8 - bits - bit % 8));
                } else {
                    throw std::logic_error("PackPixels: 1, 2, 4, 8 or 16 bits per sample");
                }
            }
    }
    return pixels;
}

TTiffRecipe WithPixels(TTiffRecipe recipe, const TSampleFunction& sample) {
    recipe.Pixels = PackPixels(recipe, sample);
    return recipe;
}

std::vector<std::uint8_t> MakeTiff(const std::vector<TTiffRecipe>& pages, bool bigEndian) {
    TMemoryFile file;
    {
        TTiffPtr tif = OpenMemory(file, bigEndian ? "wb" : "wl");
        for (const TTiffRecipe& page : pages)
            WritePage(tif.get(), file, page);
    }
    if (!file.Error.empty())
        throw std::runtime_error("libtiff: " + file.Error);
    return std::move(file.Bytes);
}

std::vector<std::uint8_t> MakeTiff(const TTiffRecipe& page, bool bigEndian) {
    return MakeTiff(std::vector<TTiffRecipe>{page}, bigEndian);
}

std::vector<std::uint8_t> MakeRawTiff(const TRawTiff& tiff) {
    std::map<std::uint16_t, TRawEntry> entries;
    for (const TRawEntry& entry : tiff.Entries)
        entries[entry.Tag] = entry;

    std::vector<std::uint8_t> out{'I', 'I', 42, 0, 0, 0, 0, 0};
    std::vector<std::uint32_t> offsets;
    std::vector<std::uint32_t> counts;
    for (const auto& strip : tiff.Strips) {
        offsets.push_back(static_cast<std::uint32_t>(out.size()));
        counts.push_back(static_cast<std::uint32_t>(strip.size()));
        out.insert(out.end(), strip.begin(), strip.end());
        if (out.size() % 2 != 0)
            out.push_back(0);
    }
    if (tiff.AdjustStrips)
        tiff.AdjustStrips(offsets, counts);
    if (!tiff.Strips.empty()) {
        entries.try_emplace(273, TRawEntry{273, 4, offsets});
        entries.try_emplace(279, TRawEntry{279, 4, counts});
    }

    const auto valueSize = [](const TRawEntry& e) -> std::size_t {
        const std::size_t unit = e.Type == 3 ? 2 : 4;
        return e.Type == 5 ? e.Values.size() * 4 : e.Values.size() * unit;
    };
    const auto count = [](const TRawEntry& e) { return e.Type == 5 ? e.Values.size() / 2 : e.Values.size(); };
    const std::size_t ifd = out.size();
    PutU32(out, 4, static_cast<std::uint32_t>(ifd));
    out.resize(ifd + 2 + 12 * entries.size() + 4);
    PutU16(out, ifd, static_cast<std::uint32_t>(entries.size()));
    std::size_t at = ifd + 2;
    for (const auto& [tag, entry] : entries) {
        PutU16(out, at, tag);
        PutU16(out, at + 2, entry.Type);
        PutU32(out, at + 4, static_cast<std::uint32_t>(count(entry)));
        std::size_t valueAt = at + 8;
        if (valueSize(entry) > 4) {
            valueAt = out.size();
            PutU32(out, at + 8, static_cast<std::uint32_t>(valueAt));
            out.resize(valueAt + valueSize(entry) + valueSize(entry) % 2);
        }
        for (std::size_t i = 0; i < entry.Values.size(); ++i) {
            if (entry.Type == 3)
                PutU16(out, valueAt + 2 * i, entry.Values[i]);
            else
                PutU32(out, valueAt + 4 * i, entry.Values[i]);
        }
        at += 12;
    }
    return out;
}

std::vector<std::vector<std::uint8_t>> ReadRawStrips(const std::vector<std::uint8_t>& bytes) {
    TMemoryFile file;
    file.Bytes = bytes;
    TTiffPtr tif = OpenMemory(file, "rm");
    std::vector<std::vector<std::uint8_t>> strips;
    for (tstrip_t s = 0; s < TIFFNumberOfStrips(tif.get()); ++s) {
        const tmsize_t size = TIFFRawStripSize(tif.get(), s);
        Check(size >= 0, file, "a raw strip size");
        std::vector<std::uint8_t> strip(static_cast<std::size_t>(size));
        Check(TIFFReadRawStrip(tif.get(), s, strip.data(), size) == size, file, "a raw strip");
        strips.push_back(std::move(strip));
    }
    return strips;
}

TTiffRecipe Page(int width, int height, int bits, int samples, int photometric, int compression) {
    TTiffRecipe recipe;
    recipe.Width = width;
    recipe.Height = height;
    recipe.BitsPerSample = bits;
    recipe.SamplesPerPixel = samples;
    recipe.Photometric = photometric;
    recipe.Compression = compression;
    return recipe;
}

} // namespace tintwell::test
