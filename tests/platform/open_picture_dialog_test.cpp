#include <gtest/gtest.h>

#include <QAbstractProxyModel>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QListView>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <filesystem>
#include <functional>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/open_picture_dialog.h"
#include "support/temp_dir.h"

namespace tintwell {
namespace {

const std::vector<TFileFilterRow>& PictureRows() {
    static const std::vector<TFileFilterRow> rows = {
        {"All (*.jpg;*.jpeg;*.tiff;*.tif;*.bmp;*.ico;*.emf;*.wmf)",
         "*.jpg;*.jpeg;*.tiff;*.tif;*.bmp;*.ico;*.emf;*.wmf"},
        {"JPEG Image File (*.jpg)", "*.jpg"},
        {"JPEG Image File (*.jpeg)", "*.jpeg"},
        {"TIFF Image File (*.tiff)", "*.tiff"},
        {"TIFF Image File (*.tif)", "*.tif"},
        {"Bitmaps (*.bmp)", "*.bmp"},
        {"Icons (*.ico)", "*.ico"},
        {"Enhanced Metafiles (*.emf)", "*.emf"},
        {"Metafiles (*.wmf)", "*.wmf"},
    };
    return rows;
}

QImage Filled(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    return image;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Stands in for the main window's loader: pictures by name, and a record of what it was asked.
struct TFakePictures {
    std::vector<std::string> Calls;

    std::optional<TFilePreview> operator()(const std::string& fileName) {
        Calls.push_back(fileName);
        const std::string name = std::filesystem::path(fileName).filename().string();
        if (name == "throws.bmp")
            throw std::runtime_error("broken file");
        if (name == "throws-int.bmp")
            throw 42;
        if (name == "empty.bmp")
            return TFilePreview{QImage(), QSize(10, 10)};
        if (name == "big.bmp")
            return TFilePreview{Filled(4000, 2000), QSize(4000, 2000)};
        if (name == "tiny.bmp")
            return TFilePreview{Filled(16, 8), QSize(16, 8)};
        if (name == "wide.bmp")
            return TFilePreview{Filled(400, 200), QSize(400, 200)};
        if (name == "small.bmp")
            return TFilePreview{Filled(100, 50), QSize(100, 50)};
        if (EndsWith(name, ".bmp") || EndsWith(name, ".jpg"))
            return TFilePreview{Filled(64, 48), QSize(640, 480)};
        return std::nullopt;
    }
};

// Lets queued work (the file system model's loading thread reports through the event loop) run
// until done holds, for five seconds at most.
bool WaitFor(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(5000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

// A folder of files for every kind of row, a sub-folder, and the dialog shown on it.
class OpenPictureDialogTest : public ::testing::Test {
protected:
    OpenPictureDialogTest()
        : FDialog(nullptr, PictureRows(), [this](const std::string& name) { return FPictures(name); }) {
        for (const char* name : {"a.jpg", "b.TIF", "c.bmp", "d.gif", "e.txt"})
            FDir.Write(name, {1, 2, 3});
        std::filesystem::create_directory(FDir.Path("sub"));
        FFolder = QDir(QString::fromStdString(FDir.Path(""))).canonicalPath();
        FDialog.setDirectory(FFolder);
        FDialog.show();
    }

    QString File(const std::string& name) const { return FFolder + u'/' + QString::fromStdString(name); }
    std::string Write(const std::string& name) const { return FDir.Write(name, {1, 2, 3}); }

    QFileSystemModel& Files() const {
        return *qobject_cast<QFileSystemModel*>(FDialog.proxyModel()->sourceModel());
    }

    // Waits until the file system model holds every entry of the folder, whatever the filter.
    bool FolderLoaded() const {
        return WaitFor([this] {
            QFileSystemModel& files = Files();
            const QModelIndex folder = files.index(FFolder);
            if (files.canFetchMore(folder))
                files.fetchMore(folder);
            return files.rowCount(folder) == 6;
        });
    }

    std::set<QString> Listed() const {
        const QAbstractProxyModel& proxy = *FDialog.proxyModel();
        const QModelIndex folder = proxy.mapFromSource(Files().index(FFolder));
        std::set<QString> names;
        for (int row = 0; row < proxy.rowCount(folder); ++row)
            names.insert(proxy.index(row, 0, folder).data().toString());
        return names;
    }

    QComboBox& FileTypeBox() const {
        auto* box = FDialog.findChild<QComboBox*>("fileTypeCombo");
        if (box == nullptr)
            throw std::runtime_error("no file type box");
        return *box;
    }

    test::TempDir FDir;
    QString FFolder;
    TFakePictures FPictures;
    TOpenPictureDialog FDialog;
};

TEST_F(OpenPictureDialogTest, IsAnOpenDialogThatShowsTheRowTextsWithTheFirstSelected) {
    QFileDialog plain;
    plain.setOption(QFileDialog::DontUseNativeDialog);
    plain.setFileMode(QFileDialog::ExistingFile);
    EXPECT_EQ(FDialog.windowTitle(), plain.windowTitle());
    EXPECT_FALSE(FDialog.windowTitle().isEmpty());
    EXPECT_TRUE(FDialog.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(FDialog.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(FDialog.acceptMode(), QFileDialog::AcceptOpen);

    const QComboBox& box = FileTypeBox();
    ASSERT_EQ(static_cast<std::size_t>(box.count()), PictureRows().size());
    for (int row = 0; row < box.count(); ++row)
        EXPECT_EQ(box.itemText(row).toStdString(), PictureRows()[static_cast<std::size_t>(row)].Text);
    EXPECT_EQ(box.currentIndex(), 0);
    EXPECT_EQ(FDialog.selectedNameFilter().toStdString(), PictureRows()[0].Text);
    EXPECT_EQ(FDialog.FilterRow(), 0u);
}

struct TFilterCase {
    const char* Name;
    std::size_t Row;
    std::set<QString> Listed;
};
void PrintTo(const TFilterCase& row, std::ostream* os) { *os << row.Name << " row " << row.Row; }

class OpenPictureDialogFilterTest : public OpenPictureDialogTest,
                                    public ::testing::WithParamInterface<TFilterCase> {};

TEST_P(OpenPictureDialogFilterTest, ListsFoldersAndTheFilesTheRowsMasksMatch) {
    FDialog.SelectFilterRow(GetParam().Row);
    ASSERT_TRUE(FolderLoaded());
    EXPECT_EQ(FDialog.FilterRow(), GetParam().Row);
    EXPECT_EQ(Listed(), GetParam().Listed);
    EXPECT_EQ(FDialog.selectedNameFilter().toStdString(), PictureRows()[GetParam().Row].Text);
}

INSTANTIATE_TEST_SUITE_P(Rows, OpenPictureDialogFilterTest,
                         ::testing::Values(TFilterCase{"AllPictures", 0, {"a.jpg", "b.TIF", "c.bmp", "sub"}},
                                           TFilterCase{"Jpg", 1, {"a.jpg", "sub"}},
                                           TFilterCase{"TifIgnoresCase", 4, {"b.TIF", "sub"}},
                                           TFilterCase{"Bmp", 5, {"c.bmp", "sub"}},
                                           TFilterCase{"NoMatchLeavesTheFolder", 6, {"sub"}}),
                         [](const ::testing::TestParamInfo<TFilterCase>& row) {
                             return std::string(row.param.Name);
                         });

TEST_F(OpenPictureDialogTest, TheUsersChoiceOfRowFiltersToo) {
    ASSERT_TRUE(FolderLoaded());
    EXPECT_EQ(Listed(), (std::set<QString>{"a.jpg", "b.TIF", "c.bmp", "sub"}));

    // The arrow key changes the row the way a user does: Qt reads the text's parentheses first.
    QComboBox& box = FileTypeBox();
    box.setFocus();
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(&box, &down);
    ASSERT_EQ(box.currentIndex(), 1);

    EXPECT_EQ(FDialog.FilterRow(), 1u);
    EXPECT_TRUE(Files().nameFilters().isEmpty());
    ASSERT_TRUE(FolderLoaded()); // Qt's own filtering would hide files from the model itself
    EXPECT_EQ(Listed(), (std::set<QString>{"a.jpg", "sub"}));
}

TEST_F(OpenPictureDialogTest, ListsFoldersBeforeFilesWhenSorted) {
    ASSERT_TRUE(FolderLoaded());
    FDialog.proxyModel()->sort(0, Qt::AscendingOrder);
    ASSERT_TRUE(WaitFor([this] { return Listed().size() == 4; }));
    const QAbstractProxyModel& proxy = *FDialog.proxyModel();
    const QModelIndex folder = proxy.mapFromSource(Files().index(FFolder));
    EXPECT_EQ(proxy.index(0, 0, folder).data().toString(), "sub");
}

TEST_F(OpenPictureDialogTest, StartsWithNoPicture) {
    EXPECT_EQ(FDialog.PictureCaption(), "Picture:");
    EXPECT_FALSE(FDialog.HasPicture());
    EXPECT_EQ(FDialog.PaneText(), "(None)");
    EXPECT_FALSE(FDialog.PreviewButton().isEnabled());
    EXPECT_EQ(FDialog.PreviewButton().toolTip(), "Preview");
    EXPECT_EQ(FDialog.CreatePreviewWindow(), nullptr);
}

TEST_F(OpenPictureDialogTest, APictureShowsItsOriginalSizeAndEnablesThePreview) {
    FDialog.ShowPictureOf(File("c.bmp"));
    EXPECT_EQ(FDialog.PictureCaption(), " (640x480)");
    EXPECT_TRUE(FDialog.HasPicture());
    EXPECT_EQ(FDialog.PaneText(), "");
    EXPECT_EQ(FDialog.ShownPictureSize(), QSize(64, 48));
    EXPECT_TRUE(FDialog.PreviewButton().isEnabled());
    EXPECT_EQ(FPictures.Calls, std::vector<std::string>{File("c.bmp").toStdString()});
}

TEST_F(OpenPictureDialogTest, MakingAFileCurrentInTheListShowsItsPicture) {
    ASSERT_TRUE(FolderLoaded());
    auto* list = FDialog.findChild<QListView*>("listView");
    ASSERT_NE(list, nullptr);
    // What a click does: the view's current index moves, and the dialog reports currentChanged.
    list->setCurrentIndex(FDialog.proxyModel()->mapFromSource(Files().index(File("a.jpg"))));
    EXPECT_TRUE(FDialog.HasPicture());
    EXPECT_EQ(FDialog.PictureCaption(), " (640x480)");
    ASSERT_FALSE(FPictures.Calls.empty());
    EXPECT_EQ(FPictures.Calls.back(), File("a.jpg").toStdString());
}

struct TNoPictureCase {
    const char* Name;
    const char* File;
    bool Create;
    bool ProviderAsked;
};
void PrintTo(const TNoPictureCase& row, std::ostream* os) { *os << row.Name << " " << row.File; }

class OpenPictureDialogNoPictureTest : public OpenPictureDialogTest,
                                       public ::testing::WithParamInterface<TNoPictureCase> {};

TEST_P(OpenPictureDialogNoPictureTest, LeavesThePaneEmpty) {
    if (GetParam().Create)
        Write(GetParam().File);
    FDialog.ShowPictureOf(File("c.bmp")); // a picture first, so that each case has one to clear
    ASSERT_TRUE(FDialog.HasPicture());
    FPictures.Calls.clear();

    FDialog.ShowPictureOf(File(GetParam().File));
    EXPECT_EQ(FDialog.PictureCaption(), "Picture:");
    EXPECT_FALSE(FDialog.HasPicture());
    EXPECT_EQ(FDialog.PaneText(), "(None)");
    EXPECT_TRUE(FDialog.ShownPictureSize().isEmpty());
    EXPECT_FALSE(FDialog.PreviewButton().isEnabled());
    EXPECT_EQ(FDialog.CreatePreviewWindow(), nullptr);
    EXPECT_EQ(FPictures.Calls.size(), GetParam().ProviderAsked ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Files, OpenPictureDialogNoPictureTest,
    ::testing::Values(TNoPictureCase{"MissingFile", "missing.bmp", false, false},
                      TNoPictureCase{"Folder", "sub", false, false},
                      TNoPictureCase{"NothingLoads", "e.txt", false, true},
                      TNoPictureCase{"EmptyPicture", "empty.bmp", true, true},
                      TNoPictureCase{"ProviderThrows", "throws.bmp", true, true},
                      TNoPictureCase{"ProviderThrowsNonException", "throws-int.bmp", true, true}),
    [](const ::testing::TestParamInfo<TNoPictureCase>& row) { return std::string(row.param.Name); });

TEST_F(OpenPictureDialogTest, TheEmptyFileNameShowsNoPicture) {
    FDialog.ShowPictureOf(File("c.bmp"));
    FDialog.ShowPictureOf(QString());
    EXPECT_FALSE(FDialog.HasPicture());
    EXPECT_EQ(FDialog.PictureCaption(), "Picture:");
}

TEST_F(OpenPictureDialogTest, ScalesABigPictureDownToThePaneAndShowsASmallOneAsItIs) {
    Write("big.bmp");
    Write("tiny.bmp");
    FDialog.ShowPictureOf(File("big.bmp"));
    const QSize shown = FDialog.ShownPictureSize();
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_LT(shown.width(), 4000);
    // Proportional: half as high as wide, to the pixel that truncation may take.
    EXPECT_NEAR(shown.height(), shown.width() / 2, 1);

    FDialog.ShowPictureOf(File("tiny.bmp"));
    EXPECT_EQ(FDialog.ShownPictureSize(), QSize(16, 8));
    EXPECT_EQ(FDialog.PictureCaption(), " (16x8)");
}

struct TClientCase {
    const char* Name;
    QSize Picture;
    QSize Screen;
    QSize Client;
};
void PrintTo(const TClientCase& row, std::ostream* os) {
    *os << row.Name << " " << row.Picture.width() << "x" << row.Picture.height() << " on "
        << row.Screen.width() << "x" << row.Screen.height();
}

class PreviewClientSizeTest : public ::testing::TestWithParam<TClientCase> {};

TEST_P(PreviewClientSizeTest, AddsTheBorderWithinThreeQuartersOfTheScreen) {
    EXPECT_EQ(PreviewClientSize(GetParam().Picture, GetParam().Screen), GetParam().Client);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, PreviewClientSizeTest,
    ::testing::Values(TClientCase{"SmallPicture", {640, 480}, {1920, 1080}, {660, 500}},
                      TClientCase{"WiderThanTheScreenAllows", {2000, 300}, {1920, 1080}, {1440, 320}},
                      TClientCase{"TallerThanTheScreenAllows", {300, 1000}, {1920, 1080}, {320, 810}},
                      TClientCase{"Both", {4000, 3000}, {1920, 1080}, {1440, 810}},
                      TClientCase{"JustFits", {1420, 790}, {1920, 1080}, {1440, 810}},
                      TClientCase{"QuarterTruncates", {2000, 2000}, {1023, 767}, {767, 575}},
                      TClientCase{"NoScreen", {640, 480}, {}, {660, 500}}),
    [](const ::testing::TestParamInfo<TClientCase>& row) { return std::string(row.param.Name); });

TEST_F(OpenPictureDialogTest, PreviewIsAModalToolWindowSizedForThePicture) {
    Write("small.bmp");
    FDialog.ShowPictureOf(File("small.bmp"));
    const std::unique_ptr<TPicturePreviewWindow> window = FDialog.CreatePreviewWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Preview");
    EXPECT_EQ(window->windowType(), Qt::Tool);
    EXPECT_TRUE(window->isModal());
    EXPECT_EQ(window->size(), QSize(120, 70));

    window->show();
    const QRect screen = FDialog.screen()->geometry();
    EXPECT_LE((window->geometry().center() - screen.center()).manhattanLength(), 2);
    EXPECT_EQ(window->ShownPictureSize(), QSize(100, 50));
}

TEST_F(OpenPictureDialogTest, PreviewOfABigPictureStaysWithinTheScreen) {
    Write("big.bmp");
    FDialog.ShowPictureOf(File("big.bmp"));
    const std::unique_ptr<TPicturePreviewWindow> window = FDialog.CreatePreviewWindow();
    ASSERT_NE(window, nullptr);
    const QSize screen = FDialog.screen()->geometry().size();
    EXPECT_EQ(window->size(), QSize(screen.width() * 3 / 4, screen.height() * 3 / 4));
    window->show();
    const QSize shown = window->ShownPictureSize();
    EXPECT_LE(shown.width(), window->width() - 10);
    EXPECT_LE(shown.height(), window->height() - 10);
    EXPECT_TRUE(shown.width() == window->width() - 10 || shown.height() == window->height() - 10);
}

TEST_F(OpenPictureDialogTest, PreviewRescalesWhenResizedAndClosesOnEscape) {
    Write("wide.bmp");
    FDialog.ShowPictureOf(File("wide.bmp"));
    const std::unique_ptr<TPicturePreviewWindow> window = FDialog.CreatePreviewWindow();
    ASSERT_NE(window, nullptr);
    window->show();
    EXPECT_EQ(window->ShownPictureSize(), QSize(400, 200));

    window->resize(110, 110); // 100 by 100 inside the border
    EXPECT_EQ(window->ShownPictureSize(), QSize(100, 50));

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(window.get(), &escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
}

} // namespace
} // namespace tintwell
