// The road from a loaded picture to what the statistics read, which the window, tintwell-cli, the
// benchmarks and the fuzz targets share.
#include <gtest/gtest.h>

#include <QImage>
#include <array>

#include "core/exception.h"
#include "imaging/analysis.h"
#include "imaging/picture.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace tintwell {
namespace {

TEST(Analysis, ATwentyFourBitPictureIsSharedNotCopied) {
    QImage image(3, 2, QImage::Format_BGR888);
    image.fill(QColor(10, 20, 30));
    TBitmap picture(image);
    const TBitmap bitmap = AnalysisBitmap(picture);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
    EXPECT_EQ(bitmap.Image().constBits(), picture.Image().constBits());
    // The half-count level of a plain channel lies one above it.
    EXPECT_EQ(PictureAverageColor(picture), RGB(11, 21, 31));
}

TEST(Analysis, OtherFormatsAreMadeTwentyFourBitAndThePictureStays) {
    QImage image(4, 1, QImage::Format_Indexed8);
    image.setColorTable({qRgb(200, 100, 50), qRgb(7, 8, 9)});
    image.fill(0);
    TBitmap picture(image);
    const TBitmap bitmap = AnalysisBitmap(picture);
    EXPECT_EQ(bitmap.PixelFormat(), TPixelFormat::pf24bit);
    const std::uint8_t* row = bitmap.View().ScanLine(0);
    EXPECT_EQ((std::array<int, 3>{row[9], row[10], row[11]}), (std::array<int, 3>{50, 100, 200}))
        << "blue first";
    EXPECT_EQ(picture.PixelFormat(), TPixelFormat::pf8bit);
    EXPECT_EQ(PictureAverageColor(picture), RGB(201, 101, 51));
}

TEST(Analysis, PicturesThatAreOnlyShownAreRefused) {
    const test::TempDir dir;
    const test::TFixtureFile icon = test::IconFixtures().front();
    TPicture picture;
    picture.LoadFromFile(dir.Write(icon.Name, icon.Bytes));
    try {
        PictureAverageColor(*picture.Graphic());
        ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TIcon to a TBitmap");
    }
}

} // namespace
} // namespace tintwell
