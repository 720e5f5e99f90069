// The TIFF fixtures: one small file for each reading path and pixel format of the reader, written
// by libtiff at run time. They double as the TIFF fuzzer's seeds.
#include <tiffio.h>

#include "support/fixtures.h"
#include "support/tiff_builder.h"

namespace tintwell::test {
namespace {

std::uint32_t Checker(int x, int y, int) { return static_cast<std::uint32_t>((x / 2 + y) % 2); }
std::uint32_t Ramp(int x, int y, int s) { return static_cast<std::uint32_t>(x * 29 + y * 53 + s * 101); }
std::uint32_t Ramp16(int x, int y, int s) { return Ramp(x, y, s) * 257u + static_cast<std::uint32_t>(x); }
// Flat 8 x 8 blocks, which JPEG keeps nearly exact.
std::uint32_t Blocks(int x, int y, int s) {
    return static_cast<std::uint32_t>(((x / 8) * 90 + (y / 8) * 60 + s * 70) % 256);
}

std::vector<std::uint16_t> ColourMap(int entries, bool sixteenBit) {
    std::vector<std::uint16_t> map(3 * static_cast<std::size_t>(entries));
    for (int i = 0; i < entries; ++i)
        for (int c = 0; c < 3; ++c) {
            const int level = (i * 67 + c * 85) % 256;
            map[static_cast<std::size_t>(c * entries + i)] =
                static_cast<std::uint16_t>(sixteenBit ? level * 257 : level);
        }
    return map;
}

} // namespace

std::vector<TFixtureFile> TiffFixtures() {
    std::vector<TFixtureFile> files;
    const auto add = [&files](const char* name, const TTiffRecipe& recipe) {
        files.push_back({name, MakeTiff(recipe)});
    };

    add("bw_none.tif", WithPixels(Page(21, 9, 1, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE), Checker));
    add("bw_min_is_white_packbits.tif",
        WithPixels(Page(21, 9, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_PACKBITS), Checker));
    add("gray4_lzw.tif", WithPixels(Page(13, 7, 4, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW), Ramp));
    add("gray8_zlib.tif", WithPixels(Page(12, 8, 8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_DEFLATE), Ramp));
    add("gray8_min_is_white.tif",
        WithPixels(Page(12, 8, 8, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_NONE), Ramp));
    add("gray16.tif", WithPixels(Page(9, 5, 16, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE), Ramp16));
    files.push_back(
        {"gray16_big_endian.tif",
         MakeTiff(WithPixels(Page(9, 5, 16, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_LZW), Ramp16), true)});
    TTiffRecipe gray16Tiled =
        WithPixels(Page(20, 18, 16, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_DEFLATE), Ramp16);
    gray16Tiled.TileWidth = 16;
    gray16Tiled.TileHeight = 16;
    add("gray16_tiled.tif", gray16Tiled);

    TTiffRecipe palette4 = WithPixels(Page(11, 6, 4, 1, PHOTOMETRIC_PALETTE, COMPRESSION_PACKBITS), Ramp);
    palette4.ColourMap = ColourMap(16, false);
    add("palette4_packbits.tif", palette4);
    TTiffRecipe palette8 = WithPixels(Page(11, 6, 8, 1, PHOTOMETRIC_PALETTE, COMPRESSION_LZW), Ramp);
    palette8.ColourMap = ColourMap(256, true);
    add("palette8_lzw.tif", palette8);
    TTiffRecipe palette2 = WithPixels(Page(11, 6, 2, 1, PHOTOMETRIC_PALETTE, COMPRESSION_NONE), Ramp);
    palette2.ColourMap = ColourMap(4, true);
    add("palette2_rgba.tif", palette2);

    TTiffRecipe predictor = WithPixels(Page(13, 10, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW), Ramp);
    predictor.Predictor = PREDICTOR_HORIZONTAL;
    predictor.RowsPerStrip = 3;
    add("rgb24_lzw_predictor2.tif", predictor);
    TTiffRecipe rotated = WithPixels(Page(16, 5, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_NONE), Ramp);
    rotated.Orientation = ORIENTATION_BOTRIGHT;
    add("rgb24_orientation3.tif", rotated);
    TTiffRecipe rgba = WithPixels(Page(10, 6, 8, 4, PHOTOMETRIC_RGB, COMPRESSION_NONE), Ramp);
    rgba.ExtraSamples = {EXTRASAMPLE_UNASSALPHA};
    add("rgba32.tif", rgba);
    TTiffRecipe tiled = WithPixels(Page(20, 18, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW), Ramp);
    tiled.TileWidth = 16;
    tiled.TileHeight = 16;
    add("rgb24_tiled.tif", tiled);
    TTiffRecipe planar = WithPixels(Page(10, 6, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_PACKBITS), Ramp);
    planar.PlanarConfig = PLANARCONFIG_SEPARATE;
    add("rgb24_planar.tif", planar);
    add("rgb48.tif", WithPixels(Page(7, 5, 16, 3, PHOTOMETRIC_RGB, COMPRESSION_NONE), Ramp16));

    TTiffRecipe jpeg = WithPixels(Page(32, 16, 8, 3, PHOTOMETRIC_YCBCR, COMPRESSION_JPEG), Blocks);
    jpeg.RowsPerStrip = 16;
    add("rgb_jpeg.tif", jpeg);
    TTiffRecipe jpegGray = WithPixels(Page(24, 16, 8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_JPEG), Blocks);
    jpegGray.RowsPerStrip = 16;
    add("gray8_jpeg.tif", jpegGray);

    add("fax_g3_1d.tif",
        WithPixels(Page(40, 12, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX3), Checker));
    TTiffRecipe g3TwoD =
        WithPixels(Page(40, 12, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX3), Checker);
    g3TwoD.Group3Options = GROUP3OPT_2DENCODING;
    add("fax_g3_2d.tif", g3TwoD);
    add("fax_g4.tif", WithPixels(Page(40, 12, 1, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_CCITTFAX4), Checker));
    TTiffRecipe faxTiled =
        WithPixels(Page(40, 20, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4), Checker);
    faxTiled.TileWidth = 32;
    faxTiled.TileHeight = 16;
    add("fax_g4_tiled.tif", faxTiled);
    TTiffRecipe grayTiled = WithPixels(Page(20, 18, 8, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_NONE), Ramp);
    grayTiled.TileWidth = 16;
    grayTiled.TileHeight = 16;
    add("gray8_tiled_uncompressed.tif", grayTiled);

    files.push_back(
        {"multipage.tif", MakeTiff(std::vector<TTiffRecipe>{
                              WithPixels(Page(8, 4, 8, 1, PHOTOMETRIC_MINISBLACK, COMPRESSION_NONE), Ramp),
                              WithPixels(Page(5, 3, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW), Ramp)})});
    return files;
}

} // namespace tintwell::test
