// Open Image and the open dialog's preview provider, with the fake platform's dialog answers.
#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>

#include "colour/colour.h"
#include "core/geometry.h"
#include "imaging/bitmap.h"
#include "imaging/graphic.h"
#include "imaging/picture.h"
#include "support/bmp_builder.h"
#include "support/fake_platform_services.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"
#include "ui/main/main_window.h"
#include "ui/main/picture_preview.h"

namespace tintwell::test {
namespace {

using TErrorBox = std::pair<std::string, std::string>;

// A bitmap of one colour. Its average lies one level above that colour in each channel: the
// half-count level is the first level with half of the samples strictly below it.
std::vector<std::uint8_t> PlainBmp(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    TBmpRecipe recipe;
    recipe.Width = width;
    recipe.Height = height;
    recipe.Pixel = [=](int, int, std::uint8_t rgb[3]) {
        rgb[0] = r;
        rgb[1] = g;
        rgb[2] = b;
    };
    return MakeBmp(recipe);
}

class OpenImage : public ::testing::Test {
protected:
    void SetUp() override {
        FForm = std::make_unique<TfrmTintwell>(FPlatform);
        FForm->show();
        WriteFile(FFiles.Path("olive.bmp"), PlainBmp(952, 316, 120, 130, 40));
        WriteFile(FFiles.Path("teal.bmp"), PlainBmp(10, 20, 0, 128, 128));
        WriteFile(FFiles.Path("blue16.ico"), IconFixtures().at(0).Bytes);
        WriteFile(FFiles.Path("damaged.bmp"), {'B', 'M', 1, 2, 3});
        WriteFile(FFiles.Path("picture.gif"), {'G', 'I', 'F', '8', '9', 'a'});
    }

    // Chooses name in the dialog and presses Open Image.
    void Open(const std::string& name) {
        FPlatform.ChosenFile = FFiles.Path(name);
        QTest::mouseClick(FForm->Button1, Qt::LeftButton);
    }

    std::string_view PreviewClass() const {
        return FForm->Image1->Graphic() ? FForm->Image1->Graphic()->ClassName() : "none";
    }

