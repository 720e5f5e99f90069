#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <tiffio.h>

#include "codec/errors.h"
#include "imaging/bitmap.h"
#include "imaging/display_info.h"
#include "imaging/registry.h"
#include "imaging/tiff/tiff_graphic.h"
#include "support/fixtures.h"
#include "support/scoped_global.h"
#include "support/temp_dir.h"
#include "support/tiff_builder.h"

namespace tintwell {
namespace {

using test::MakeRawTiff;
using test::MakeTiff;
using test::PackPixels;
using test::Page;
using test::ReadRawStrips;
using test::TempDir;
using test::TRawEntry;
using test::TRawTiff;
using test::TTiffRecipe;
using test::WithPixels;
using F = TDibPixelFormat;
using K = TTiffCompression;

// ---- Pictures and how they are compared.

struct Rgb {
    int R = 0;
    int G = 0;
    int B = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
void PrintTo(const Rgb& c, std::ostream* os) { *os << '(' << c.R << ',' << c.G << ',' << c.B << ')'; }

Rgb Gray(std::uint32_t level) {
    const auto l = static_cast<int>(level & 0xFFu);
    return {l, l, l};
}
const Rgb kBlack{0, 0, 0};
const Rgb kWhite{255, 255, 255};

using TExpected = std::function<Rgb(int x, int y)>;

// The picture as the statistics see it: copied into a bitmap of 24 bits per pixel.
std::vector<Rgb> Picture(TTiffGraphic& graphic) {
    TBitmap bitmap;
    graphic.AssignTo(bitmap);
    const TBitmapView view = bitmap.View();
    std::vector<Rgb> pixels;
    for (int y = 0; y < view.Height(); ++y)
        for (int x = 0; x < view.Width(); ++x) {
            const std::uint8_t* p = view.ScanLine(y) + 3 * x;
            pixels.push_back({p[2], p[1], p[0]});
        }
    return pixels;
}

std::vector<Rgb> Expected(int width, int height, const TExpected& pixel) {
    std::vector<Rgb> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(pixel(x, y));
    return pixels;
}

// Equal within tolerance in every channel; the message names the first pixels that differ.
::testing::AssertionResult SamePicture(const std::vector<Rgb>& actual, const std::vector<Rgb>& expected,
                                       int width, int tolerance = 0) {
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << actual.size() << " pixels, expected " << expected.size();
    int differing = 0;
    std::ostringstream shown;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        const Rgb& a = actual[i];
        const Rgb& e = expected[i];
        if (std::abs(a.R - e.R) > tolerance || std::abs(a.G - e.G) > tolerance ||
            std::abs(a.B - e.B) > tolerance) {
            if (differing++ < 4)
                shown << " at (" << i % static_cast<std::size_t>(width) << ','
                      << i / static_cast<std::size_t>(width) << ") got " << ::testing::PrintToString(a)
                      << " want " << ::testing::PrintToString(e) << ';';
        }
    }
    if (differing == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " pixels differ:" << shown.str();
}

// ---- Files.

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

TTiffGraphic Load(const std::vector<std::uint8_t>& bytes) {
    const TempDir dir;
    const std::string path = dir.Path("x.tif");
    WriteBytes(path, bytes);
    TTiffGraphic graphic;
    graphic.LoadFromFile(path);
    return graphic;
}

// "<error class>: <message>", or "(no error)".
std::string LoadError(const std::vector<std::uint8_t>& bytes) {
    try {
        Load(bytes);
    } catch (const ETiffError& e) {
        return "ETiffError: " + e.Message();
    } catch (const EInvalidGraphic& e) {
        return "EInvalidGraphic: " + e.Message();
    } catch (const Exception& e) {
        return "Exception: " + e.Message();
    }
    return "(no error)";
}

// ---- Content of the test files.

std::uint32_t Level(int x, int y) { return static_cast<std::uint32_t>(x * 29 + y * 53) & 0xFFu; }
std::uint32_t Channel(int x, int y, int s) {
    return static_cast<std::uint32_t>(x * 29 + y * 53 + s * 101) & 0xFFu;
}
bool Checker(int x, int y) { return (x / 2 + y) % 2 == 1; }
// Flat 8 x 8 blocks, which JPEG keeps nearly exact.
std::uint32_t Block(int x, int y, int s) {
    return static_cast<std::uint32_t>(((x / 8) * 90 + (y / 8) * 60 + s * 70) % 256);
}
Rgb ChannelRgb(int x, int y) {
    return {static_cast<int>(Channel(x, y, 0)), static_cast<int>(Channel(x, y, 1)),
            static_cast<int>(Channel(x, y, 2))};
}

// A colour map of `entries` colours: value(i, c) for channel c (0 red, 1 green, 2 blue) of entry i.
std::vector<std::uint16_t> ColourMap(int entries, const std::function<int(int i, int c)>& value) {
    std::vector<std::uint16_t> map(3 * static_cast<std::size_t>(entries));
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < entries; ++i)
            map[static_cast<std::size_t>(c * entries + i)] = static_cast<std::uint16_t>(value(i, c));
    return map;
}

std::function<std::vector<std::uint8_t>()> Written(const TTiffRecipe& recipe) {
    return [recipe] { return MakeTiff(recipe); };
}

// ---- Every reading path and pixel format, pixel for pixel.

struct LoadCase {
    std::string Name;
    std::function<std::vector<std::uint8_t>()> Make;
    int Width;
    int Height;
    TDibPixelFormat Format;
    TTiffCompression Kind;
    TExpected Pixel;
    int Tolerance = 0;
};
void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.Name; }

int Scale16(int v) { return v * 255 / 65535; }

std::vector<LoadCase> StripCases() {
    std::vector<LoadCase> cases;
    const auto checker = [](int x, int y, int) { return Checker(x, y) ? 1u : 0u; };
    const auto inverseChecker = [](int x, int y, int) { return Checker(x, y) ? 0u : 1u; };
    const auto checkerPicture = [](int x, int y) { return Checker(x, y) ? kWhite : kBlack; };
    // Two files storing inverse bits under the two photometric interpretations: one picture.
    cases.push_back({"bw_black_is_zero",
                     Written(WithPixels(Page(21, 9, 1, 1, PHOTOMETRIC_MINISBLACK, 1), checker)), 21, 9,
                     F::BlackAndWhite, K::None, checkerPicture});
    cases.push_back({"bw_white_is_zero_inverse_bits",
                     Written(WithPixels(Page(21, 9, 1, 1, PHOTOMETRIC_MINISWHITE, 1), inverseChecker)), 21, 9,
                     F::BlackAndWhite, K::None, checkerPicture});
    cases.push_back(
        {"bw_white_is_zero_packbits",
         Written(WithPixels(Page(21, 9, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_PACKBITS), inverseChecker)),
         21, 9, F::BlackAndWhite, K::Packbits, checkerPicture});

    const auto nibble = [](int x, int y, int) { return Level(x, y) & 15u; };
    const auto inverseNibble = [](int x, int y, int) { return 15u - (Level(x, y) & 15u); };
    const auto nibblePicture = [](int x, int y) { return Gray((Level(x, y) & 15u) * 17u); };
    cases.push_back({"gray4_black_is_zero_lzw",
                     Written(WithPixels(Page(13, 7, 4, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW), nibble)),
                     13, 7, F::Gray16, K::LZW, nibblePicture});
    cases.push_back({"gray4_white_is_zero",
                     Written(WithPixels(Page(13, 7, 4, 1, PHOTOMETRIC_MINISWHITE, 1), inverseNibble)), 13, 7,
                     F::Gray16, K::None, nibblePicture});

    const auto level = [](int x, int y, int) { return Level(x, y); };
    const auto inverseLevel = [](int x, int y, int) { return 255u - Level(x, y); };
    const auto levelPicture = [](int x, int y) { return Gray(Level(x, y)); };
    cases.push_back(
        {"gray8_black_is_zero_zlib",
         Written(WithPixels(Page(12, 8, 8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_DEFLATE), level)), 12, 8,
         F::Gray256, K::ZLib, levelPicture});
    cases.push_back({"gray8_white_is_zero",
                     Written(WithPixels(Page(12, 8, 8, 1, PHOTOMETRIC_MINISWHITE, 1), inverseLevel)), 12, 8,
                     F::Gray256, K::None, levelPicture});

    // A 1-bit palette file: its rows are unpacked at their own depth into the 16-colour raster.
    TTiffRecipe palette1 = WithPixels(Page(19, 5, 1, 1, PHOTOMETRIC_PALETTE, 1), checker);
    palette1.ColourMap = ColourMap(2, [](int i, int c) {
        const int table[2][3] = {{200, 10, 30}, {5, 250, 90}};
        return table[i][c];
    });
    cases.push_back(
        {"palette1_eight_bit_map", Written(palette1), 19, 5, F::Color16, K::None, [](int x, int y) {
             return Checker(x, y) ? Rgb{5, 250, 90} : Rgb{200, 10, 30};
         }});

    const auto map8 = [](int i, int c) { return (i * 67 + c * 85) % 256; };
    TTiffRecipe palette4 = WithPixels(Page(11, 6, 4, 1, PHOTOMETRIC_PALETTE, COMPRESSION_PACKBITS), nibble);
    palette4.ColourMap = ColourMap(16, map8);
    cases.push_back({"palette4_eight_bit_map_packbits", Written(palette4), 11, 6, F::Color16, K::Packbits,
                     [map8](int x, int y) {
                         const int i = static_cast<int>(Level(x, y) & 15u);
                         return Rgb{map8(i, 0), map8(i, 1), map8(i, 2)};
                     }});

    const auto map16 = [](int i, int c) { return ((i * 67 + c * 85) % 256) * 256 + (i % 7) * 31; };
    TTiffRecipe palette8 = WithPixels(Page(11, 6, 8, 1, PHOTOMETRIC_PALETTE, COMPRESSION_LZW), level);
    palette8.ColourMap = ColourMap(256, map16);
    cases.push_back({"palette8_sixteen_bit_map_lzw", Written(palette8), 11, 6, F::Color256, K::LZW,
                     [map16](int x, int y) {
                         const int i = static_cast<int>(Level(x, y));
                         return Rgb{Scale16(map16(i, 0)), Scale16(map16(i, 1)), Scale16(map16(i, 2))};
                     }});

    // 24-bit rows: widths that are and are not a multiple of 4 take the two ways into the raster.
    const auto channel = [](int x, int y, int s) { return Channel(x, y, s); };
    TTiffRecipe predictor = WithPixels(Page(13, 10, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW), channel);
    predictor.Predictor = PREDICTOR_HORIZONTAL;
    predictor.RowsPerStrip = 3;
    cases.push_back(
        {"rgb24_width13_lzw_predictor2", Written(predictor), 13, 10, F::TrueColor, K::LZW, ChannelRgb});
    TTiffRecipe direct = WithPixels(Page(16, 7, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW), channel);
    direct.RowsPerStrip = 3;
    cases.push_back({"rgb24_width16_lzw_strips", Written(direct), 16, 7, F::TrueColor, K::LZW, ChannelRgb});
    TTiffRecipe packbits = WithPixels(Page(16, 5, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_PACKBITS), channel);
    cases.push_back({"rgb24_width16_packbits_one_strip", Written(packbits), 16, 5, F::TrueColor, K::Packbits,
                     ChannelRgb});
    cases.push_back({"rgb24_width15_zlib",
                     Written(WithPixels(Page(15, 5, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_DEFLATE), channel)),
                     15, 5, F::TrueColor, K::ZLib, ChannelRgb});
    // 4-bit samples, five to a pixel: 2.5 bytes per pixel round to 2 (half to even), 2 x 4 bits
    // is a plain row depth, and a true-colour raster takes such rows byte for byte.
    TTiffRecipe rgb4 = WithPixels(Page(6, 3, 4, 5, PHOTOMETRIC_RGB, 1),
                                  [](int x, int y, int s) { return Channel(x, y, s); });
    rgb4.ExtraSamples = {EXTRASAMPLE_UNSPECIFIED, EXTRASAMPLE_UNSPECIFIED};
    const std::vector<std::uint8_t> rgb4Rows = rgb4.Pixels;
    cases.push_back({"rgb4_five_samples_rows_copied_unchanged", Written(rgb4), 6, 3, F::TrueColor, K::None,
                     [rgb4Rows](int x, int y) {
                         const std::size_t rowBytes = rgb4Rows.size() / 3; // 15 of the raster row's 18
                         const auto byte = [&](std::size_t i) {
                             return i < rowBytes ? int{rgb4Rows[static_cast<std::size_t>(y) * rowBytes + i]}
                                                 : 0;
                         };
                         const auto at = 3 * static_cast<std::size_t>(x);
                         return Rgb{byte(at + 2), byte(at + 1), byte(at)};
                     }});
    return cases;
}

std::vector<LoadCase> ScanlineCases() {
    std::vector<LoadCase> cases;
    // The low bytes differ from the high ones, so taking the wrong byte shows.
    const auto gray16 = [](int x, int y, int) {
        return Level(x, y) * 256u + ((static_cast<std::uint32_t>(x) * 37u + 11u) & 255u);
    };
    const auto inverse16 = [](int x, int y, int) { return (255u - Level(x, y)) * 256u + 0x80u; };
    const auto levelPicture = [](int x, int y) { return Gray(Level(x, y)); };
    cases.push_back({"gray16_high_byte",
                     Written(WithPixels(Page(9, 5, 16, 1, PHOTOMETRIC_MINISBLACK, 1), gray16)), 9, 5,
                     F::Gray256, K::None, levelPicture});
    cases.push_back(
        {"gray16_white_is_zero_lzw",
         Written(WithPixels(Page(9, 5, 16, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_LZW), inverse16)), 9, 5,
         F::Gray256, K::LZW, levelPicture});

    // libtiff hands 16-bit samples over in host order whatever the file's byte order.
    const TTiffRecipe bigEndian =
        WithPixels(Page(9, 5, 16, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW), gray16);
    cases.push_back({"gray16_big_endian_file", [bigEndian] { return MakeTiff(bigEndian, true); }, 9, 5,
                     F::Gray256, K::LZW, levelPicture});
    // Tiled files give the same rows, put together from the tiles.
    TTiffRecipe tiled16 =
        WithPixels(Page(20, 18, 16, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_DEFLATE), gray16);
    tiled16.TileWidth = 16;
    tiled16.TileHeight = 16;
    cases.push_back({"gray16_tiled", Written(tiled16), 20, 18, F::Gray256, K::ZLib, levelPicture});

    // A palette file of two 8-bit samples per pixel also goes by 16-bit words: the high byte of
    // the word the two samples make in host order is the index.
    const auto first = [](int x, int y) { return static_cast<std::uint8_t>(Level(x, y)); };
    const auto second = [](int x, int y) { return static_cast<std::uint8_t>(Level(x, y) * 3u + 7u); };
    TTiffRecipe twoSamples =
        WithPixels(Page(11, 6, 8, 2, PHOTOMETRIC_PALETTE, 1), [first, second](int x, int y, int s) {
            return std::uint32_t{s == 0 ? first(x, y) : second(x, y)};
        });
    twoSamples.ExtraSamples = {EXTRASAMPLE_UNSPECIFIED};
    const auto map = [](int i, int c) { return (i + c * 50) % 256; };
    twoSamples.ColourMap = ColourMap(256, map);
    cases.push_back({"palette8_two_samples_as_16_bit_words", Written(twoSamples), 11, 6, F::Color256, K::None,
                     [first, second, map](int x, int y) {
                         const std::uint8_t bytes[2] = {first(x, y), second(x, y)};
                         std::uint16_t word = 0;
                         std::memcpy(&word, bytes, sizeof word);
                         const int i = word >> 8;
                         return Rgb{map(i, 0), map(i, 1), map(i, 2)};
                     }});

    // Fax rows are read as white-is-zero whatever the file says: a set bit is black.
    const auto checker = [](int x, int y, int) { return Checker(x, y) ? 1u : 0u; };
    const auto faxPicture = [](int x, int y) { return Checker(x, y) ? kBlack : kWhite; };
    cases.push_back(
        {"fax_g3_1d_white_is_zero",
         Written(WithPixels(Page(40, 12, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX3), checker)), 40,
         12, F::BlackAndWhite, K::CcittGroup3_1D, faxPicture});
    TTiffRecipe twoD = WithPixels(Page(40, 12, 1, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_CCITTFAX3), checker);
    twoD.Group3Options = GROUP3OPT_2DENCODING;
    cases.push_back(
        {"fax_g3_2d_black_is_zero", Written(twoD), 40, 12, F::BlackAndWhite, K::CcittGroup3_2D, faxPicture});
    cases.push_back(
        {"fax_g4_black_is_zero",
         Written(WithPixels(Page(40, 12, 1, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_CCITTFAX4), checker)), 40,
         12, F::BlackAndWhite, K::CcittGroup4, faxPicture});
    cases.push_back(
        {"fax_modified_huffman",
         Written(WithPixels(Page(40, 12, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTRLE), checker)), 40,
         12, F::BlackAndWhite, K::CcittGroup3_1D, faxPicture});
    TTiffRecipe faxTiled =
        WithPixels(Page(40, 20, 1, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_CCITTFAX4), checker);
    faxTiled.TileWidth = 32;
    faxTiled.TileHeight = 16;
    cases.push_back(
        {"fax_g4_tiled", Written(faxTiled), 40, 20, F::BlackAndWhite, K::CcittGroup4, faxPicture});
    // A fax file may leave bits per sample out: it has 1.
    const TTiffRecipe g3 =
        WithPixels(Page(40, 12, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX3), checker);
    cases.push_back(
        {"fax_without_bits_per_sample",
         [g3] {
             TRawTiff raw;
             raw.Entries = {{256, 3, {40}}, {257, 3, {12}}, {259, 3, {3}}, {262, 3, {0}}, {278, 3, {12}}};
             raw.Strips = ReadRawStrips(MakeTiff(g3));
             return MakeRawTiff(raw);
         },
         40, 12, F::BlackAndWhite, K::CcittGroup3_1D, faxPicture});
    return cases;
}

std::vector<LoadCase> RgbaReaderCases() {
    std::vector<LoadCase> cases;
    const auto channel = [](int x, int y, int s) { return Channel(x, y, s); };
    TTiffRecipe rgba = WithPixels(Page(10, 6, 8, 4, PHOTOMETRIC_RGB, 1),
                                  [](int x, int y, int s) { return s == 3 ? 255u : Channel(x, y, s); });
    rgba.ExtraSamples = {EXTRASAMPLE_UNASSALPHA};
    cases.push_back({"rgba32", Written(rgba), 10, 6, F::TrueColor, K::None, ChannelRgb});
    TTiffRecipe tiled = WithPixels(Page(20, 18, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW), channel);
    tiled.TileWidth = 16;
    tiled.TileHeight = 16;
    cases.push_back({"rgb24_tiled_lzw", Written(tiled), 20, 18, F::TrueColor, K::LZW, ChannelRgb});
    TTiffRecipe planar = WithPixels(Page(10, 6, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_PACKBITS), channel);
    planar.PlanarConfig = PLANARCONFIG_SEPARATE;
    cases.push_back({"rgb24_planar_separate", Written(planar), 10, 6, F::TrueColor, K::Packbits, ChannelRgb});
    cases.push_back({"rgb48",
                     Written(WithPixels(Page(7, 5, 16, 3, PHOTOMETRIC_RGB, 1),
                                        [](int x, int y, int s) { return Channel(x, y, s) * 257u; })),
                     7, 5, F::TrueColor, K::None, ChannelRgb});
    const auto ink = [](int x, int y, int s) { return (Channel(x, y, s) * 7u) & 0xFFu; };
    cases.push_back({"cmyk_separated",
                     Written(WithPixels(Page(9, 4, 8, 4, PHOTOMETRIC_SEPARATED, COMPRESSION_LZW), ink)), 9, 4,
                     F::TrueColor, K::LZW, [ink](int x, int y) {
                         // libtiff's conversion: each colour's ink and the black ink taken away from white.
                         const auto level = [&](int s) {
                             return static_cast<int>((255u - ink(x, y, 3)) * (255u - ink(x, y, s)) / 255u);
                         };
                         return Rgb{level(0), level(1), level(2)};
                     }});
    // 2 bits fits none of the raster depths; libtiff spreads the four levels over 0..255.
    cases.push_back({"gray2_white_is_zero",
                     Written(WithPixels(Page(11, 6, 2, 1, PHOTOMETRIC_MINISWHITE, 1),
                                        [](int x, int y, int) { return Level(x, y) & 3u; })),
                     11, 6, F::TrueColor, K::None,
                     [](int x, int y) { return Gray(255u - (Level(x, y) & 3u) * 85u); }});

    // Gray files through the RGBA reader land on the gray palettes by nearest colour. White-is-zero
    // ones come out of libtiff the right way round and are not inverted again.
    TTiffRecipe gray8 = WithPixels(Page(20, 18, 8, 1, PHOTOMETRIC_MINISBLACK, 1),
                                   [](int x, int y, int) { return Level(x, y); });
    gray8.TileWidth = 16;
    gray8.TileHeight = 16;
    cases.push_back({"gray8_tiled", Written(gray8), 20, 18, F::Gray256, K::None,
                     [](int x, int y) { return Gray(Level(x, y)); }});
    TTiffRecipe gray4 = WithPixels(Page(20, 18, 4, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_LZW),
                                   [](int x, int y, int) { return 15u - (Level(x, y) & 15u); });
    gray4.TileWidth = 16;
    gray4.TileHeight = 16;
    cases.push_back({"gray4_tiled_white_is_zero", Written(gray4), 20, 18, F::Gray16, K::LZW,
                     [](int x, int y) { return Gray((Level(x, y) & 15u) * 17u); }});
    TTiffRecipe bw = WithPixels(Page(20, 18, 1, 1, PHOTOMETRIC_MINISWHITE, 1),
                                [](int x, int y, int) { return Checker(x, y) ? 0u : 1u; });
    bw.TileWidth = 16;
    bw.TileHeight = 16;
    cases.push_back({"bw_tiled_white_is_zero", Written(bw), 20, 18, F::BlackAndWhite, K::None,
                     [](int x, int y) { return Checker(x, y) ? kWhite : kBlack; }});

    const auto levels = [](int i, int c) {
        const int table[4][3] = {{10, 20, 30}, {250, 0, 0}, {0, 250, 0}, {0, 0, 250}};
        return table[i][c] * 257;
    };
    TTiffRecipe palette2 = WithPixels(Page(11, 6, 2, 1, PHOTOMETRIC_PALETTE, 1),
                                      [](int x, int y, int) { return Level(x, y) & 3u; });
    palette2.ColourMap = ColourMap(4, levels);
    cases.push_back(
        {"palette2_nearest_entry", Written(palette2), 11, 6, F::Color16, K::None, [levels](int x, int y) {
             const int i = static_cast<int>(Level(x, y) & 3u);
             return Rgb{levels(i, 0) / 257, levels(i, 1) / 257, levels(i, 2) / 257};
         }});

    const auto block = [](int x, int y, int s) { return Block(x, y, s); };
    const auto blockRgb = [](int x, int y) {
        return Rgb{static_cast<int>(Block(x, y, 0)), static_cast<int>(Block(x, y, 1)),
                   static_cast<int>(Block(x, y, 2))};
    };
    TTiffRecipe ycbcr = WithPixels(Page(32, 16, 8, 3, PHOTOMETRIC_YCBCR, COMPRESSION_JPEG), block);
    ycbcr.RowsPerStrip = 16;
    ycbcr.JpegQuality = 95;
    ycbcr.YCbCrSubsampling = 1; // full chroma: block edges stay sharp
    cases.push_back({"rgb_jpeg_ycbcr", Written(ycbcr), 32, 16, F::TrueColor, K::JPEG, blockRgb, 10});
    TTiffRecipe jpegRgb = WithPixels(Page(32, 16, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_JPEG), block);
    jpegRgb.RowsPerStrip = 16;
    jpegRgb.JpegQuality = 95;
    cases.push_back({"rgb_jpeg", Written(jpegRgb), 32, 16, F::TrueColor, K::JPEG, blockRgb, 6});
    TTiffRecipe jpegGray = WithPixels(Page(24, 16, 8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_JPEG), block);
    jpegGray.RowsPerStrip = 16;
    jpegGray.JpegQuality = 95;
    cases.push_back({"gray8_jpeg", Written(jpegGray), 24, 16, F::Gray256, K::JPEG,
                     [](int x, int y) { return Gray(Block(x, y, 0)); }, 4});
    TTiffRecipe jpegWhite = WithPixels(Page(24, 16, 8, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_JPEG),
                                       [](int x, int y, int) { return 255u - Block(x, y, 0); });
    jpegWhite.RowsPerStrip = 16;
    jpegWhite.JpegQuality = 95;
    cases.push_back({"gray8_jpeg_white_is_zero", Written(jpegWhite), 24, 16, F::Gray256, K::JPEG,
                     [](int x, int y) { return Gray(Block(x, y, 0)); }, 4});
    return cases;
}

class TiffStrips : public ::testing::TestWithParam<LoadCase> {};
class TiffScanlines : public ::testing::TestWithParam<LoadCase> {};
class TiffRgbaReader : public ::testing::TestWithParam<LoadCase> {};

void CheckLoad(const LoadCase& c) {
    TTiffGraphic graphic = Load(c.Make());
    ASSERT_EQ(graphic.Width(), c.Width);
    ASSERT_EQ(graphic.Height(), c.Height);
    EXPECT_EQ(DisplayName(graphic.PixelFormat()), DisplayName(c.Format));
    EXPECT_EQ(DisplayName(graphic.Compression()), DisplayName(c.Kind));
    EXPECT_TRUE(SamePicture(Picture(graphic), Expected(c.Width, c.Height, c.Pixel), c.Width, c.Tolerance));
}

TEST_P(TiffStrips, ReadEveryPixel) { CheckLoad(GetParam()); }
TEST_P(TiffScanlines, ReadEveryPixel) { CheckLoad(GetParam()); }
TEST_P(TiffRgbaReader, ReadEveryPixel) { CheckLoad(GetParam()); }

const auto kCaseName = [](const auto& row) { return row.param.Name; };
INSTANTIATE_TEST_SUITE_P(, TiffStrips, ::testing::ValuesIn(StripCases()), kCaseName);
INSTANTIATE_TEST_SUITE_P(, TiffScanlines, ::testing::ValuesIn(ScanlineCases()), kCaseName);
INSTANTIATE_TEST_SUITE_P(, TiffRgbaReader, ::testing::ValuesIn(RgbaReaderCases()), kCaseName);

// ---- Orientation: 3 turns the picture once on every path; other values are left to the path.

std::vector<LoadCase> OrientationCases() {
    std::vector<LoadCase> cases;
    const auto oriented = [](TTiffRecipe recipe, int orientation) {
        recipe.Orientation = orientation;
        return Written(recipe);
    };
    const auto level = [](int x, int y, int) { return Level(x, y); };
    const auto channel = [](int x, int y, int s) { return Channel(x, y, s); };
    const TTiffRecipe gray8 = WithPixels(Page(7, 5, 8, 1, PHOTOMETRIC_MINISBLACK, 1), level);
    const auto turned = [](int w, int h, std::function<Rgb(int, int)> f) {
        return [w, h, f](int x, int y) { return f(w - 1 - x, h - 1 - y); };
    };
    const auto gray = [](int x, int y) { return Gray(Level(x, y)); };
    cases.push_back({"strip_gray8_3", oriented(gray8, 3), 7, 5, F::Gray256, K::None, turned(7, 5, gray)});
    TTiffRecipe direct = WithPixels(Page(16, 3, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW), channel);
    cases.push_back({"strip_rgb24_width16_3", oriented(direct, 3), 16, 3, F::TrueColor, K::LZW,
                     turned(16, 3, ChannelRgb)});
    TTiffRecipe buffered = WithPixels(Page(13, 4, 8, 3, PHOTOMETRIC_RGB, 1), channel);
    cases.push_back({"strip_rgb24_width13_3", oriented(buffered, 3), 13, 4, F::TrueColor, K::None,
                     turned(13, 4, ChannelRgb)});
    TTiffRecipe gray16 = WithPixels(Page(9, 5, 16, 1, PHOTOMETRIC_MINISBLACK, 1),
                                    [](int x, int y, int) { return Level(x, y) * 256u; });
    cases.push_back({"sixteen_bit_3", oriented(gray16, 3), 9, 5, F::Gray256, K::None, turned(9, 5, gray)});
    TTiffRecipe fax = WithPixels(Page(40, 6, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4),
                                 [](int x, int y, int) { return Checker(x, y) ? 1u : 0u; });
    cases.push_back({"fax_3", oriented(fax, 3), 40, 6, F::BlackAndWhite, K::CcittGroup4,
                     turned(40, 6, [](int x, int y) { return Checker(x, y) ? kBlack : kWhite; })});
    TTiffRecipe tiled = WithPixels(Page(20, 18, 8, 3, PHOTOMETRIC_RGB, 1), channel);
    tiled.TileWidth = 16;
    tiled.TileHeight = 16;
    cases.push_back(
        {"rgba_tiled_3", oriented(tiled, 3), 20, 18, F::TrueColor, K::None, turned(20, 18, ChannelRgb)});
    TTiffRecipe gray2 = WithPixels(Page(11, 6, 2, 1, PHOTOMETRIC_MINISBLACK, 1),
                                   [](int x, int y, int) { return Level(x, y) & 3u; });
    cases.push_back({"rgba_gray2_3", oriented(gray2, 3), 11, 6, F::TrueColor, K::None,
                     turned(11, 6, [](int x, int y) { return Gray((Level(x, y) & 3u) * 85u); })});
    for (const int orientation : {2, 4, 5, 8})
        cases.push_back({"strip_gray8_" + std::to_string(orientation) + "_as_stored",
                         oriented(gray8, orientation), 7, 5, F::Gray256, K::None, gray});
    // libtiff's reader honours the tag itself: a mirrored file comes out mirrored back.
    cases.push_back({"rgba_tiled_2_by_libtiff", oriented(tiled, 2), 20, 18, F::TrueColor, K::None,
                     [](int x, int y) { return ChannelRgb(19 - x, y); }});
    return cases;
}

class TiffOrientation : public ::testing::TestWithParam<LoadCase> {};
TEST_P(TiffOrientation, TurnsOnce) { CheckLoad(GetParam()); }
INSTANTIATE_TEST_SUITE_P(, TiffOrientation, ::testing::ValuesIn(OrientationCases()), kCaseName);

// ---- Failures.

// A gray 4 x 2 file made entry by entry, with entries replaced or added by `changes` and the
// tags in `omit` left out.
std::vector<std::uint8_t> RawFile(const std::vector<TRawEntry>& changes,
                                  const std::set<std::uint16_t>& omit = {}) {
    std::vector<TRawEntry> entries = {{256, 3, {4}}, {257, 3, {2}}, {258, 3, {8}},
                                      {259, 3, {1}}, {262, 3, {1}}, {278, 3, {2}}};
    for (const TRawEntry& change : changes) {
        const auto same = std::find_if(entries.begin(), entries.end(),
                                       [&](const TRawEntry& e) { return e.Tag == change.Tag; });
        if (same != entries.end())
            *same = change;
        else
            entries.push_back(change);
    }
    std::erase_if(entries, [&](const TRawEntry& e) { return omit.count(e.Tag) > 0; });
    TRawTiff raw;
    raw.Entries = entries;
    raw.Strips = {{10, 20, 30, 40, 50, 60, 70, 80}};
    return MakeRawTiff(raw);
}

std::vector<std::uint32_t> GrayMap256() {
    std::vector<std::uint32_t> map;
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 256; ++i)
            map.push_back(static_cast<std::uint32_t>(i));
    return map;
}

