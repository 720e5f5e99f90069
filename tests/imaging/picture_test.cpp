#include <gtest/gtest.h>

#include <string>

#include <jerror.h>
#include <jpeglib.h>

#include "codec/errors.h"
#include "core/exception.h"
#include "imaging/bitmap.h"
#include "imaging/jpeg_image.h"
#include "imaging/picture.h"
#include "support/fixtures.h"
#include "support/jpeg_builder.h"
#include "support/temp_dir.h"

namespace tintwell {
namespace {

using test::TempDir;

std::string LoadError(TPicture& picture, const std::string& path) {
    try {
        picture.LoadFromFile(path);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(no error)";
}

TEST(TPicture, ChoosesTheClassByExtensionIgnoringCase) {
    const TempDir dir;
    TPicture picture;
    picture.LoadFromFile(dir.Write("photo.JPG", test::MakeJpeg({})));
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Graphic()->ClassName(), "TJPEGImage");
    EXPECT_EQ(picture.Width(), 16);
}

TEST(TPicture, UnknownExtensionsNameTheExtensionAsWritten) {
    const TempDir dir;
    TPicture picture;
    EXPECT_EQ(LoadError(picture, dir.Write("image.GIF", {1, 2, 3})), "Unknown picture file extension (.GIF)");
    EXPECT_EQ(LoadError(picture, dir.Write("nodot", {1, 2, 3})), "Unknown picture file extension (.)");
    EXPECT_EQ(picture.Graphic(), nullptr);
}

TEST(TPicture, AFailedLoadKeepsThePreviousGraphic) {
    const TempDir dir;
    TPicture picture;
    picture.LoadFromFile(dir.Write("good.jpg", test::MakeJpeg({})));
    const TGraphic* before = picture.Graphic();
    EXPECT_EQ(LoadError(picture, dir.Write("bad.jpg", {'n', 'o', 't'})),
              "JPEG error #" + std::to_string(JERR_NO_SOI));
    EXPECT_EQ(LoadError(picture, dir.Path("missing.bmp")).rfind("Cannot open file \"", 0), 0u);
    EXPECT_EQ(picture.Graphic(), before);
}

TEST(TPicture, AssignClonesTheGraphic) {
    const TempDir dir;
    TPicture source;
    source.LoadFromFile(dir.Write("a.jpg", test::MakeJpeg({})));
    TPicture copy;
    copy.Assign(source);
    ASSERT_NE(copy.Graphic(), nullptr);
    EXPECT_NE(copy.Graphic(), source.Graphic());
    EXPECT_EQ(copy.Graphic()->ClassName(), "TJPEGImage");
    TPicture empty;
    copy.Assign(empty);
    EXPECT_EQ(copy.Graphic(), nullptr);
}

TEST(TPicture, IconsCannotBeCopiedIntoABitmap) {
    const TempDir dir;
    TPicture picture;
    const test::TFixtureFile icon = test::IconFixtures().front();
    picture.LoadFromFile(dir.Write(icon.Name, icon.Bytes));
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Graphic()->ClassName(), "TIcon");
    EXPECT_EQ(picture.Width(), 16);
    TBitmap bitmap;
    try {
        picture.Graphic()->AssignTo(bitmap);
        ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TIcon to a TBitmap");
    }
}

TEST(TPicture, DamagedIconsAreReported) {
    const TempDir dir;
    TPicture picture;
    EXPECT_EQ(LoadError(picture, dir.Write("bad.ico", {0, 0, 1, 0, 1, 0, 16})), "Icon image is not valid");
    EXPECT_EQ(LoadError(picture, dir.Write("empty.ico", {})), "Icon image is not valid");
}

} // namespace
} // namespace tintwell
