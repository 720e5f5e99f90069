#include <gtest/gtest.h>

#include <QImage>
#include <set>
#include <string>
#include <tuple>

#include <jerror.h>
#include <jpeglib.h>

#include "codec/errors.h"
#include "codec/limits.h"
#include "imaging/bitmap.h"
#include "imaging/display_info.h"
#include "imaging/jpeg_image.h"
#include "support/jpeg_builder.h"
#include "support/scoped_global.h"
#include "support/temp_dir.h"

namespace tintwell {
namespace {

using test::MakeJpeg;
using test::TempDir;
using test::TJpegKind;
using test::TJpegRecipe;

TJpegRecipe Flat(int r, int g, int b, TJpegKind kind = TJpegKind::Colour) {
    TJpegRecipe recipe;
    recipe.Kind = kind;
    recipe.Pixel = [r, g, b](int, int, std::uint8_t rgb[3]) {
        rgb[0] = static_cast<std::uint8_t>(r);
        rgb[1] = static_cast<std::uint8_t>(g);
        rgb[2] = static_cast<std::uint8_t>(b);
    };
    return recipe;
}

TJPEGImage Load(const std::vector<std::uint8_t>& bytes) {
    const TempDir dir;
    TJPEGImage image;
    image.LoadFromFile(dir.Write("x.jpg", bytes));
    return image;
}

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(no error)";
}

std::string JpegError(int code) { return "JPEG error #" + std::to_string(code); }

struct HeaderCase {
    const char* name;
    TJpegKind kind;
    bool progressive;
};
void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }

const HeaderCase kHeaders[] = {
    {"colour", TJpegKind::Colour, false},       {"progressive", TJpegKind::Colour, true},
    {"grayscale", TJpegKind::Grayscale, false}, {"gray_progressive", TJpegKind::Grayscale, true},
    {"cmyk", TJpegKind::Cmyk, false},
};

class JpegHeaders : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(JpegHeaders, LoadReadsTheHeaderOnly) {
    TJpegRecipe recipe = Flat(10, 20, 30, GetParam().kind);
    recipe.Width = 33;
    recipe.Height = 17;
    recipe.Progressive = GetParam().progressive;
    TJPEGImage image = Load(MakeJpeg(recipe));
    EXPECT_EQ(image.ClassName(), "TJPEGImage");
    EXPECT_EQ(image.Width(), 33);
    EXPECT_EQ(image.Height(), 17);
    EXPECT_EQ(image.Grayscale(), GetParam().kind == TJpegKind::Grayscale);
    EXPECT_EQ(image.ProgressiveEncoding(), GetParam().progressive);
    EXPECT_TRUE(image.DecodedImage().isNull()) << "decoding waits for the first draw or copy";
}

INSTANTIATE_TEST_SUITE_P(, JpegHeaders, ::testing::ValuesIn(kHeaders),
                         [](const auto& row) { return std::string(row.param.name); });

struct ColourCase {
    const char* name;
    TJpegKind kind;
};
void PrintTo(const ColourCase& c, std::ostream* os) { *os << c.name; }

const ColourCase kColourKinds[] = {
    {"rgb", TJpegKind::Colour}, {"cmyk", TJpegKind::Cmyk}, {"adobe_cmyk", TJpegKind::AdobeCmyk}};

class JpegColours : public ::testing::TestWithParam<ColourCase> {};

TEST_P(JpegColours, DecodesToTwentyFourBitsNearTheSource) {
    TJPEGImage image = Load(MakeJpeg(Flat(200, 100, 50, GetParam().kind)));
    TBitmap bitmap;
    image.AssignTo(bitmap);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
    const std::uint8_t* p = bitmap.View().ScanLine(8) + 3 * 8;
    EXPECT_NEAR(p[2], 200, 3);
    EXPECT_NEAR(p[1], 100, 3);
    EXPECT_NEAR(p[0], 50, 3);
}

INSTANTIATE_TEST_SUITE_P(, JpegColours, ::testing::ValuesIn(kColourKinds),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(TJPEGImage, OneDecodeIsSharedByClonesAndTheBitmap) {
    TJPEGImage image = Load(MakeJpeg(Flat(1, 2, 3)));
    const std::unique_ptr<TGraphic> preview = image.Clone();
    preview->Prepare();
    const QImage decoded = image.DecodedImage();
    ASSERT_FALSE(decoded.isNull()) << "the clone's decode serves the original";
    TBitmap bitmap;
    image.AssignTo(bitmap);
    EXPECT_EQ(bitmap.Image().constBits(), decoded.constBits()) << "the bitmap shares the decoded pixels";
}

std::set<QRgb> DistinctColours(const QImage& image) {
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return colours;
}

TJpegRecipe Ramp(TJpegKind kind) {
    TJpegRecipe recipe;
    recipe.Kind = kind;
    recipe.Width = 256;
    recipe.Height = 8;
    recipe.Quality = 100;
    recipe.Pixel = [](int x, int y, std::uint8_t rgb[3]) {
        rgb[0] = static_cast<std::uint8_t>(x);
        rgb[1] = static_cast<std::uint8_t>(255 - x);
        rgb[2] = static_cast<std::uint8_t>(y * 30);
    };
    return recipe;
}

TEST(TJPEGImage, GrayscaleIsQuantizedTo236Levels) {
    TJPEGImage image = Load(MakeJpeg(Ramp(TJpegKind::Grayscale)));
    TBitmap bitmap;
    image.AssignTo(bitmap);
    EXPECT_EQ(bitmap.Image().format(), QImage::Format_Indexed8);
    EXPECT_LE(bitmap.Image().colorCount(), 236);
    bitmap.SetPixelFormat(TPixelFormat::pf24bit);
    const std::set<QRgb> colours = DistinctColours(bitmap.Image());
    EXPECT_LE(colours.size(), 236u);
    EXPECT_GT(colours.size(), 200u) << "a full ramp keeps most of its levels";
    for (const QRgb c : colours)
        EXPECT_TRUE(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c));
}