struct ErrorCase {
    const char* Name;
    std::function<std::vector<std::uint8_t>()> Make;
    std::string Error;
};
void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.Name; }

const ErrorCase kErrorCases[] = {
    {"empty_file", [] { return std::vector<std::uint8_t>{}; }, "ETiffError: ETiffError TIFFOpen"},
    {"text_file",
     [] {
         const std::string text = "not a picture at all";
         return std::vector<std::uint8_t>(text.begin(), text.end());
     },
     "ETiffError: ETiffError TIFFOpen"},
    {"header_without_directory", [] { return std::vector<std::uint8_t>{'I', 'I', 42, 0, 8, 0, 0, 0}; },
     "ETiffError: ETiffError TIFFOpen"},
    {"directory_past_the_end",
     [] { return std::vector<std::uint8_t>{'I', 'I', 42, 0, 0, 0, 0, 0x7F, 1, 2, 3}; },
     "ETiffError: ETiffError TIFFOpen"},
    {"big_endian_header_cut", [] { return std::vector<std::uint8_t>{'M', 'M', 0, 42, 0, 0}; },
     "ETiffError: ETiffError TIFFOpen"},
    {"zero_width",
     [] {
         return RawFile({{256, 3, {0}}});
     },
     "ETiffError: ETiffError TIFFOpen"},
    {"adobe_deflate",
     [] {
         return MakeTiff(WithPixels(Page(4, 2, 8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_ADOBE_DEFLATE),
                                    [](int x, int y, int) { return Level(x, y); }));
     },
     "ETiffError: ETiffError Unsupported compression tag, 8"},
    {"old_style_jpeg",
     [] {
         return RawFile({{259, 3, {6}}});
     },
     "ETiffError: ETiffError Unsupported compression tag, 6"},
    {"unknown_compression",
     [] {
         return RawFile({{259, 3, {12345}}});
     },
     "ETiffError: ETiffError Unsupported compression tag, 12345"},
    {"gray4_jpeg",
     [] {
         return RawFile({{258, 3, {4}}, {259, 3, {7}}});
     },
     "ETiffError: JPEG compression not supported with 16 shades of gray images"},
    {"bw_jpeg",
     [] {
         return RawFile({{258, 3, {1}}, {259, 3, {7}}});
     },
     "ETiffError: JPEG compression not supported with Black and white images"},
    {"palette8_jpeg",
     [] {
         return RawFile({{259, 3, {7}}, {262, 3, {3}}, {320, 3, GrayMap256()}});
     },
     "ETiffError: JPEG compression not supported with 256 color images"},
    {"gray8_group4",
     [] {
         return RawFile({{259, 3, {4}}});
     },
     "ETiffError: CCITT Group 4 compression not supported with 256 shades of gray images"},
    {"gray4_group3_1d",
     [] {
         return RawFile({{258, 3, {4}}, {259, 3, {3}}});
     },
     "ETiffError: CCITT Group 3, 1D compression not supported with 16 shades of gray images"},
    {"rgb_group3_2d",
     [] {
         return RawFile({{258, 3, {8, 8, 8}}, {259, 3, {3}}, {262, 3, {2}}, {277, 3, {3}}, {292, 4, {1}}});
     },
     "ETiffError: CCITT Group 3, 2D compression not supported with True color images"},
    {"missing_bits_per_sample", [] { return RawFile({}, {258}); },
     "ETiffError: ETiffError Bits per sample not specified"},
    {"missing_bits_per_sample_comes_before_compression",
     [] {
         return RawFile({{259, 3, {8}}}, {258});
     },
     "ETiffError: ETiffError Bits per sample not specified"},
    {"too_large",
     [] {
         return RawFile({{256, 4, {100000}}, {257, 4, {100000}}, {278, 4, {100000}}});
     },
     "EInvalidGraphic: Image is too large (100000 x 100000 pixels)"},
    {"too_large_comes_before_compression",
     [] {
         return RawFile({{256, 4, {100000}}, {257, 4, {100000}}, {278, 4, {100000}}, {259, 3, {8}}});
     },
     "EInvalidGraphic: Image is too large (100000 x 100000 pixels)"},
    {"wider_than_a_raster_can_be",
     [] {
         return RawFile({{256, 4, {0xFFFFFFFFu}}, {257, 3, {1}}, {278, 3, {1}}});
     },
     "EInvalidGraphic: Image is too large (4294967295 x 1 pixels)"},
};

