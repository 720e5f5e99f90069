#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "codec/errors.h"
#include "codec/limits.h"
#include "imaging/bitmap.h"
#include "imaging/tiff/tiff_graphic.h"

namespace tintwell {
namespace {

using F = TDibPixelFormat;

// TDibGraphic is abstract; the TIFF class is the raster the program has.
TTiffGraphic Raster(int width, int height, TDibPixelFormat format) {
    TTiffGraphic raster;
    raster.CreateRaster(width, height, format, 96, 96);
    return raster;
}

std::vector<int> Row(const QImage& image, int y, int bytes) {
    const uchar* row = image.constScanLine(y);
    return std::vector<int>(row, row + bytes);
}

// ---- Names.

struct NameCase {
    TDibPixelFormat Format;
    const char* Name;
    int Bits;
};
const NameCase kNameCases[] = {
    {F::BlackAndWhite, "Black and white", 1},
    {F::Gray16, "16 shades of gray", 4},
    {F::Gray256, "256 shades of gray", 8},
    {F::Color16, "16 color", 4},
    {F::Color256, "256 color", 8},
    {F::TrueColor, "True color", 24},
};

TEST(TDibPixelFormat, DisplayNamesAndDepths) {
    for (const NameCase& c : kNameCases) {
        EXPECT_EQ(DisplayName(c.Format), c.Name);
        EXPECT_EQ(BitsPerPixel(c.Format), c.Bits) << c.Name;
    }
}

TEST(TTiffCompression, DisplayNames) {
    using K = TTiffCompression;
    EXPECT_EQ(DisplayName(K::None), "None");
    EXPECT_EQ(DisplayName(K::Packbits), "Packbits");
    EXPECT_EQ(DisplayName(K::CcittGroup3_1D), "CCITT Group 3, 1D");
    EXPECT_EQ(DisplayName(K::CcittGroup3_2D), "CCITT Group 3, 2D");
    EXPECT_EQ(DisplayName(K::CcittGroup4), "CCITT Group 4");
    EXPECT_EQ(DisplayName(K::ZLib), "ZLib");
    EXPECT_EQ(DisplayName(K::JPEG), "JPEG");
    EXPECT_EQ(DisplayName(K::LZW), "LZW");
}

// ---- Making a raster.

struct CreateCase {
    const char* Name;
    TDibPixelFormat Format;
    QImage::Format Storage;
    std::vector<TColor> Palette;
    int TableSize;
};
void PrintTo(const CreateCase& c, std::ostream* os) { *os << c.Name; }

std::vector<TColor> Grays(int count, int step) {
    std::vector<TColor> grays;
    for (int i = 0; i < count; ++i)
        grays.push_back(RGB(i * step, i * step, i * step));
    return grays;
}

const CreateCase kCreateCases[] = {
    {"black_and_white", F::BlackAndWhite, QImage::Format_Indexed8, {RGB(0, 0, 0), RGB(255, 255, 255)}, 256},
    {"gray16", F::Gray16, QImage::Format_Indexed8, Grays(16, 17), 256},
    {"gray256", F::Gray256, QImage::Format_Indexed8, Grays(256, 1), 256},
    {"color16", F::Color16, QImage::Format_Indexed8, {}, 256},
    {"color256", F::Color256, QImage::Format_Indexed8, {}, 256},
    {"true_color", F::TrueColor, QImage::Format_BGR888, {}, 0},
};

class CreateRaster : public ::testing::TestWithParam<CreateCase> {};

TEST_P(CreateRaster, HasTheStandardPaletteAndZeroPixels) {
    const CreateCase& c = GetParam();
    TTiffGraphic raster;
    raster.CreateRaster(5, 3, c.Format, 300, 72);
    EXPECT_EQ(raster.Width(), 5);
    EXPECT_EQ(raster.Height(), 3);
    EXPECT_EQ(raster.DpiX(), 300);
    EXPECT_EQ(raster.DpiY(), 72);
    EXPECT_EQ(raster.PixelFormat(), c.Format);
    EXPECT_EQ(raster.Image().format(), c.Storage);
    EXPECT_EQ(raster.Palette(), c.Palette);
    // Every byte a pixel can hold has a colour; the padding is black.
    ASSERT_EQ(raster.Image().colorTable().size(), c.TableSize);
    for (int i = static_cast<int>(c.Palette.size()); i < c.TableSize; ++i)
        EXPECT_EQ(raster.Image().colorTable()[i], qRgb(0, 0, 0));
    const int rowBytes = c.Format == F::TrueColor ? 15 : 5;
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(Row(raster.Image(), y, rowBytes), std::vector<int>(static_cast<std::size_t>(rowBytes), 0));
}

INSTANTIATE_TEST_SUITE_P(, CreateRaster, ::testing::ValuesIn(kCreateCases),
                         [](const auto& row) { return std::string(row.param.Name); });

TEST(TDibGraphic, EmptyRasterKeepsItsFormatAndGivesAnEmptyBitmap) {
    TTiffGraphic raster = Raster(0, 4, F::Gray16);
    EXPECT_TRUE(raster.Image().isNull());
    EXPECT_EQ(raster.PixelFormat(), F::Gray16);
    raster.NegativeTransform();
    raster.Rotate180();
    TBitmap bitmap;
    raster.AssignTo(bitmap);
    EXPECT_EQ(bitmap.View().Width(), 0);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
}

TEST(TDibGraphic, SizesPastTheLimitAreRefused) {
    TTiffGraphic raster;
    EXPECT_THROW(raster.CreateRaster(100000, 100000, F::TrueColor, 96, 96), EInvalidGraphic);
    EXPECT_THROW(raster.CreateRaster(-1, 5, F::TrueColor, 96, 96), EInvalidGraphic);
}

TEST(TDibGraphic, PaletteIsCutToTheDepthAndRefusedForTrueColor) {
    TTiffGraphic raster = Raster(2, 2, F::Color16);
    std::vector<TColor> colours;
    for (int i = 0; i < 20; ++i)
        colours.push_back(RGB(i, 2 * i, 3 * i));
    raster.SetPalette(colours);
    EXPECT_EQ(raster.Palette(), std::vector<TColor>(colours.begin(), colours.begin() + 16));
    EXPECT_EQ(raster.Image().colorTable()[15], qRgb(15, 30, 45));
    TTiffGraphic trueColor = Raster(2, 2, F::TrueColor);
    EXPECT_THROW(trueColor.SetPalette(colours), std::logic_error);
}

// ---- Nearest palette entry.

struct NearestCase {
    const char* Name;
    std::vector<TColor> Palette;
    TColor Colour;
    int Index;
};
void PrintTo(const NearestCase& c, std::ostream* os) { *os << c.Name; }

const NearestCase kNearestCases[] = {
    {"exact_match", {RGB(0, 0, 0), RGB(9, 9, 9), RGB(10, 10, 10)}, RGB(10, 10, 10), 2},
    {"duplicate_entries_give_the_first", {RGB(1, 2, 3), RGB(7, 7, 7), RGB(7, 7, 7)}, RGB(7, 7, 7), 1},
    {"tie_goes_to_the_lower_index", {RGB(0, 0, 0), RGB(2, 0, 0)}, RGB(1, 0, 0), 0},
    {"tie_goes_to_the_lower_index_reversed", {RGB(2, 0, 0), RGB(0, 0, 0)}, RGB(1, 0, 0), 0},
    {"squares_not_largest_channel_difference", {RGB(35, 35, 35), RGB(50, 0, 0)}, RGB(0, 0, 0), 1},
    {"squares_not_absolute_differences", {RGB(30, 30, 0), RGB(50, 0, 0)}, RGB(0, 0, 0), 0},
    {"nearest_of_many",
     {RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 0, 0), RGB(0, 0, 255)},
     RGB(200, 30, 30),
     2},
    {"top_byte_is_ignored", {RGB(0, 0, 0), RGB(0, 0, 255)}, static_cast<TColor>(0x01FF0000u), 1},
    {"empty_palette", {}, RGB(5, 6, 7), 0},
};

class NearestPaletteIndex : public ::testing::TestWithParam<NearestCase> {};

TEST_P(NearestPaletteIndex, FollowsTheRule) {
    TTiffGraphic raster = Raster(1, 1, F::Color256);
    raster.SetPalette(GetParam().Palette);
    EXPECT_EQ(raster.NearestPaletteIndex(GetParam().Colour), GetParam().Index);
    // The second look-up comes from the cache and must agree.
    EXPECT_EQ(raster.NearestPaletteIndex(GetParam().Colour), GetParam().Index);
}

INSTANTIATE_TEST_SUITE_P(, NearestPaletteIndex, ::testing::ValuesIn(kNearestCases),
                         [](const auto& row) { return std::string(row.param.Name); });

int NaiveNearest(const std::vector<TColor>& palette, TColor colour) {
    int best = 0;
    long bestDistance = -1;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const long dr = GetRValue(palette[i]) - GetRValue(colour);
        const long dg = GetGValue(palette[i]) - GetGValue(colour);
        const long db = GetBValue(palette[i]) - GetBValue(colour);
        const long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}

// Colours that share a cache slot (equal modulo 1020), asked for in turn, against a plain search.
TEST(TDibGraphic, CachedLookupsMatchAPlainSearch) {
    std::mt19937 random(7);
    std::vector<TColor> palette;
    for (int i = 0; i < 40; ++i)
        palette.push_back(static_cast<TColor>(random() & 0xFFFFFFu));
    TTiffGraphic raster = Raster(1, 1, F::Color256);
    raster.SetPalette(palette);
    std::vector<TColor> colours;
    for (int i = 0; i < 300; ++i) {
        const auto colour = static_cast<TColor>(random() % (0xFFFFFFu - 3 * 1020u));
        colours.insert(colours.end(), {colour, colour + 1020, colour, colour + 2040, colour + 1020});
    }
    for (const TColor colour : colours)
        ASSERT_EQ(raster.NearestPaletteIndex(colour), NaiveNearest(palette, colour)) << colour;
}

TEST(TDibGraphic, NewPaletteForgetsCachedLookups) {
    TTiffGraphic raster = Raster(1, 1, F::Color16);
    raster.SetPalette({RGB(0, 0, 0), RGB(200, 0, 0)});
    EXPECT_EQ(raster.NearestPaletteIndex(RGB(190, 0, 0)), 1);
    raster.SetPalette({RGB(190, 0, 0), RGB(200, 0, 0)});
    EXPECT_EQ(raster.NearestPaletteIndex(RGB(190, 0, 0)), 0);
}

TEST(TDibGraphic, SetPixelColorStoresColourOrNearestIndex) {
    TTiffGraphic trueColor = Raster(3, 2, F::TrueColor);
    trueColor.SetPixelColor(2, 1, RGB(10, 20, 30));
    EXPECT_EQ(Row(trueColor.Image(), 1, 9), (std::vector<int>{0, 0, 0, 0, 0, 0, 30, 20, 10}));
    TTiffGraphic gray = Raster(3, 2, F::Gray16);
    gray.SetPixelColor(1, 0, RGB(40, 40, 40)); // between 34 (2) and 51 (3), nearer 34
    EXPECT_EQ(Row(gray.Image(), 0, 3), (std::vector<int>{0, 2, 0}));
    EXPECT_THROW(gray.SetPixelColor(3, 0, 0), std::out_of_range);
    EXPECT_THROW(gray.SetPixelColor(0, -1, 0), std::out_of_range);
}

// ---- Transforms.

TEST(TDibGraphic, NegativeTransformInvertsChannelsOrIndexBits) {
    TTiffGraphic trueColor = Raster(2, 1, F::TrueColor);
    trueColor.SetPixelColor(0, 0, RGB(10, 20, 30));
    trueColor.NegativeTransform();
    EXPECT_EQ(Row(trueColor.Image(), 0, 6), (std::vector<int>{225, 235, 245, 255, 255, 255}));

    // Indexes are set through the standard palettes' own colours, which match exactly.
    struct IndexedCase {
        TDibPixelFormat Format;
        std::vector<int> Stored;
        std::vector<int> Inverted;
    };
    const IndexedCase indexed[] = {{F::BlackAndWhite, {0, 1, 0, 1}, {1, 0, 1, 0}},
                                   {F::Gray16, {0, 1, 2, 15}, {15, 14, 13, 0}},
                                   {F::Gray256, {0, 1, 2, 15}, {255, 254, 253, 240}}};
    for (const IndexedCase& c : indexed) {
        TTiffGraphic raster = Raster(4, 1, c.Format);
        for (int x = 0; x < 4; ++x)
            raster.SetPixelColor(
                x, 0, raster.Palette()[static_cast<std::size_t>(c.Stored[static_cast<std::size_t>(x)])]);
        ASSERT_EQ(Row(raster.Image(), 0, 4), c.Stored);
        raster.NegativeTransform();
        EXPECT_EQ(Row(raster.Image(), 0, 4), c.Inverted) << DisplayName(c.Format);
    }
}

struct RotateCase {
    const char* Name;
    TDibPixelFormat Format;
    int Width;
    int Height;
};
void PrintTo(const RotateCase& c, std::ostream* os) { *os << c.Name; }

const RotateCase kRotateCases[] = {
    {"true_color_odd_width_padded_rows", F::TrueColor, 5, 3},
    {"true_color_even", F::TrueColor, 4, 4},
    {"indexed_odd_height", F::Gray256, 3, 5},
    {"indexed_one_row", F::Color16, 7, 1},
    {"indexed_one_column", F::BlackAndWhite, 1, 6},
};

class Rotate180 : public ::testing::TestWithParam<RotateCase> {};

// QImage's own mirroring in both directions is the reference.
TEST_P(Rotate180, MatchesMirroringBothWays) {
    const RotateCase& c = GetParam();
    TTiffGraphic raster = Raster(c.Width, c.Height, c.Format);
    if (c.Format == F::Color16)
        raster.SetPalette(Grays(16, 16));
    const int pixelBytes = c.Format == F::TrueColor ? 3 : 1;
    for (int y = 0; y < c.Height; ++y)
        for (int x = 0; x < c.Width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * 31 + x * 7);
            raster.SetPixelColor(x, y,
                                 c.Format == F::TrueColor ? static_cast<TColor>(i * 0x010203u % 0xFFFFFFu)
                                                          : raster.Palette()[i % raster.Palette().size()]);
        }
    const QImage reference = raster.Image().mirrored(true, true);
    raster.Rotate180();
    for (int y = 0; y < c.Height; ++y)
        EXPECT_EQ(Row(raster.Image(), y, c.Width * pixelBytes), Row(reference, y, c.Width * pixelBytes))
            << "row " << y;
}