TEST(TJPEGImage, ColourIsQuantizedOnlyOnAPaletteDisplay) {
    const std::vector<std::uint8_t> bytes = MakeJpeg(Ramp(TJpegKind::Colour));
    TBitmap full;
    Load(bytes).AssignTo(full);
    EXPECT_EQ(full.Image().format(), QImage::Format_BGR888);

    TBitmap quantized;
    {
        const test::TScopedGlobal<TDisplayInfo> paletteDisplay(SetDisplayInfo, {8, 96, 96});
        Load(bytes).AssignTo(quantized);
    }
    EXPECT_EQ(quantized.Image().format(), QImage::Format_Indexed8);
    EXPECT_LE(quantized.Image().colorCount(), 236);
}

TEST(DisplayInfo, TheSetterReturnsWhatItReplaced) {
    const TDisplayInfo before = DisplayInfo();
    const TDisplayInfo replaced = SetDisplayInfo({8, 72, 75});
    const TDisplayInfo set = SetDisplayInfo(before);
    EXPECT_EQ(std::tie(replaced.BitsPerPixel, replaced.DpiX, replaced.DpiY),
              std::tie(before.BitsPerPixel, before.DpiX, before.DpiY));
    EXPECT_EQ(std::tie(set.BitsPerPixel, set.DpiX, set.DpiY), std::make_tuple(8, 72, 75));
}

// Removes the first marker segment of the given type (0xFFxx, with its length) from a JPEG.
std::vector<std::uint8_t> WithoutSegment(std::vector<std::uint8_t> bytes, std::uint8_t marker) {
    for (std::size_t i = 2; i + 3 < bytes.size();) {
        if (bytes[i] != 0xFF)
            break;
        const std::size_t length = std::size_t{bytes[i + 2]} << 8 | bytes[i + 3];
        if (bytes[i + 1] == marker) {
            bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                        bytes.begin() + static_cast<std::ptrdiff_t>(i + 2 + length));
            return bytes;
        }
        i += 2 + length;
    }
    ADD_FAILURE() << "marker not found";
    return bytes;
}

TEST(TJPEGImage, HeaderErrorsFailTheLoad) {
    const TempDir dir;
    TJPEGImage image;
    EXPECT_EQ(ErrorOf([&] {
                  image.LoadFromFile(dir.Write("a.jpg", {'n', 'o', 't'}));
              }),
              JpegError(JERR_NO_SOI));
    EXPECT_EQ(ErrorOf([&] { image.LoadFromFile(dir.Write("b.jpg", {})); }), JpegError(JERR_INPUT_EMPTY));
    std::vector<std::uint8_t> twelveBit = MakeJpeg(Flat(1, 2, 3));
    twelveBit = WithoutSegment(twelveBit, 0xC0);
    EXPECT_EQ(ErrorOf([&] { image.LoadFromFile(dir.Write("c.jpg", twelveBit)); }).rfind("JPEG error #", 0),
              0u);
    EXPECT_EQ(image.Width(), 0) << "a failed load leaves the image empty";
}

TEST(TJPEGImage, DataErrorsFailTheDecodeNotTheLoad) {
    TJPEGImage image = Load(WithoutSegment(MakeJpeg(Flat(1, 2, 3)), 0xDB));
    EXPECT_EQ(image.Width(), 16);
    EXPECT_EQ(ErrorOf([&] { image.Prepare(); }), JpegError(JERR_NO_QUANT_TABLE));
    TBitmap bitmap;
    EXPECT_EQ(ErrorOf([&] { image.AssignTo(bitmap); }), JpegError(JERR_NO_QUANT_TABLE));
}

TEST(TJPEGImage, TruncatedDataStillDecodesTheSameEveryTime) {
    std::vector<std::uint8_t> bytes = MakeJpeg(Ramp(TJpegKind::Colour));
    bytes.resize(bytes.size() / 2);
    TBitmap first;
    TBitmap second;
    Load(bytes).AssignTo(first);
    Load(bytes).AssignTo(second);
    EXPECT_EQ(first.Image(), second.Image());
}

TEST(TJPEGImage, SizeLimitAppliesBeforeDecoding) {
    TJPEGImage image = Load(MakeJpeg(Flat(1, 2, 3)));
    const std::int64_t saved = MaxImagePixels();
    SetMaxImagePixels(100);
    const std::string error = ErrorOf([&] { image.Prepare(); });
    SetMaxImagePixels(saved);
    EXPECT_EQ(error, "Image is too large (16 x 16 pixels)");
}

TEST(TJPEGImage, PreviewDecodeUsesTheSmallestScaleThatCovers) {
    TJpegRecipe recipe = Ramp(TJpegKind::Colour);
    TJPEGImage image = Load(MakeJpeg(recipe));
    EXPECT_EQ(image.DecodeForPreview(QSize(64, 2)).size(), QSize(64, 2));
    EXPECT_EQ(image.DecodeForPreview(QSize(100, 4)).size(), QSize(128, 4));
    EXPECT_EQ(image.DecodeForPreview(QSize(1000, 1000)).size(), QSize(256, 8));
    EXPECT_TRUE(image.DecodedImage().isNull()) << "the preview decode is separate from the shared one";
}

} // namespace
} // namespace tintwell