class TiffErrors : public ::testing::TestWithParam<ErrorCase> {};
TEST_P(TiffErrors, NameTheFailure) { EXPECT_EQ(LoadError(GetParam().Make()), GetParam().Error); }
INSTANTIATE_TEST_SUITE_P(, TiffErrors, ::testing::ValuesIn(kErrorCases),
                         [](const auto& row) { return std::string(row.param.Name); });

TEST(TTiffGraphic, MissingFileIsAnOpenError) {
    const TempDir dir;
    TTiffGraphic graphic;
    EXPECT_THROW(graphic.LoadFromFile(dir.Path("absent.tif")), EFOpenError);
}

TEST(TTiffGraphic, FailedLoadKeepsThePreviousPicture) {
    const TempDir dir;
    const std::string good = dir.Path("good.tif");
    const std::string bad = dir.Path("bad.tif");
    WriteBytes(good, MakeTiff(WithPixels(Page(5, 3, 8, 1, PHOTOMETRIC_MINISBLACK, 1),
                                         [](int x, int y, int) { return Level(x, y); })));
    WriteBytes(bad, RawFile({{259, 3, {8}}}));
    TTiffGraphic graphic;
    graphic.LoadFromFile(good);
    EXPECT_THROW(graphic.LoadFromFile(bad), ETiffError);
    EXPECT_EQ(graphic.Width(), 5);
    EXPECT_TRUE(
        SamePicture(Picture(graphic), Expected(5, 3, [](int x, int y) { return Gray(Level(x, y)); }), 5));
}

