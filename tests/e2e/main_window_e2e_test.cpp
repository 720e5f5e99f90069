// The real program on a real X server: start tintwell, find its window, read its swatches off a
// screenshot, type a colour into the HTML field with xdotool and read the swatches again.
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QThread>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

#include "colour/colour.h"
#include "e2e/atspi.h"
#include "e2e/x_session.h"

using namespace std::chrono_literals;

namespace tintwell::test {
namespace {

// Where the command line put them: the program under test and the folder for screenshots.
QString gProgram;
QString gShotFolder;

QRgb ToQRgb(TColor color) { return qRgb(GetRValue(color), GetGValue(color), GetBValue(color)); }

// Whether an area holds more than one colour: a window mapped but not yet painted is one plain fill.
bool ShowsSeveralColours(const QImage& area) {
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            if (area.pixel(x, y) != area.pixel(0, 0))
                return true;
    return false;
}

std::string HexOf(QRgb pixel) { return ColorToHTML(RGB(qRed(pixel), qGreen(pixel), qBlue(pixel))); }

// A point well inside each swatch, in client coordinates; shpAvgInv is sampled away from the
// corner that shpAvgInvCorrected covers.
struct TSwatchPoint {
    const char* Name;
    QPoint Point;
};
constexpr QPoint kPaletteOrigin{16, 506};
const TSwatchPoint kAvg{"shpAvg", {338, 409}};
const TSwatchPoint kAvgInv{"shpAvgInv", {405, 372}};
const TSwatchPoint kAvgInvCorrected{"shpAvgInvCorrected", {470, 440}};
const TSwatchPoint kSchemes[5] = {{"shpScheme1", kPaletteOrigin + QPoint(38, 51)},
                                  {"shpScheme2", kPaletteOrigin + QPoint(136, 51)},
                                  {"shpScheme3", kPaletteOrigin + QPoint(234, 51)},
                                  {"shpScheme4", kPaletteOrigin + QPoint(332, 51)},
                                  {"shpScheme5", kPaletteOrigin + QPoint(430, 51)}};

// The eight swatch colours of one current colour in "Maximized" mode: original, inverse,
// corrected, then the palette. Written out (as tintwell-cli show prints them), so that this test
// checks the window against known values rather than against the code it runs.
struct TSwatchColours {
    const char* Codes[8];
};
const TSwatchColours kMidGray{
    {"#808080", "#7F7F7F", "#FFFFFF", "#CCCCCC", "#808080", "#CCCCCC", "#808080", "#808080"}};
const TSwatchColours kTyped{
    {"#3C9F4E", "#C360B1", "#FF9CED", "#59EB74", "#6B9E3C", "#9FEB59", "#616161", "#9E9E9E"}};
// The average of a plain RGB(50, 100, 150) image: one level above in each channel.
const TSwatchColours kPlainImage{
    {"#336597", "#CC9A68", "#FFCD9B", "#4D98E3", "#968633", "#E3B14D", "#696969", "#969696"}};

std::vector<std::pair<const TSwatchPoint*, QRgb>> ExpectedSwatches(const TSwatchColours& colours) {
    const TSwatchPoint* const points[8] = {&kAvg,        &kAvgInv,     &kAvgInvCorrected, &kSchemes[0],
                                           &kSchemes[1], &kSchemes[2], &kSchemes[3],      &kSchemes[4]};
    std::vector<std::pair<const TSwatchPoint*, QRgb>> expected;
    for (int i = 0; i < 8; ++i)
        expected.emplace_back(points[i], ToQRgb(HTMLToColor(colours.Codes[i])));
    return expected;
}

bool SwatchesShow(const QImage& screen, QPoint client,
                  const std::vector<std::pair<const TSwatchPoint*, QRgb>>& expected) {
    for (const auto& [swatch, rgb] : expected)
        if ((screen.pixel(client + swatch->Point) & 0xFFFFFF) != (rgb & 0xFFFFFF))
            return false;
    return true;
}

class MainWindowOnX : public ::testing::Test {
protected:
    void SetUp() override {
        FProgram.setProgram(gProgram);
        // Qt offers its accessibility tree over AT-SPI only when asked; screen readers ask.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        FProgram.setProcessEnvironment(environment);
        FProgram.setProcessChannelMode(QProcess::ForwardedChannels);
        FProgram.start();
        ASSERT_TRUE(FProgram.waitForStarted(10000)) << gProgram.toStdString();
        FWindow = WaitForWindow("Tintwell 0.41", 30s);
        ASSERT_NE(FWindow, 0UL) << "no window titled \"Tintwell 0.41\" appeared";
        FClient = WindowGeometry(FWindow);
    }
    void TearDown() override { Stop(FProgram); }

