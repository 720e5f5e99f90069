#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <string>

#include "codec/errors.h"
#include "codec/limits.h"
#include "imaging/bitmap.h"
#include "stats/average_colour.h"
#include "support/bmp_builder.h"
#include "support/temp_dir.h"

namespace tintwell {
namespace {

using test::TBmpKind;
using test::TBmpRecipe;
using test::TempDir;

struct BmpCase {
    const char* name;
    TBmpKind kind;
    bool topDown;
    TPixelFormat loadedFormat;
};
void PrintTo(const BmpCase& c, std::ostream* os) { *os << c.name; }

const BmpCase kBmpCases[] = {
    {"rgb24_bottom_up", TBmpKind::Rgb24, false, TPixelFormat::pf24bit},
    {"rgb24_top_down", TBmpKind::Rgb24, true, TPixelFormat::pf24bit},
    {"rgb16", TBmpKind::Rgb16, false, TPixelFormat::pf32bit}, // Qt widens 16-bit files on reading
    {"rgb32", TBmpKind::Rgb32, false, TPixelFormat::pf32bit},
    {"indexed1", TBmpKind::Indexed1, false, TPixelFormat::pf1bit},
    {"indexed4", TBmpKind::Indexed4, false, TPixelFormat::pf8bit},
    {"indexed8", TBmpKind::Indexed8, false, TPixelFormat::pf8bit},
    {"rle4", TBmpKind::Rle4, false, TPixelFormat::pf8bit},
    {"rle8", TBmpKind::Rle8, false, TPixelFormat::pf8bit},
};

class BmpKinds : public ::testing::TestWithParam<BmpCase> {};

// Every kind must arrive, after the 24-bit conversion, with each pixel where the file put it.
TEST_P(BmpKinds, LoadAndConvertTo24BitKeepEveryPixel) {
    TBmpRecipe recipe;
    recipe.Kind = GetParam().kind;
    recipe.TopDown = GetParam().topDown;
    if (recipe.Kind == TBmpKind::Indexed1) {
        recipe.Palette = {0x000000, 0xFFFFFF};
        recipe.Index = [](int x, int y) { return (x + y) % 2; };
    }
    const TempDir dir;
    TBitmap bitmap;
    bitmap.LoadFromFile(dir.Write("x.bmp", MakeBmp(recipe)));
    EXPECT_EQ(bitmap.PixelFormat(), GetParam().loadedFormat);
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    const TBitmapView view = bitmap.View();
    ASSERT_EQ(view.Width(), recipe.Width);
    ASSERT_EQ(view.Height(), recipe.Height);
    ASSERT_EQ(view.PixelFormat(), TPixelFormat::pf24bit);
    for (int y = 0; y < recipe.Height; ++y) {
        for (int x = 0; x < recipe.Width; ++x) {
            std::uint8_t rgb[3];
            if (GetParam().loadedFormat == TPixelFormat::pf8bit ||
                GetParam().loadedFormat == TPixelFormat::pf1bit) {
                const std::uint32_t entry = recipe.Palette[static_cast<std::size_t>(recipe.Index(x, y))];
                rgb[0] = static_cast<std::uint8_t>(entry >> 16);
                rgb[1] = static_cast<std::uint8_t>(entry >> 8);
                rgb[2] = static_cast<std::uint8_t>(entry);
            } else {
                recipe.Pixel(x, y, rgb);
                if (recipe.Kind ==
                    TBmpKind::Rgb16) // five bits per channel, shifted up as the file stores them
                    for (auto& c : rgb)
                        c = static_cast<std::uint8_t>(c & 0xF8);
            }
            const std::uint8_t* p = view.ScanLine(y) + 3 * x;
            EXPECT_EQ((std::array<int, 3>{p[2], p[1], p[0]}), (std::array<int, 3>{rgb[0], rgb[1], rgb[2]}))
                << "pixel " << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, BmpKinds, ::testing::ValuesIn(kBmpCases),
                         [](const auto& row) { return std::string(row.param.name); });

std::string LoadError(const std::vector<std::uint8_t>& bytes) {
    const TempDir dir;
    TBitmap bitmap;
    try {
        bitmap.LoadFromFile(dir.Write("x.bmp", bytes));
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(no error)";
}

TEST(TBitmap, DamagedFilesAreNotValid) {
    const std::vector<std::uint8_t> good = test::MakeBmp({});
    EXPECT_EQ(LoadError({}), "Bitmap image is not valid");
    EXPECT_EQ(LoadError({'B', 'M'}), "Bitmap image is not valid");
    EXPECT_EQ(LoadError(std::vector<std::uint8_t>(good.begin(), good.end() - 5)),
              "Bitmap image is not valid");
    std::vector<std::uint8_t> badOffset = good;
    badOffset[10] = 0xFF;
    badOffset[11] = 0xFF;
    EXPECT_EQ(LoadError(badOffset), "Bitmap image is not valid");
    std::vector<std::uint8_t> notBmp = good;
    notBmp[0] = 'X';
    EXPECT_EQ(LoadError(notBmp), "Bitmap image is not valid");
}

// A 5 x 255 file, 4 bits run-length encoded with a palette of four colours, whose runs name
// entries 15 and more: Qt keeps the short palette, and painting read past it (found by fuzzing).
TEST(TBitmap, IndexesPastAShortPaletteAreBlackAndPaintSafely) {
    const std::vector<std::uint8_t> file = {
        0x42, 0x4d, 0x52, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46, 0x00, 0x00, 0x00, 0x28,
        0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0xff, 0x00, 0x00, 0x00, 0x01, 0x00, 0x04, 0x00,
        0x02, 0x00, 0x00, 0x00, 0x0c, 0x00, 0x00, 0x00, 0x13, 0x0b, 0x00, 0x00, 0x13, 0x0b, 0x00,
        0x00, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff,
        0x00, 0x04, 0xf7, 0x00, 0x02, 0x30, 0x10, 0x00, 0x23, 0x00, 0x00};
    TempDir folder;
    TBitmap bitmap;
    bitmap.LoadFromFile(folder.Write("short_palette.bmp", file));
    const QImage pixels = bitmap.Pixels();
    ASSERT_EQ(pixels.format(), QImage::Format_Indexed8);
    ASSERT_EQ(pixels.colorCount(), 256);
    for (int i = 4; i < 256; ++i)
        EXPECT_EQ(pixels.color(i), qRgb(0, 0, 0)) << i;
    QImage canvas(48, 32, QImage::Format_RGB32);
    QPainter painter(&canvas);
    bitmap.Draw(painter, QRectF(0, 0, 48, 32));
}

TEST(TBitmap, DeclaredSizesPastTheLimitAreRefusedBeforeAllocating) {
    std::vector<std::uint8_t> huge = test::MakeBmp({});
    // 100000 x 100000 pixels declared by a file of a few dozen bytes.
    for (int i = 0; i < 2; ++i) {
        huge[static_cast<std::size_t>(18 + 4 * i)] = 0xA0;
        huge[static_cast<std::size_t>(19 + 4 * i)] = 0x86;
        huge[static_cast<std::size_t>(20 + 4 * i)] = 0x01;
        huge[static_cast<std::size_t>(21 + 4 * i)] = 0x00;
    }
    EXPECT_EQ(LoadError(huge), "Image is too large (100000 x 100000 pixels)");
}

TEST(TBitmap, ImagesPastQtsDefaultAllocationLimitLoad) {
    // 5800 x 5800 at 16 bits: Qt decodes into 32 bits, 134 MB, past its own 128 MB default.
    TBmpRecipe recipe;
    recipe.Width = 5800;
    recipe.Height = 5800;
    recipe.Kind = TBmpKind::Rgb16;
    recipe.Pixel = [](int, int, std::uint8_t rgb[3]) { rgb[0] = rgb[1] = rgb[2] = 0x80; };
    const TempDir dir;
    TBitmap bitmap;
    bitmap.LoadFromFile(dir.Write("big.bmp", MakeBmp(recipe)));
    EXPECT_EQ(bitmap.Width(), 5800);
    EXPECT_EQ(bitmap.Height(), 5800);
}

TEST(TBitmap, APngNamedBmpIsNotABitmap) {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    const TempDir dir;
    const std::string path = dir.Path("x.bmp");
    ASSERT_TRUE(image.save(QString::fromStdString(path), "png"));
    TBitmap bitmap;
    EXPECT_THROW(bitmap.LoadFromFile(path), EInvalidGraphic);
}

TEST(TBitmap, EmptyBitmapKeepsItsFormatAndAveragesToWhite) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(BitmapAverageColor(bitmap.View()), RGB(255, 255, 255));
}

TEST(TBitmap, TwentyFourBitViewSharesTheRows) {
    QImage image(3, 2, QImage::Format_BGR888);
    image.fill(QColor(10, 20, 30));
    TBitmap bitmap(image);
    const TBitmapView view = bitmap.View();
    EXPECT_EQ(view.ScanLine(0), bitmap.Image().constBits());
    EXPECT_EQ(view.ScanLine(0)[0], 30) << "blue first";
    EXPECT_EQ(view.ScanLine(0)[2], 10);
    EXPECT_EQ(BitmapAverageColor(view), RGB(11, 21, 31));
}

TEST(TBitmap, ThirtyTwoBitAlphaIsDroppedNotBlended) {
    QImage image(1, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(200, 100, 50, 0));
    TBitmap bitmap(image);
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    const std::uint8_t* p = bitmap.View().ScanLine(0);
    EXPECT_EQ((std::array<int, 3>{p[2], p[1], p[0]}), (std::array<int, 3>{200, 100, 50}));
}

} // namespace
} // namespace tintwell