// ---- Resolution.

struct ResolutionCase {
    const char* Name;
    std::optional<float> X;
    std::optional<float> Y;
    std::optional<int> Unit;
    int DpiX;
    int DpiY;
};
void PrintTo(const ResolutionCase& c, std::ostream* os) { *os << c.Name; }

// The display's resolution is 120 x 110 during these cases.
const ResolutionCase kResolutionCases[] = {
    {"no_tags_take_the_display", std::nullopt, std::nullopt, std::nullopt, 120, 110},
    {"only_x", 300.0f, std::nullopt, RESUNIT_INCH, 300, 110},
    {"inches", 300.0f, 150.0f, RESUNIT_INCH, 300, 150},
    {"no_unit_tag_means_inches_halves_to_even", 72.5f, 73.5f, std::nullopt, 72, 74},
    {"no_unit", 200.4f, 49.6f, RESUNIT_NONE, 200, 50},
    {"centimetres", 118.11f, 47.25f, RESUNIT_CENTIMETER, 300, 120},
    {"zero_counts_as_missing", 0.0f, 0.0f, RESUNIT_INCH, 120, 110},
};

class TiffResolution : public ::testing::TestWithParam<ResolutionCase> {
    test::TScopedGlobal<TDisplayInfo> FDisplay{SetDisplayInfo, {24, 120, 110}};
};