    TFakePlatformServices FPlatform;
    TempDir FFiles;
    std::unique_ptr<TfrmTintwell> FForm;
};

TEST_F(OpenImage, OffersTheRegisteredFormatsAllFirst) {
    FPlatform.ChosenFile.reset();
    QTest::mouseClick(FForm->Button1, Qt::LeftButton);
    ASSERT_EQ(FPlatform.LastFilter.size(), 9U);
    EXPECT_EQ(FPlatform.LastFilter[0].Text, "All (*.jpg;*.jpeg;*.tiff;*.tif;*.bmp;*.ico;*.emf;*.wmf)");
    EXPECT_EQ(FPlatform.LastFilter[0].Masks, "*.jpg;*.jpeg;*.tiff;*.tif;*.bmp;*.ico;*.emf;*.wmf");
    EXPECT_EQ(FPlatform.LastFilter[8].Text, "Metafiles (*.wmf)");
    EXPECT_TRUE(FPlatform.LastPreview) << "the dialog gets a picture pane";
}

TEST_F(OpenImage, CancelChangesNothing) {
    Open("teal.bmp");
    FPlatform.ChosenFile.reset();
    FPlatform.Repaints = 0;
    FPlatform.BusyHistory.clear();
    QTest::mouseClick(FForm->Button1, Qt::LeftButton);
    EXPECT_EQ(FForm->CurrentColor(), RGB(1, 129, 129));
    EXPECT_EQ(FForm->Image1->Graphic()->Width(), 10);
    EXPECT_EQ(FPlatform.Repaints, 0);
    EXPECT_TRUE(FPlatform.BusyHistory.empty());
    EXPECT_TRUE(FPlatform.ErrorBoxes.empty());
}

TEST_F(OpenImage, ShowsThePictureAndMakesItsAverageCurrent) {
    Open("olive.bmp");
    EXPECT_TRUE(FPlatform.ErrorBoxes.empty());
    EXPECT_EQ(FForm->CurrentColor(), RGB(121, 131, 41));
    EXPECT_EQ(FForm->dfHTML->text(), "#798329");
    EXPECT_EQ(FForm->dfRi->text(), "134");
    EXPECT_EQ(PreviewClass(), "TBitmap");
    EXPECT_EQ(FPlatform.Repaints, 1) << "the area under the dialog is redrawn before the work";
    EXPECT_EQ(FPlatform.BusyHistory, (std::vector<bool>{true, false}));
}

struct FailureCase {
    const char* name;
    const char* file;
    const char* message;
    const char* previewAfter; // the preview's class after the failure (it held a TBitmap before)
    int previewWidth;
};
void PrintTo(const FailureCase& row, std::ostream* os) { *os << row.name; }

const FailureCase kFailures[] = {
    {"unknown_extension", "picture.gif", "Unknown picture file extension (.gif)", "TBitmap", 10},
    {"damaged_bitmap", "damaged.bmp", "Bitmap image is not valid.", "TBitmap", 10},
    {"missing_file", "absent.bmp", "", "TBitmap", 10},
    {"icon_cannot_be_analysed", "blue16.ico", "Cannot assign a TIcon to a TBitmap.", "TIcon", 16},
};

class OpenImageFailure : public OpenImage, public ::testing::WithParamInterface<FailureCase> {};

// The colour stays; the preview changes only when the failure came after it took the picture.
TEST_P(OpenImageFailure, ReportsAndKeepsTheColour) {
    const FailureCase& row = GetParam();
    Open("teal.bmp");
    int busyUnderTheBox = -1;
    FPlatform.DuringErrorBox = [&] { busyUnderTheBox = FPlatform.BusyDepth; };
    Open(row.file);
    EXPECT_EQ(busyUnderTheBox, 0) << "the hourglass is gone before the box shows";
    ASSERT_EQ(FPlatform.ErrorBoxes.size(), 1U);
    EXPECT_EQ(FPlatform.ErrorBoxes[0].first, "Tintwell");
    if (*row.message)
        EXPECT_EQ(FPlatform.ErrorBoxes[0].second, row.message);
    else
        EXPECT_NE(FPlatform.ErrorBoxes[0].second.find("absent.bmp"), std::string::npos)
            << FPlatform.ErrorBoxes[0].second;
    EXPECT_EQ(FForm->CurrentColor(), RGB(1, 129, 129));
    EXPECT_EQ(FForm->dfHTML->text(), "#018181");
    EXPECT_EQ(PreviewClass(), row.previewAfter);
    EXPECT_EQ(FForm->Image1->Graphic()->Width(), row.previewWidth);
    EXPECT_EQ(FPlatform.BusyDepth, 0) << "the hourglass is gone on every way out";
    EXPECT_EQ(FPlatform.BusyHistory.back(), false);
}
INSTANTIATE_TEST_SUITE_P(, OpenImageFailure, ::testing::ValuesIn(kFailures),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(OpenImage, ASecondClickWhileOpeningIsIgnored) {
    // The repaint lets pending events run; a click among them must not start a second Open Image.
    FPlatform.DuringRepaint = [this] { QTest::mouseClick(FForm->Button1, Qt::LeftButton); };
    Open("teal.bmp");
    EXPECT_EQ(FPlatform.Dialogs, 1);
    EXPECT_EQ(FForm->CurrentColor(), RGB(1, 129, 129));
    FPlatform.DuringRepaint = nullptr;
    Open("olive.bmp");
    EXPECT_EQ(FPlatform.Dialogs, 2) << "the guard is released afterwards";
}

// JPEG and TIFF take the same road: the colour is the file's average, and the preview holds the
// picture in its own format. The averages are those of the fixtures as libjpeg-turbo and libtiff
// decode them, each channel different so that a swapped channel shows.
struct FormatCase {
    const char* name;
    std::vector<TFixtureFile> (*fixtures)();
    const char* file;
    const char* previewClass;
    TColor average;
};
void PrintTo(const FormatCase& row, std::ostream* os) { *os << row.name; }
const FormatCase kFormats[] = {
    {"jpeg", JpegFixtures, "colour.jpg", "TJPEGImage", RGB(0x76, 0x6B, 0xB9)},
    {"tiff", TiffFixtures, "rgb24_lzw_predictor2.tif", "TTiffGraphic", RGB(0x7E, 0x82, 0x7D)},
};
class OpenImageFormat : public OpenImage, public ::testing::WithParamInterface<FormatCase> {};
TEST_P(OpenImageFormat, ShowsThePictureAndItsAverage) {
    for (const TFixtureFile& fixture : GetParam().fixtures())
        if (fixture.Name == GetParam().file)
            WriteFile(FFiles.Path(fixture.Name), fixture.Bytes);

    Open(GetParam().file);
    EXPECT_TRUE(FPlatform.ErrorBoxes.empty());
    EXPECT_EQ(PreviewClass(), GetParam().previewClass);
    EXPECT_EQ(ColorToHTML(FForm->CurrentColor()), ColorToHTML(GetParam().average));
    EXPECT_FALSE(FForm->Image1->ScaledPicture().isNull()) << "the preview has its picture to paint";
}
INSTANTIATE_TEST_SUITE_P(, OpenImageFormat, ::testing::ValuesIn(kFormats),
                         [](const auto& row) { return std::string(row.param.name); });

// ---- the preview

struct PreviewCase {
    const char* name;
    const char* file;
    QRect shown; // where the picture sits in the 476 x 316 preview
    QColor colour;
};
const PreviewCase kPreviews[] = {
    {"larger_scaled_to_fit", "olive.bmp", {0, 79, 476, 158}, QColor(120, 130, 40)},
    {"smaller_at_own_size_centred", "teal.bmp", {233, 148, 10, 20}, QColor(0, 128, 128)},
};
void PrintTo(const PreviewCase& row, std::ostream* os) { *os << row.name; }
class Preview : public OpenImage, public ::testing::WithParamInterface<PreviewCase> {};
TEST_P(Preview, ShowsThePictureCentred) {
    Open(GetParam().file);
    EXPECT_EQ(FForm->Image1->PictureRect(), GetParam().shown);
    // The scaled copy is made once: repainting draws the same pixels without rescaling.
    const qint64 scaled = FForm->Image1->ScaledPicture().cacheKey();
    FForm->repaint();
    FForm->Image1->repaint();
    EXPECT_EQ(FForm->Image1->ScaledPicture().cacheKey(), scaled);
    const QImage shown = FForm->Image1->grab().toImage();
    const QPoint centre = GetParam().shown.center();
    EXPECT_EQ(QColor(shown.pixel(centre)), GetParam().colour);
    EXPECT_NE(QColor(shown.pixel(1, 1)), GetParam().colour) << "outside the picture the preview is empty";
}
INSTANTIATE_TEST_SUITE_P(, Preview, ::testing::ValuesIn(kPreviews),
                         [](const auto& row) { return std::string(row.param.name); });

// Fine black and white patterns reduced to a tenth must come out as their even average: every
// source pixel counts. Point or bilinear sampling shows black, white or stripes instead (a thin
// line every ten pixels is either hit or missed).
bool Checkerboard(int x, int y) { return (x + y) % 2 != 0; }
bool ThinLines(int x, int) { return x % 10 == 3; }

struct ScaleCase {
    const char* name;
    QImage::Format format;
    bool (*white)(int x, int y);
    QSize size;
    QSize target;
    int level; // the expected gray of every inner pixel
};
void PrintTo(const ScaleCase& row, std::ostream* os) { *os << row.name; }
const ScaleCase kScales[] = {
    {"checkerboard_bgr24_tenfold", QImage::Format_BGR888, Checkerboard, {400, 300}, {40, 30}, 128},
    {"checkerboard_rgb32_tenfold", QImage::Format_RGB32, Checkerboard, {400, 300}, {40, 30}, 128},
    {"checkerboard_indexed_tenfold", QImage::Format_Indexed8, Checkerboard, {400, 300}, {40, 30}, 128},
    {"checkerboard_twofold_left_to_qt", QImage::Format_BGR888, Checkerboard, {80, 60}, {40, 30}, 128},
    {"thin_lines_bgr24_tenfold", QImage::Format_BGR888, ThinLines, {400, 300}, {40, 30}, 26},
    {"thin_lines_rgb32_tenfold", QImage::Format_RGB32, ThinLines, {400, 300}, {40, 30}, 26},
    {"thin_lines_bgr24_twentyfold", QImage::Format_BGR888, ThinLines, {800, 600}, {40, 30}, 26},
};
class ScaleGraphicTable : public ::testing::TestWithParam<ScaleCase> {};
TEST_P(ScaleGraphicTable, AveragesEveryPixel) {
    const ScaleCase& row = GetParam();
    QImage board(row.size, row.format);
    if (row.format == QImage::Format_Indexed8)
        board.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < board.height(); ++y) {
        for (int x = 0; x < board.width(); ++x) {
            const bool white = row.white(x, y);
            board.setPixel(x, y,
                           row.format == QImage::Format_Indexed8 ? (white ? 1U : 0U)
                                                                 : (white ? 0xFFFFFFFFU : 0xFF000000U));
        }
    }
    const QImage scaled = ScaleGraphic(TBitmap(board), row.target);
    ASSERT_EQ(scaled.size(), row.target);
    for (int y = 1; y + 1 < scaled.height(); ++y) {
        for (int x = 1; x + 1 < scaled.width(); ++x) {
            const QColor pixel = scaled.pixelColor(x, y);
            ASSERT_NEAR(pixel.red(), row.level, 8) << x << "," << y;
            ASSERT_NEAR(pixel.blue(), row.level, 8) << x << "," << y;
        }
    }
}
INSTANTIATE_TEST_SUITE_P(, ScaleGraphicTable, ::testing::ValuesIn(kScales),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(ScaleGraphic, DrawsPicturesWithoutPixelsAndKeepsExactSizes) {
    TempDir files;
    const TFixtureFile metafile = MetafileFixtures().at(0);
    WriteFile(files.Path(metafile.Name), metafile.Bytes);
    TPicture picture;
    picture.LoadFromFile(files.Path(metafile.Name));
    ASSERT_TRUE(picture.Graphic()->Pixels().isNull());
    const QImage drawn = ScaleGraphic(*picture.Graphic(), {30, 20});
    EXPECT_EQ(drawn.size(), QSize(30, 20));
    QImage plain(30, 20, QImage::Format_BGR888);
    plain.fill(QColor(1, 2, 3));
    const QImage same = ScaleGraphic(TBitmap(plain), {30, 20});
    EXPECT_EQ(same.pixelColor(7, 7), QColor(1, 2, 3));
    EXPECT_TRUE(ScaleGraphic(TBitmap(plain), {0, 0}).isNull());
}

// ---- the open dialog's picture pane

TEST_F(OpenImage, PaneProviderGivesAScaledPictureWithItsRealSize) {
    FPlatform.ScreenSize = QSize(800, 600);
    FPlatform.ChosenFile.reset();
    QTest::mouseClick(FForm->Button1, Qt::LeftButton);
    ASSERT_TRUE(FPlatform.LastPreview);
    // At most three quarters of the screen: 600 x 450.
    const auto olive = FPlatform.LastPreview(FFiles.Path("olive.bmp"));
    ASSERT_TRUE(olive.has_value());
    EXPECT_EQ(olive->OriginalSize, QSize(952, 316));
    EXPECT_EQ(olive->Picture.size(), QSize(600, 199));
    EXPECT_EQ(QColor(olive->Picture.pixel(300, 100)), QColor(120, 130, 40));
    const auto icon = FPlatform.LastPreview(FFiles.Path("blue16.ico"));
    ASSERT_TRUE(icon.has_value()) << "icons are shown even though they cannot be analysed";
    EXPECT_EQ(icon->OriginalSize, QSize(16, 16));
    for (const char* bad : {"damaged.bmp", "picture.gif", "absent.bmp", ""})
        EXPECT_FALSE(FPlatform.LastPreview(FFiles.Path(bad)).has_value()) << bad;
    EXPECT_TRUE(FPlatform.ErrorBoxes.empty()) << "the pane reports no errors";
}

TEST(LoadFilePreview, DecodesJpegsAtAReducedScale) {
    TempDir files;
    const TFixtureFile jpeg = JpegFixtures().at(0);
    WriteFile(files.Path(jpeg.Name), jpeg.Bytes);
    const auto full = LoadFilePreview(files.Path(jpeg.Name), {1000, 1000});
    const auto small = LoadFilePreview(files.Path(jpeg.Name), {12, 12});
    ASSERT_TRUE(full.has_value());
    ASSERT_TRUE(small.has_value());
    EXPECT_EQ(full->Picture.size(), full->OriginalSize);
    EXPECT_EQ(small->OriginalSize, full->OriginalSize);
    const TSize fitted = FitPictureSize({full->OriginalSize.width(), full->OriginalSize.height()}, {12, 12});
    EXPECT_EQ(small->Picture.size(), QSize(fitted.Width, fitted.Height));
}

// ---- Pictures from a drop and from the clipboard: the same road as Open Image.

// What a drag carries: file URLs, or text.
struct DropCase {
    const char* name;
    std::vector<std::string> files; // file names inside the fixture folder, as file URLs
    const char* text;               // or, when there are no files, this text
    bool accepted;
};
void PrintTo(const DropCase& row, std::ostream* os) { *os << row.name; }

const DropCase kDrops[] = {
    {"a_bitmap", {"olive.bmp"}, nullptr, true},
    {"an_icon", {"blue16.ico"}, nullptr, true},
    {"an_unknown_extension", {"picture.gif"}, nullptr, false},
    {"two_files", {"olive.bmp", "teal.bmp"}, nullptr, false},
    {"a_web_address", {}, "https://example.org/olive.bmp", false},
    {"plain_text", {}, "olive", false},
};

class DropOnTheWindow : public OpenImage, public ::testing::WithParamInterface<DropCase> {
protected:
    std::unique_ptr<QMimeData> Carried() const {
        auto data = std::make_unique<QMimeData>();
        QList<QUrl> urls;
        for (const std::string& file : GetParam().files)
            urls.push_back(QUrl::fromLocalFile(QString::fromStdString(FFiles.Path(file))));
        if (!urls.isEmpty())
            data->setUrls(urls);
        else
            data->setText(GetParam().text);
        return data;
    }
};

// A picture file is taken (the drag is accepted, so the cursor shows it) and opened once dropped;
// anything else is refused (the cursor shows a no-entry sign) and a drop changes nothing.
TEST_P(DropOnTheWindow, TakesPictureFilesOnly) {
    const std::unique_ptr<QMimeData> data = Carried();
    const QPoint at(100, 100);
    QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QCoreApplication::sendEvent(FForm.get(), &enter);
    EXPECT_EQ(enter.isAccepted(), GetParam().accepted);

    QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    drop.setAccepted(false);
    QCoreApplication::sendEvent(FForm.get(), &drop);
    EXPECT_EQ(drop.isAccepted(), GetParam().accepted);
    QCoreApplication::processEvents(); // the file is opened after the drop has finished
    if (GetParam().accepted && GetParam().files.front() == "olive.bmp") {
        EXPECT_EQ(FForm->CurrentColor(), RGB(121, 131, 41));
        EXPECT_EQ(PreviewClass(), "TBitmap");
    } else if (!GetParam().accepted) {
        EXPECT_EQ(FForm->CurrentColor(), RGB(128, 128, 128));
        EXPECT_EQ(PreviewClass(), "none");
        EXPECT_TRUE(FPlatform.ErrorBoxes.empty());
    }
    EXPECT_EQ(FPlatform.Dialogs, 0);
}

INSTANTIATE_TEST_SUITE_P(, DropOnTheWindow, ::testing::ValuesIn(kDrops),
                         [](const auto& row) { return std::string(row.param.name); });

// A drop is always taken as a copy, never as the move a source may propose (a file manager would
// then delete the file); a source that offers only a move is refused.
TEST_F(OpenImage, ADropIsTakenAsACopy) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(FFiles.Path("olive.bmp")))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::ShiftModifier);
    enter.setDropAction(Qt::MoveAction);
    QCoreApplication::sendEvent(FForm.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::ShiftModifier);
    drop.setDropAction(Qt::MoveAction);
    QCoreApplication::sendEvent(FForm.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);

