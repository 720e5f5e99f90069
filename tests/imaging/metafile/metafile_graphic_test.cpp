// TMetafile as a picture class: its name, copies, the refusal to become a bitmap, and loading
// through TPicture, where the file's content decides the kind.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "codec/errors.h"
#include "core/exception.h"
#include "imaging/bitmap.h"
#include "imaging/metafile/metafile_test_support.h"
#include "imaging/picture.h"
#include "imaging/registry.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace tintwell::test {
namespace {

TEST(MetafileClass, IsNamedTMetafile) {
    EXPECT_EQ(TMetafile().ClassName(), "TMetafile");
    EXPECT_EQ(kMetafileClass.Name, "TMetafile");
    EXPECT_EQ(kMetafileClass.Create()->ClassName(), "TMetafile");
}

TEST(MetafileClass, CopyingIntoABitmapRaises) {
    for (const TFixtureFile& fixture : MetafileFixtures()) {
        SCOPED_TRACE(fixture.Name);
        TMetafile metafile = LoadBytes(fixture.Bytes);
        TBitmap bitmap;
        try {
            metafile.AssignTo(bitmap);
            FAIL() << "copied";
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), "Cannot assign a TMetafile to a TBitmap");
        }
        EXPECT_TRUE(bitmap.Image().isNull());
    }
}

TEST(MetafileClass, FixturesLoadByContentAndDraw) {
    for (const TFixtureFile& fixture : MetafileFixtures()) {
        SCOPED_TRACE(fixture.Name);
        const TMetafile metafile = LoadBytes(fixture.Bytes);
        EXPECT_EQ(metafile.Enhanced(), fixture.Name.ends_with(".emf"));
        EXPECT_GT(metafile.Width(), 0);
        EXPECT_GT(metafile.Height(), 0);
        EXPECT_LT(CountColor(Render(metafile), kWhite), 100 * 100 * 9 / 10);
    }
}

TEST(MetafileClass, CloneSharesTheRecordsAndDrawsTheSame) {
    for (const TFixtureFile& fixture : MetafileFixtures()) {
        SCOPED_TRACE(fixture.Name);
        auto original = std::make_unique<TMetafile>(LoadBytes(fixture.Bytes));
        const QImage expected = Render(*original);
        std::unique_ptr<TGraphic> clone = original->Clone();
        TMetafile assigned;
        assigned = *original;
        original.reset(); // the copies keep the shared records alive
        ASSERT_EQ(clone->ClassName(), "TMetafile");
        EXPECT_EQ(clone->Width(), assigned.Width());
        EXPECT_EQ(clone->Height(), assigned.Height());
        EXPECT_EQ(dynamic_cast<const TMetafile&>(*clone).Enhanced(), fixture.Name.ends_with(".emf"));
        QImage drawn(100, 100, QImage::Format_RGB32);
        drawn.fill(kWhite);
        QPainter painter(&drawn);
        clone->Draw(painter, QRectF(0, 0, 100, 100));
        painter.end();
        EXPECT_EQ(drawn, expected);
        EXPECT_EQ(Render(assigned), expected);
    }
}

TEST(MetafileClass, FailedLoadKeepsThePreviousPicture) {
    TMetafile metafile = LoadBytes(MetafileFixtures().at(2).Bytes);
    const QImage before = Render(metafile);
    const int width = metafile.Width();
    EXPECT_THROW(metafile.LoadFromMemory(std::vector<std::uint8_t>(40, 0)), EInvalidGraphic);
    EXPECT_TRUE(metafile.Enhanced());
    EXPECT_EQ(metafile.Width(), width);
    EXPECT_EQ(Render(metafile), before);
}

// ---- From files, through the picture.

class MetafileFile : public ::testing::Test {
protected:
    // TempDir::Write would pull in every format's fixture builders; this program needs none.
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        const std::string path = FDir.Path(name);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out)
            throw std::runtime_error("cannot write " + path);
        return path;
    }

    TempDir FDir;
    std::vector<TFixtureFile> FFixtures = MetafileFixtures();
    const TFixtureFile& Wmf() const { return FFixtures.at(0); }
    const TFixtureFile& Emf() const { return FFixtures.at(3); }
};

TEST_F(MetafileFile, ContentDecidesTheKindNotTheExtension) {
    struct TCase {
        const char* Name;
        const std::vector<std::uint8_t>& Bytes;
        bool Enhanced;
    };
    const TCase cases[] = {{"picture.wmf", Wmf().Bytes, false},
                           {"picture.emf", Emf().Bytes, true},
                           {"emf_inside.wmf", Emf().Bytes, true},
                           {"wmf_inside.EMF", Wmf().Bytes, false}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TPicture picture;
        picture.LoadFromFile(Write(c.Name, c.Bytes));
        ASSERT_NE(picture.Graphic(), nullptr);
        ASSERT_EQ(picture.Graphic()->ClassName(), "TMetafile");
        EXPECT_EQ(dynamic_cast<const TMetafile&>(*picture.Graphic()).Enhanced(), c.Enhanced);
        EXPECT_EQ(picture.Width(), LoadBytes(c.Bytes).Width());
    }
}

TEST_F(MetafileFile, InvalidFileRaisesAndThePictureStays) {
    TPicture picture;
    picture.LoadFromFile(Write("good.emf", Emf().Bytes));
    const TGraphic* before = picture.Graphic();
    const std::string text = "GIF89a, not a metafile at all";
    try {
        picture.LoadFromFile(Write("bad.wmf", std::vector<std::uint8_t>(text.begin(), text.end())));
        FAIL() << "loaded";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Metafile is not valid");
    }
    EXPECT_EQ(picture.Graphic(), before);
}

TEST_F(MetafileFile, FileOverOneGibibyteIsRefusedUnread) {
    const std::string path = Write("huge.emf", Emf().Bytes);
    std::filesystem::resize_file(path, (std::uintmax_t{1} << 30) + 1); // sparse: nothing is written
    TMetafile metafile;
    EXPECT_THROW(metafile.LoadFromFile(path), EInvalidGraphic);
    std::filesystem::resize_file(path, Emf().Bytes.size());
    metafile.LoadFromFile(path);
    EXPECT_TRUE(metafile.Enhanced());
}

TEST_F(MetafileFile, MissingFileIsAnOpenError) {
    TMetafile metafile;
    EXPECT_THROW(metafile.LoadFromFile(FDir.Path("missing.wmf")), EFOpenError);
    EXPECT_THROW(metafile.LoadFromFile(FDir.Path("")), EFOpenError); // the folder itself
    EXPECT_EQ(metafile.Width(), 0);
}

} // namespace
} // namespace tintwell::test