TEST_P(TiffResolution, InDotsPerInch) {
    const ResolutionCase& c = GetParam();
    TTiffRecipe recipe = WithPixels(Page(4, 2, 8, 1, PHOTOMETRIC_MINISBLACK, 1),
                                    [](int x, int y, int) { return Level(x, y); });
    recipe.XResolution = c.X;
    recipe.YResolution = c.Y;
    recipe.ResolutionUnit = c.Unit;
    const TTiffGraphic graphic = Load(MakeTiff(recipe));
    EXPECT_EQ(graphic.DpiX(), c.DpiX);
    EXPECT_EQ(graphic.DpiY(), c.DpiY);
}

INSTANTIATE_TEST_SUITE_P(, TiffResolution, ::testing::ValuesIn(kResolutionCases),
                         [](const auto& row) { return std::string(row.param.Name); });

// ---- Colour maps: 8-bit values as they are, 16-bit values scaled, all or none.

struct ColourMapCase {
    const char* Name;
    std::vector<std::uint16_t> Map; // red 0, red 1, green 0, green 1, blue 0, blue 1
    std::vector<TColor> Palette;
};
void PrintTo(const ColourMapCase& c, std::ostream* os) { *os << c.Name; }

const ColourMapCase kColourMapCases[] = {
    {"eight_bit_values_are_kept", {0, 255, 17, 34, 200, 100}, {RGB(0, 17, 200), RGB(255, 34, 100)}},
    {"one_value_of_256_scales_every_value", {255, 256, 0, 65535, 100, 0}, {RGB(0, 0, 0), RGB(0, 255, 0)}},
    {"sixteen_bit_values", {65535, 32768, 257, 514, 0, 65280}, {RGB(255, 1, 0), RGB(127, 2, 254)}},
};