    QDragEnterEvent moveOnly(QPoint(5, 5), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    moveOnly.setAccepted(false);
    QCoreApplication::sendEvent(FForm.get(), &moveOnly);
    EXPECT_FALSE(moveOnly.isAccepted());
}

// A damaged picture file dropped ends in the error box, as from the dialog, and the colour stays.
TEST_F(OpenImage, ADamagedFileDroppedEndsInTheErrorBox) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(FFiles.Path("damaged.bmp")))});
    // A drop always comes after the drag entered the window.
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(FForm.get(), &enter);
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(FForm.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    QCoreApplication::processEvents();
    EXPECT_EQ(FPlatform.ErrorBoxes, (std::vector<TErrorBox>{{"Tintwell", "Bitmap image is not valid."}}));
    EXPECT_EQ(FForm->CurrentColor(), RGB(128, 128, 128));
}

// Ctrl+V: an image on the clipboard is analysed; a picture file's path or URL is opened; other
// text beeps and changes nothing.
TEST_F(OpenImage, PasteAnalysesAnImageOrOpensAFile) {
    QImage image(40, 30, QImage::Format_ARGB32);
    image.fill(qRgb(200, 100, 50));
    FPlatform.Clipboard = std::make_unique<QMimeData>();
    FPlatform.Clipboard->setImageData(image);
    FForm->actPaste->trigger();
    EXPECT_EQ(FForm->CurrentColor(), RGB(201, 101, 51));
    EXPECT_EQ(PreviewClass(), "TBitmap");
    EXPECT_EQ(FForm->Image1->Graphic()->Width(), 40);

    for (const QString& text :
         {QString::fromStdString(FFiles.Path("teal.bmp")),
          QUrl::fromLocalFile(QString::fromStdString(FFiles.Path("olive.bmp"))).toString()}) {
        FPlatform.Clipboard = std::make_unique<QMimeData>();
        FPlatform.Clipboard->setText(text);
        FForm->actPaste->trigger();
    }
    EXPECT_EQ(FForm->CurrentColor(), RGB(121, 131, 41)) << "the last one pasted";

    FPlatform.Clipboard = std::make_unique<QMimeData>();
    FPlatform.Clipboard->setText("just words");
    FForm->actPaste->trigger();
    FPlatform.Clipboard.reset();
    FForm->actPaste->trigger();
    FPlatform.Clipboard = std::make_unique<QMimeData>();
    FPlatform.Clipboard->setData("application/x-qt-image", QByteArray("not a picture"));
    FForm->actPaste->trigger();
    EXPECT_EQ(FPlatform.Beeps, 3);
    EXPECT_EQ(FForm->CurrentColor(), RGB(121, 131, 41));
    EXPECT_TRUE(FPlatform.ErrorBoxes.empty());
}