    QImage WaitForSwatches(const TSwatchColours& colours, std::chrono::milliseconds timeout = 20s) {
        const auto expected = ExpectedSwatches(colours);
        return WaitForScreen([&](const QImage& s) { return SwatchesShow(s, FClient.topLeft(), expected); },
                             timeout);
    }

    // Alt+O on the window at mid gray; the open dialog's window, or 0.
    unsigned long OpenDialogWithAltO() {
        WaitForSwatches(kMidGray);
        const QString window = QString::number(FWindow);
        XDoTool({"windowfocus", "--sync", window});
        XDoTool({"key", "--window", window, "alt+o"});
        return WaitForWindow("Open", 20s);
    }

    // Clicks into a field of the window, replaces its text by typing and leaves it with Tab.
    void TypeInto(QPoint fieldTopLeft, const QString& text) {
        const QString window = QString::number(FWindow);
        XDoTool({"windowfocus", "--sync", window});
        const QPoint field = FClient.topLeft() + fieldTopLeft + QPoint(30, 10);
        XDoTool({"mousemove", "--sync", QString::number(field.x()), QString::number(field.y())});
        XDoTool({"click", "1"});
        XDoTool({"key", "--window", window, "ctrl+a"});
        XDoTool({"type", "--window", window, "--delay", "20", text});
        XDoTool({"key", "--window", window, "Tab"});
    }

    void ExpectSwatches(const QImage& screen, const TSwatchColours& colours) {
        for (const auto& [swatch, rgb] : ExpectedSwatches(colours))
            EXPECT_EQ(HexOf(screen.pixel(FClient.topLeft() + swatch->Point)), HexOf(rgb)) << swatch->Name;
    }