class TiffColourMap : public ::testing::TestWithParam<ColourMapCase> {};

TEST_P(TiffColourMap, BecomesThePalette) {
    TTiffRecipe recipe = WithPixels(Page(2, 1, 1, 1, PHOTOMETRIC_PALETTE, 1),
                                    [](int x, int, int) { return static_cast<std::uint32_t>(x); });
    recipe.ColourMap = GetParam().Map;
    TTiffGraphic graphic = Load(MakeTiff(recipe));
    EXPECT_EQ(graphic.Palette(), GetParam().Palette);
    const auto rgb = [](TColor c) { return Rgb{GetRValue(c), GetGValue(c), GetBValue(c)}; };
    EXPECT_EQ(Picture(graphic), (std::vector<Rgb>{rgb(GetParam().Palette[0]), rgb(GetParam().Palette[1])}));
}

INSTANTIATE_TEST_SUITE_P(, TiffColourMap, ::testing::ValuesIn(kColourMapCases),
                         [](const auto& row) { return std::string(row.param.Name); });

// ---- Rows per strip.

struct RowsPerStripCase {
    const char* Name;
    std::optional<std::uint32_t> Tag;
    int RowsInStrip; // how the rows are cut into strips in the file
};
void PrintTo(const RowsPerStripCase& c, std::ostream* os) { *os << c.Name; }