INSTANTIATE_TEST_SUITE_P(, Rotate180, ::testing::ValuesIn(kRotateCases),
                         [](const auto& row) { return std::string(row.param.Name); });

// ---- Handing the raster on.

TEST(TDibGraphic, PaletteRasterBecomesA24BitBitmapThroughItsPalette) {
    TTiffGraphic raster = Raster(3, 2, F::Color16);
    raster.SetPalette({RGB(10, 20, 30), RGB(200, 100, 50)});
    raster.SetPixelColor(1, 1, RGB(10, 20, 30));
    raster.SetPixelColor(2, 0, RGB(200, 100, 50));
    // Every index becomes 15 - index: 15 and 14 lie past the two colours and show black.
    raster.NegativeTransform();
    TBitmap bitmap;
    raster.AssignTo(bitmap);
    const TBitmapView view = bitmap.View();
    ASSERT_EQ(view.PixelFormat(), TPixelFormat::pf24bit);
    ASSERT_EQ(view.Width(), 3);
    ASSERT_EQ(view.Height(), 2);
    EXPECT_EQ(std::vector<int>(view.ScanLine(0), view.ScanLine(0) + 9), (std::vector<int>(9, 0)));
    raster.NegativeTransform();
    raster.AssignTo(bitmap);
    const TBitmapView back = bitmap.View();
    EXPECT_EQ(std::vector<int>(back.ScanLine(0), back.ScanLine(0) + 9),
              (std::vector<int>{30, 20, 10, 30, 20, 10, 50, 100, 200}));
    EXPECT_EQ(std::vector<int>(back.ScanLine(1), back.ScanLine(1) + 9),
              (std::vector<int>{30, 20, 10, 30, 20, 10, 30, 20, 10}));
}

TEST(TDibGraphic, DrawsStretchedIntoTheRectangle) {
    TTiffGraphic raster = Raster(2, 1, F::BlackAndWhite);
    raster.SetPixelColor(1, 0, RGB(255, 255, 255));
    QImage canvas(8, 4, QImage::Format_RGB32);
    canvas.fill(qRgb(1, 2, 3));
    {
        QPainter painter(&canvas);
        raster.Draw(painter, QRectF(0, 0, 4, 2));
    }
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.pixel(3, 1), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(6, 3), qRgb(1, 2, 3));
}

} // namespace
} // namespace tintwell