    QProcess FProgram;
    unsigned long FWindow = 0;
    QRect FClient;
};

TEST_F(MainWindowOnX, OpensCentredWithTheDesignedClientSize) {
    EXPECT_EQ(FClient.size(), QSize(511, 652));
    // Centred by its outer size 519 x 686 on the 1920 x 1080 screen; no window manager adds a frame.
    EXPECT_EQ(FClient.topLeft(), QPoint((1920 - 519) / 2, (1080 - 686) / 2));
}

TEST_F(MainWindowOnX, StartsWithMidGrayAndItsDerivedColours) {
    const QImage screen = WaitForSwatches(kMidGray);
    EXPECT_EQ(HexOf(screen.pixel(FClient.topLeft() + kAvg.Point)), "#808080");
    ExpectSwatches(screen, kMidGray);
    screen.copy(FClient).save(gShotFolder + "/main_window_start.png");
}

TEST_F(MainWindowOnX, TypingAnHtmlCodeAndTabbingShowsItsColours) {
    WaitForSwatches(kMidGray);
    TypeInto({53, 472}, "3c9f4e"); // dfHTML
    const QImage screen = WaitForSwatches(kTyped);
    ExpectSwatches(screen, kTyped);
    screen.copy(FClient).save(gShotFolder + "/main_window_typed.png");
}

// Alt+O opens the real open dialog over the window; Esc cancels it and nothing changes.
TEST_F(MainWindowOnX, AltOOpensTheDialogAndEscCancelsIt) {
    const unsigned long dialog = OpenDialogWithAltO();
    ASSERT_NE(dialog, 0UL) << "Alt+O opened no dialog";
    // Mapped is not yet painted: wait until the dialog's area shows something else than the window.
    const QRect area = WindowGeometry(dialog);
    const QImage under = GrabScreen().copy(area);
    WaitForScreen([&](const QImage& s) { return s.copy(area) != under; }, 20s);
    QThread::msleep(300); // let the file list settle for the picture
    GrabScreen().copy(area).save(gShotFolder + "/open_dialog.png");
    XDoTool({"windowfocus", "--sync", QString::number(dialog)});
    XDoTool({"key", "--window", QString::number(dialog), "Escape"});
    EXPECT_TRUE(WaitUntilGone("Open", 10s)) << "Esc left the dialog open";
    ExpectSwatches(WaitForSwatches(kMidGray), kMidGray);
}

// The whole road through the real dialog: type a file name, press Enter, see the picture and its
// average colour.
TEST_F(MainWindowOnX, OpeningAnImageShowsItAndItsAverageColour) {
    const QString file = QDir(gShotFolder).filePath("plain.bmp");
    QImage plain(200, 100, QImage::Format_RGB888);
    plain.fill(QColor(50, 100, 150));
    ASSERT_TRUE(plain.save(file, "BMP"));
    const unsigned long dialog = OpenDialogWithAltO();
    ASSERT_NE(dialog, 0UL);
    XDoTool({"windowfocus", "--sync", QString::number(dialog)});
    XDoTool({"type", "--window", QString::number(dialog), "--delay", "10", file});
    XDoTool({"key", "--window", QString::number(dialog), "Return"});

    const auto expected = ExpectedSwatches(kPlainImage);
    // The 200 x 100 picture sits at its own size in the middle of the 476 x 316 preview.
    const QPoint pictureCentre = FClient.topLeft() + QPoint(16 + 2 + 238, 15 + 2 + 158);
    const QImage screen = WaitForScreen(
        [&](const QImage& s) {
            return SwatchesShow(s, FClient.topLeft(), expected) &&
                   s.pixel(pictureCentre) == qRgb(50, 100, 150);
        },
        20s);
    ExpectSwatches(screen, kPlainImage);
    EXPECT_EQ(HexOf(screen.pixel(pictureCentre)), "#326496");
    screen.copy(FClient).save(gShotFolder + "/main_window_image.png");
}

// A channel text that is no whole number reaches the real error box once; closing it leaves the
// text for correction and opens no second box.
TEST_F(MainWindowOnX, AConversionErrorShowsOneBoxAndKeepsTheText) {
    WaitForSwatches(kMidGray);
    TypeInto({53, 392}, "1.0"); // dfR
    const unsigned long box = WaitForWindow("Tintwell", 20s);
    ASSERT_NE(box, 0UL) << "no error box";
    // A second box would come from the focus moving into this one, which happens as it is shown,
    // before its modal loop first paints it: once the box shows its text and button, the count
    // of boxes is final.
    const QRect area = WindowGeometry(box);
    const QImage painted =
        WaitForScreen([&](const QImage& s) { return ShowsSeveralColours(s.copy(area)); }, 20s);
    ASSERT_TRUE(ShowsSeveralColours(painted.copy(area))) << "the box was never painted";
    EXPECT_EQ(XDoTool({"search", "--onlyvisible", "--name", "^Tintwell$"}).split('\n').size(), 1);
    painted.copy(area).save(gShotFolder + "/error_box.png");
    // OK sits in the box's lower right corner; a real click there closes it whatever holds the
    // keyboard focus (with no window manager, nothing hands it to the box reliably).
    const QPoint ok = area.bottomRight() - QPoint(56, 20);
    XDoTool({"mousemove", "--sync", QString::number(ok.x()), QString::number(ok.y())});
    XDoTool({"click", "1"});
    EXPECT_TRUE(WaitUntilGone("Tintwell", 10s)) << "a box is still open";
    // The text stays (seen in the screenshot); the colour is unchanged.
    const QImage screen = WaitForSwatches(kMidGray, 5s);
    ExpectSwatches(screen, kMidGray);
    screen.copy(FClient).save(gShotFolder + "/main_window_after_error.png");
}

// What a screen reader hears: the names (and the swatches' colour codes) arrive over AT-SPI.
TEST_F(MainWindowOnX, ScreenReadersGetEveryControlsName) {
    const auto names = ReadAccessibleNames("Tintwell", 25, 30s);
    ASSERT_FALSE(names.empty()) << "no application named Tintwell on the accessibility bus";
    // The column labels carry the same words as the swatches; the swatch is the one described.
    const auto hasSwatch = [&](const char* name, const char* colour) {
        const auto [first, last] = names.equal_range(name);
        for (auto it = first; it != last; ++it)
            if (it->second == colour)
                return true;
        return false;
    };
    for (const char* field : {"Red original", "Green original", "Blue original", "HTML original",
                              "Red inverse", "Green inverse", "Blue inverse", "HTML inverse", "Red corrected",
                              "Green corrected", "Blue corrected", "HTML corrected", "Open Image"})
        EXPECT_EQ(names.count(field), 1U) << field;
    EXPECT_TRUE(hasSwatch("original average", "#808080"));
    EXPECT_TRUE(hasSwatch("inverse", "#7F7F7F"));
    EXPECT_TRUE(hasSwatch("corrected", "#FFFFFF"));
    const char* const schemes[5] = {"#CCCCCC", "#808080", "#CCCCCC", "#808080", "#808080"};
    for (int i = 0; i < 5; ++i) {
        const std::string name = "Palette " + std::to_string(i + 1);
        EXPECT_TRUE(hasSwatch(name.c_str(), schemes[i])) << name;
    }
}

} // namespace
} // namespace tintwell::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: main_window_e2e_test PROGRAM SCREENSHOT_FOLDER [gtest options]\n");
        return 2;
    }
    tintwell::test::gProgram = QString::fromLocal8Bit(argv[1]);
    tintwell::test::gShotFolder = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(tintwell::test::gShotFolder);

    tintwell::test::TSessionBus session;
    if (!session.Started()) {
        std::fprintf(stderr, "dbus-daemon did not start\n");
        return 1;
    }
    tintwell::test::TXServer server;
    if (server.Display().isEmpty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    setenv("DISPLAY", server.Display().toLocal8Bit().constData(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    // The program under test needs no window manager's help with the focus.
    unsetenv("WAYLAND_DISPLAY");
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