const RowsPerStripCase kRowsPerStripCases[] = {
    {"missing_means_one_strip", std::nullopt, 7}, {"all_bits_set_means_the_height", 0xFFFFFFFFu, 7},
    {"larger_than_the_image", 1000, 7},           {"two_rows", 2, 2},
    {"three_rows_last_strip_short", 3, 3},
};

class TiffRowsPerStrip : public ::testing::TestWithParam<RowsPerStripCase> {};

TEST_P(TiffRowsPerStrip, EveryRowArrives) {
    const int width = 9;
    const int height = 7;
    TRawTiff raw;
    raw.Entries = {{256, 3, {9}}, {257, 3, {7}}, {258, 3, {8}}, {259, 3, {1}}, {262, 3, {1}}};
    if (GetParam().Tag)
        raw.Entries.push_back({278, 4, {*GetParam().Tag}});
    for (int top = 0; top < height; top += GetParam().RowsInStrip) {
        std::vector<std::uint8_t> strip;
        for (int y = top; y < std::min(height, top + GetParam().RowsInStrip); ++y)
            for (int x = 0; x < width; ++x)
                strip.push_back(static_cast<std::uint8_t>(Level(x, y)));
        raw.Strips.push_back(strip);
    }
    TTiffGraphic graphic = Load(MakeRawTiff(raw));
    EXPECT_TRUE(SamePicture(Picture(graphic),
                            Expected(width, height, [](int x, int y) { return Gray(Level(x, y)); }), width));
}

INSTANTIATE_TEST_SUITE_P(, TiffRowsPerStrip, ::testing::ValuesIn(kRowsPerStripCases),
                         [](const auto& row) { return std::string(row.param.Name); });

// ---- Damaged strips: skipped, never reported, the same picture on every run.

struct DamageCase {
    const char* Name;
    int Width;
    int Compression;
    // Spoils strip 1 of 3 (rows 2 and 3): its bytes, or where the directory says they are.
    std::function<void(std::vector<std::uint8_t>& strip)> SpoilBytes;
    std::function<void(std::uint32_t& offset, std::uint32_t& count)> SpoilEntry;
};
void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.Name; }

const auto kCutInHalf = [](std::vector<std::uint8_t>& strip) { strip.resize(strip.size() / 2); };

const DamageCase kDamageCases[] = {
    {"offset_past_the_end", 13, 1, nullptr,
     [](std::uint32_t& offset, std::uint32_t&) { offset = 0x7FFFFFF0u; }},
    {"lzw_cut_in_half_buffered", 13, COMPRESSION_LZW, kCutInHalf, nullptr},
    {"lzw_cut_in_half_in_place", 16, COMPRESSION_LZW, kCutInHalf, nullptr},
    {"zlib_cut_in_half_in_place", 16, COMPRESSION_DEFLATE, kCutInHalf, nullptr},
    {"packbits_cut_short", 16, COMPRESSION_PACKBITS,
     [](std::vector<std::uint8_t>& strip) { strip.resize(3); }, nullptr},
};

class TiffDamagedStrip : public ::testing::TestWithParam<DamageCase> {};

TEST_P(TiffDamagedStrip, LeavesItsRowsBlack) {
    const DamageCase& c = GetParam();
    const int height = 6;
    TTiffRecipe recipe = WithPixels(Page(c.Width, height, 8, 3, PHOTOMETRIC_RGB, c.Compression),
                                    [](int x, int y, int s) { return Channel(x, y, s); });
    recipe.RowsPerStrip = 2;
    TRawTiff raw;
    raw.Entries = {{256, 3, {static_cast<std::uint32_t>(c.Width)}},
                   {257, 3, {6}},
                   {258, 3, {8, 8, 8}},
                   {259, 3, {static_cast<std::uint32_t>(c.Compression)}},
                   {262, 3, {2}},
                   {277, 3, {3}},
                   {278, 3, {2}}};
    raw.Strips = ReadRawStrips(MakeTiff(recipe));
    ASSERT_EQ(raw.Strips.size(), 3u);
    if (c.SpoilBytes)
        c.SpoilBytes(raw.Strips[1]);
    if (c.SpoilEntry)
        raw.AdjustStrips = [&c](std::vector<std::uint32_t>& offsets, std::vector<std::uint32_t>& counts) {
            c.SpoilEntry(offsets[1], counts[1]);
        };
    const std::vector<std::uint8_t> file = MakeRawTiff(raw);
    TTiffGraphic first = Load(file);
    TTiffGraphic second = Load(file);
    const std::vector<Rgb> picture = Picture(first);
    EXPECT_EQ(picture, Picture(second));
    EXPECT_TRUE(SamePicture(
        picture,
        Expected(c.Width, height, [](int x, int y) { return y == 2 || y == 3 ? kBlack : ChannelRgb(x, y); }),
        c.Width));
}