// Ctrl+V reaches the window's paste anywhere in it, except in a code field that can take text.
TEST_F(OpenImage, CtrlVInAnEditableFieldIsTheFieldsOwn) {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    FPlatform.Clipboard = std::make_unique<QMimeData>();
    FPlatform.Clipboard->setImageData(image);
    FForm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(FForm.get()));
    FForm->dfHTML->setFocus();
    QTest::keyClick(FForm->dfHTML, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(FForm->CurrentColor(), RGB(128, 128, 128));
    FForm->Button1->setFocus();
    QTest::keyClick(FForm->Button1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(FForm->CurrentColor(), RGB(11, 21, 31));
}

// ---- Copying a colour from the context menus.

// The texts of a menu's entries and, triggered in turn, what each put on the clipboard.
std::vector<std::pair<std::string, std::string>> CopyEntries(QMenu& menu, TFakePlatformServices& platform) {
    std::vector<std::pair<std::string, std::string>> entries;
    for (QAction* action : menu.actions()) {
        if (!action->text().startsWith("Copy #") && !action->text().contains(QRegularExpression("^Copy \\d")))
            continue;
        platform.Clipboard.reset();
        action->trigger();
        entries.emplace_back(action->text().toStdString(),
                             platform.Clipboard ? platform.Clipboard->text().toStdString() : "(nothing)");
    }
    return entries;
}

using TEntries = std::vector<std::pair<std::string, std::string>>;

// Every swatch's menu copies its colour as an HTML code and as decimal R,G,B.
TEST_F(OpenImage, EverySwatchOffersItsColourToCopy) {
    Open("olive.bmp"); // 121, 131, 41; inverse 134, 124, 214
    const std::pair<TShape*, TEntries> kSwatches[] = {
        {FForm->shpAvg, {{"Copy #798329", "#798329"}, {"Copy 121,131,41", "121,131,41"}}},
        {FForm->shpAvgInv, {{"Copy #867CD6", "#867CD6"}, {"Copy 134,124,214", "134,124,214"}}},
    };
    for (const auto& [swatch, expected] : kSwatches) {
        // The menu opens as a popup; read and use it from within its own loop.
        TEntries seen;
        QTimer::singleShot(0, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                seen = CopyEntries(*menu, FPlatform);
                menu->close();
            }
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), swatch->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(swatch, &event);
        EXPECT_EQ(seen, expected) << swatch->objectName().toStdString();
    }
    for (TShape* palette : {FForm->shpScheme1, FForm->shpScheme5})
        EXPECT_TRUE(static_cast<bool>(palette->OnContextMenu)) << palette->objectName().toStdString();
}

// A code field's menu keeps the field's own entries (its Copy copies its text, as Ctrl+C does) and
// adds its column's colour.
TEST_F(OpenImage, CodeFieldsOfferTheirColumnsColour) {
    Open("olive.bmp");
    // A field and the HTML field of its column, whose code its menu must offer.
    const std::pair<TEdit*, TEdit*> kFields[] = {
        {FForm->dfG, FForm->dfHTML}, {FForm->dfHTMLi, FForm->dfHTMLi}, {FForm->dfBc, FForm->dfHTMLc}};
    for (const auto& [field, html] : kFields) {
        const std::string first = "Copy " + html->text().toStdString();
        ASSERT_TRUE(static_cast<bool>(field->OnExtendMenu));
        const std::unique_ptr<QMenu> menu(field->createStandardContextMenu());
        const qsizetype standard = menu->actions().size();
        field->OnExtendMenu(*menu);
        ASSERT_EQ(menu->actions().size(), standard + 3) << "a separator and two entries";
        EXPECT_EQ(menu->actions()[standard + 1]->text().toStdString(), first)
            << field->objectName().toStdString();
    }
}

} // namespace
} // namespace tintwell::test
