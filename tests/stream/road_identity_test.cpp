// The streaming road gives the bitmap road's counts, to the last pixel, or its very error: on every
// fixture the tests build, damaged copies of them, the benchmark's images made small, and the TIFF
// layouts where the two roads read differently (bands of strips and tiles, libtiff's RGBA reader
// with every orientation, strips that do not decode).
#include <gtest/gtest.h>
#include <tiffio.h>

#include "bench_images.h"
#include "stream/road_identity.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"
#include "support/tiff_builder.h"

namespace tintwell::test {

void PrintTo(const TFixtureFile& file, std::ostream* out) { *out << file.Name; }

namespace {

// One file, several ways of counting: on the decoder's thread in one band, and on workers in
// bands of a row or a few.
const TCountingOptions kCountings[] = {{0, std::size_t{1} << 20}, {1, 1}, {3, 100}};

std::string Describe(const TCountingOptions& options) {
    return std::to_string(options.Workers) + " workers, bands of " + std::to_string(options.BandBytes) +
           " bytes";
}

bool MustStream(const std::string& name) {
    for (const char* extension : {".jpg", ".jpeg", ".tif", ".tiff"})
        if (name.ends_with(extension))
            return true;
    return name.ends_with(".bmp") && name.find("rgb24") != std::string::npos;
}

// damaged: a header the streaming road cannot read leaves the file to the bitmap road.
void ExpectSameOnBothRoads(const std::string& path, const std::string& name, bool damaged = false) {
    for (const TCountingOptions& options : kCountings) {
        const TRoadComparison comparison = CompareRoads(path, options);
        EXPECT_EQ(comparison.Difference, "") << name << ", " << Describe(options);
        if (!damaged && MustStream(name)) {
            EXPECT_TRUE(comparison.Streamed) << name;
        }
    }
}

std::vector<TFixtureFile> EveryFixture() {
    std::vector<TFixtureFile> files;
    for (auto&& list : {BmpFixtures(), IconFixtures(), MetafileFixtures(), JpegFixtures(), TiffFixtures()})
        files.insert(files.end(), list.begin(), list.end());
    return files;
}

class RoadIdentity : public ::testing::TestWithParam<TFixtureFile> {
protected:
    TempDir folder;
};

TEST_P(RoadIdentity, SameCountsOrSameErrorOnTheFixture) {
    ExpectSameOnBothRoads(folder.Write(GetParam().Name, GetParam().Bytes), GetParam().Name);
}

TEST_P(RoadIdentity, SameCountsOrSameErrorOnDamagedCopies) {
    const std::vector<std::uint8_t>& bytes = GetParam().Bytes;
    // Cut at a half, at three quarters and just before the end; a byte in the middle turned over.
    for (const std::size_t size : {bytes.size() / 2, bytes.size() * 3 / 4, bytes.size() - 1}) {
        const std::string name = "cut" + std::to_string(size) + "_" + GetParam().Name;
        ExpectSameOnBothRoads(
            folder.Write(name, {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)}), name,
            true);
    }
    std::vector<std::uint8_t> flipped = bytes;
    flipped[flipped.size() / 2] ^= 0xFF;
    ExpectSameOnBothRoads(folder.Write("flipped_" + GetParam().Name, flipped), "flipped_" + GetParam().Name,
                          true);
}

INSTANTIATE_TEST_SUITE_P(, RoadIdentity, ::testing::ValuesIn(EveryFixture()),
                         [](const ::testing::TestParamInfo<TFixtureFile>& fixture) {
                             std::string name = fixture.param.Name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

TEST(RoadIdentityBenchmarkImages, SameCountsOnTheBenchmarksPicturesMadeSmall) {
    TempDir folder;
    // An odd width too: its 24-bit rows carry padding, in the file and in the window's raster.
    for (const auto& [width, height] : {std::pair{300, 200}, std::pair{123, 77}}) {
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        const std::string jpeg = folder.Path("photo" + size + ".jpg");
        const std::string tiff = folder.Path("photo" + size + ".tif");
        const std::string bmp = folder.Path("photo" + size + "_rgb24.bmp");
        ASSERT_TRUE(bench::WriteJpeg(jpeg, width, height) && bench::WriteTiff(tiff, width, height) &&
                    bench::WriteBmp(bmp, width, height));
        for (const std::string& path : {jpeg, tiff, bmp})
            ExpectSameOnBothRoads(path, path);
    }
}

std::uint32_t Gradient(int x, int y, int sample) {
    return static_cast<std::uint32_t>(x * 7 + y * 13 + sample * 50);
}

// Layouts where the streaming road reads in bands what the bitmap road once read whole.
struct TTiffCase {
    const char* Name;
    TTiffRecipe Recipe;
};

std::vector<TTiffCase> TiffLayouts() {
    std::vector<TTiffCase> cases;
    for (int orientation = 1; orientation <= 8; ++orientation) {
        // Tiles go through libtiff's RGBA reader, which turns the picture upright itself.
        TTiffRecipe tiled = WithPixels(Page(40, 35, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_LZW), Gradient);
        tiled.TileWidth = 16;
        tiled.TileHeight = 16;
        tiled.Orientation = orientation;
        cases.push_back({"tiled", tiled});
        // Strips of the plain road, turned by 180 degrees for orientation 3 only.
        TTiffRecipe strips = WithPixels(Page(23, 19, 8, 3, PHOTOMETRIC_RGB, COMPRESSION_PACKBITS), Gradient);
        strips.RowsPerStrip = 4;
        strips.Orientation = orientation;
        cases.push_back({"strips", strips});
    }
    TTiffRecipe ycbcr = WithPixels(Page(37, 45, 8, 3, PHOTOMETRIC_YCBCR, COMPRESSION_JPEG), Gradient);
    ycbcr.RowsPerStrip = 16;
    ycbcr.Orientation = ORIENTATION_BOTLEFT;
    cases.push_back({"ycbcr_jpeg_strips", ycbcr});
    TTiffRecipe whiteIsZero =
        WithPixels(Page(17, 21, 8, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_LZW), Gradient);
    whiteIsZero.RowsPerStrip = 5;
    cases.push_back({"gray_white_is_zero_strips", whiteIsZero});
    TTiffRecipe grayTiled =
        WithPixels(Page(33, 20, 8, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_NONE), Gradient);
    grayTiled.TileWidth = 16;
    grayTiled.TileHeight = 16;
    cases.push_back({"gray_white_is_zero_tiled", grayTiled});
    TTiffRecipe faxStrips =
        WithPixels(Page(45, 30, 1, 1, PHOTOMETRIC_MINISWHITE, COMPRESSION_CCITTFAX4), Gradient);
    faxStrips.RowsPerStrip = 7;
    cases.push_back({"fax_strips", faxStrips});
    return cases;
}

TEST(RoadIdentityTiffLayouts, SameCountsForEveryLayoutAndOrientation) {
    TempDir folder;
    for (const TTiffCase& layout : TiffLayouts()) {
        const std::string name =
            std::string(layout.Name) + std::to_string(layout.Recipe.Orientation) + ".tif";
        const std::vector<std::uint8_t> bytes = MakeTiff(layout.Recipe);
        ExpectSameOnBothRoads(folder.Write(name, bytes), name);
    }
}

TEST(RoadIdentityTiffLayouts, SameCountsWhenAStripInTheMiddleDoesNotDecode) {
    TempDir folder;
    for (const int compression : {COMPRESSION_LZW, COMPRESSION_JPEG}) {
        const bool jpeg = compression == COMPRESSION_JPEG;
        // JPEG strips are whole multiples of 16 rows.
        TTiffRecipe recipe = WithPixels(
            Page(31, jpeg ? 48 : 24, 8, 3, jpeg ? PHOTOMETRIC_YCBCR : PHOTOMETRIC_RGB, compression),
            Gradient);
        recipe.RowsPerStrip = jpeg ? 16 : 8;
        std::vector<std::uint8_t> bytes = MakeTiff(recipe);
        // The middle strip's data, as stored, turned to rubbish.
        const std::vector<std::vector<std::uint8_t>> strips = ReadRawStrips(bytes);
        ASSERT_EQ(strips.size(), 3u);
        const auto middle = std::search(bytes.begin(), bytes.end(), strips[1].begin(), strips[1].end());
        ASSERT_NE(middle, bytes.end());
        std::fill(middle, middle + static_cast<std::ptrdiff_t>(strips[1].size()), std::uint8_t{0xA5});
        const std::string name = "bad_middle_strip_" + std::to_string(compression) + ".tif";
        ExpectSameOnBothRoads(folder.Write(name, bytes), name);
    }
}

} // namespace
} // namespace tintwell::test