INSTANTIATE_TEST_SUITE_P(, TiffDamagedStrip, ::testing::ValuesIn(kDamageCases),
                         [](const auto& row) { return std::string(row.param.Name); });

// Everything written to file descriptor 2 while it lives.
class StderrCapture {
public:
    StderrCapture() {
        std::fflush(stderr);
        FSaved = dup(2);
        FFile = std::tmpfile();
        if (FSaved < 0 || FFile == nullptr || dup2(fileno(FFile), 2) < 0)
            throw std::runtime_error("cannot capture stderr");
    }
    ~StderrCapture() { Stop(); }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    std::string Stop() {
        if (FSaved < 0)
            return FText;
        std::fflush(stderr);
        dup2(FSaved, 2);
        close(FSaved);
        FSaved = -1;
        std::rewind(FFile);
        char buffer[512];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, FFile)) > 0)
            FText.append(buffer, n);
        std::fclose(FFile);
        return FText;
    }

private:
    int FSaved = -1;
    std::FILE* FFile = nullptr;
    std::string FText;
};

// Every fixture cut short and with bytes changed: each load either succeeds or raises one of our
// errors, gives the same picture twice, and libtiff says nothing on stderr.
TEST(TiffDamagedFiles, NeverCrashAndStaySilent) {
    std::mt19937 random(20240611);
    StderrCapture capture;
    int loaded = 0;
    int refused = 0;
    for (const test::TFixtureFile& fixture : test::TiffFixtures()) {
        const std::vector<std::uint8_t>& bytes = fixture.Bytes;
        std::vector<std::vector<std::uint8_t>> variants;
        for (const std::size_t length : {std::size_t{0}, std::size_t{7}, std::size_t{8}, bytes.size() / 3,
                                         bytes.size() / 2, bytes.size() - 20, bytes.size() - 1})
            variants.emplace_back(
                bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(length, bytes.size())));
        for (int i = 0; i < 24; ++i) {
            std::vector<std::uint8_t> changed = bytes;
            const int flips = 1 + i % 3;
            for (int f = 0; f < flips; ++f)
                changed[random() % changed.size()] = static_cast<std::uint8_t>(random());
            variants.push_back(std::move(changed));
        }
        for (const auto& variant : variants) {
            try {
                TTiffGraphic first = Load(variant);
                TTiffGraphic second = Load(variant);
                ASSERT_EQ(Picture(first), Picture(second)) << fixture.Name;
                ++loaded;
            } catch (const Exception&) {
                ++refused;
            }
        }
    }
    const std::string written = capture.Stop();
    EXPECT_EQ(written, "");
    // Both outcomes occurred, so the variants really were damaged and really were read.
    EXPECT_GT(loaded, 0);
    EXPECT_GT(refused, 0);
}

// ---- The fixtures themselves, and the class.

TEST(TiffFixtures, CoverEveryPixelFormatAndCompression) {
    std::set<std::string_view> formats;
    std::set<std::string_view> kinds;
    for (const test::TFixtureFile& fixture : test::TiffFixtures()) {
        TTiffGraphic graphic = Load(fixture.Bytes);
        EXPECT_GT(graphic.Width(), 0) << fixture.Name;
        formats.insert(DisplayName(graphic.PixelFormat()));
        kinds.insert(DisplayName(graphic.Compression()));
    }
    EXPECT_EQ(formats.size(), 6u);
    EXPECT_EQ(kinds.size(), 8u);
}

TEST(TTiffGraphic, MultiPageFileShowsItsFirstPage) {
    const TTiffRecipe first = WithPixels(Page(8, 4, 8, 1, PHOTOMETRIC_MINISBLACK, 1),
                                         [](int x, int y, int) { return Level(x, y); });
    const TTiffRecipe second =
        WithPixels(Page(5, 3, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW), [](int, int, int) { return 200u; });
    TTiffGraphic graphic = Load(MakeTiff(std::vector<TTiffRecipe>{first, second}));
    EXPECT_EQ(graphic.PixelFormat(), F::Gray256);
    EXPECT_EQ(graphic.Compression(), K::None);
    EXPECT_TRUE(
        SamePicture(Picture(graphic), Expected(8, 4, [](int x, int y) { return Gray(Level(x, y)); }), 8));
}

TEST(TTiffGraphic, IsKnownByItsClassName) {
    TTiffGraphic graphic;
    EXPECT_EQ(graphic.ClassName(), "TTiffGraphic");
    EXPECT_EQ(kTiffGraphicClass.Name, "TTiffGraphic");
    EXPECT_EQ(kTiffGraphicClass.Create()->ClassName(), "TTiffGraphic");
}

TEST(TTiffGraphic, CloneIsIndependent) {
    TTiffGraphic graphic = Load(MakeTiff(WithPixels(Page(6, 4, 8, 3, PHOTOMETRIC_RGB, 1),
                                                    [](int x, int y, int s) { return Channel(x, y, s); })));
    std::unique_ptr<TGraphic> clone = graphic.Clone();
    graphic.NegativeTransform();
    auto& copy = dynamic_cast<TTiffGraphic&>(*clone);
    EXPECT_TRUE(SamePicture(Picture(copy), Expected(6, 4, ChannelRgb), 6));
}

TEST(TTiffGraphic, TrueColorBecomesTheBitmapWithoutACopy) {
    TTiffGraphic graphic = Load(MakeTiff(WithPixels(Page(13, 4, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW),
                                                    [](int x, int y, int s) { return Channel(x, y, s); })));
    EXPECT_EQ(graphic.Image().format(), QImage::Format_BGR888);
    TBitmap bitmap;
    graphic.AssignTo(bitmap);
    EXPECT_EQ(bitmap.Image().constBits(), graphic.Image().constBits());
    const TBitmapView view = bitmap.View();
    ASSERT_EQ(view.PixelFormat(), TPixelFormat::pf24bit);
    const std::uint8_t* row = view.ScanLine(3);
    EXPECT_EQ((std::array<int, 3>{row[3 * 12], row[3 * 12 + 1], row[3 * 12 + 2]}),
              (std::array<int, 3>{static_cast<int>(Channel(12, 3, 2)), static_cast<int>(Channel(12, 3, 1)),
                                  static_cast<int>(Channel(12, 3, 0))}));
}

} // namespace
} // namespace tintwell
