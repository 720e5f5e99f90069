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
#include "colour/readouts.h"
#include "e2e/atspi.h"
#include "e2e/x_session.h"

using namespace std::chrono_literals;

namespace tintwell::test {
namespace {

// Where the command line put them: the program under test and the folder for screenshots.
QString gProgram;
QString gShotFolder;

QRgb ToQRgb(TColor color) { return qRgb(GetRValue(color), GetGValue(color), GetBValue(color)); }

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

// Every swatch of the window against the readouts of one colour.
std::vector<std::pair<const TSwatchPoint*, QRgb>> ExpectedSwatches(TColor color) {
    const TColorReadouts readouts = ComputeReadouts(color, TGrayCorrectionMode::gcMaximized);
    std::vector<std::pair<const TSwatchPoint*, QRgb>> expected = {{&kAvg, ToQRgb(readouts.Current)},
                                                                  {&kAvgInv, ToQRgb(readouts.Inverse)},
                                                                  {&kAvgInvCorrected, ToQRgb(readouts.Corrected)}};
    const auto schemes = readouts.Scheme.Schemes();
    for (std::size_t i = 0; i < 5; ++i)
        expected.emplace_back(&kSchemes[i], ToQRgb(schemes[i]));
    return expected;
}

bool SwatchesShow(const QImage& screen, QPoint client, const std::vector<std::pair<const TSwatchPoint*, QRgb>>& expected) {
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
    void TearDown() override {
        FProgram.terminate();
        if (!FProgram.waitForFinished(5000))
            FProgram.kill();
        FProgram.waitForFinished(5000);
    }

    void ExpectSwatches(const QImage& screen, TColor color) {
        for (const auto& [swatch, rgb] : ExpectedSwatches(color))
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
    const auto expected = ExpectedSwatches(RGB(128, 128, 128));
    const QImage screen = WaitForScreen([&](const QImage& s) { return SwatchesShow(s, FClient.topLeft(), expected); }, 20s);
    EXPECT_EQ(HexOf(screen.pixel(FClient.topLeft() + kAvg.Point)), "#808080");
    ExpectSwatches(screen, RGB(128, 128, 128));
    screen.copy(FClient).save(gShotFolder + "/main_window_start.png");
}

TEST_F(MainWindowOnX, TypingAnHtmlCodeAndTabbingShowsItsColours) {
    WaitForScreen([&](const QImage& s) { return SwatchesShow(s, FClient.topLeft(), ExpectedSwatches(RGB(128, 128, 128))); }, 20s);
    const QString window = QString::number(FWindow);
    XDoTool({"windowfocus", "--sync", window});
    // Into dfHTML (53, 472; 60 x 21), replace its text, leave it with Tab.
    const QPoint field = FClient.topLeft() + QPoint(53 + 30, 472 + 10);
    XDoTool({"mousemove", "--sync", QString::number(field.x()), QString::number(field.y())});
    XDoTool({"click", "1"});
    XDoTool({"key", "--window", window, "ctrl+a"});
    XDoTool({"type", "--window", window, "--delay", "20", "3c9f4e"});
    XDoTool({"key", "--window", window, "Tab"});

    const TColor typed = RGB(0x3C, 0x9F, 0x4E);
    const auto expected = ExpectedSwatches(typed);
    const QImage screen = WaitForScreen([&](const QImage& s) { return SwatchesShow(s, FClient.topLeft(), expected); }, 20s);
    ExpectSwatches(screen, typed);
    screen.copy(FClient).save(gShotFolder + "/main_window_typed.png");
}

// Alt+O opens the real open dialog over the window; Esc cancels it and nothing changes.
TEST_F(MainWindowOnX, AltOOpensTheDialogAndEscCancelsIt) {
    const auto gray = ExpectedSwatches(RGB(128, 128, 128));
    WaitForScreen([&](const QImage& s) { return SwatchesShow(s, FClient.topLeft(), gray); }, 20s);
    const QString window = QString::number(FWindow);
    XDoTool({"windowfocus", "--sync", window});
    XDoTool({"key", "--window", window, "alt+o"});
    const unsigned long dialog = WaitForWindow("Open", 20s);
    ASSERT_NE(dialog, 0UL) << "Alt+O opened no dialog";
    // Mapped is not yet painted: wait until the dialog's area shows something else than the window.
    const QRect area = WindowGeometry(dialog);
    const QImage under = GrabScreen().copy(area);
    QImage shown = WaitForScreen([&](const QImage& s) { return s.copy(area) != under; }, 20s).copy(area);
    QThread::msleep(300); // let the file list settle for the picture
    shown = GrabScreen().copy(area);
    shown.save(gShotFolder + "/open_dialog.png");
    XDoTool({"windowfocus", "--sync", QString::number(dialog)});
    XDoTool({"key", "--window", QString::number(dialog), "Escape"});
    QImage screen;
    for (int i = 0; i < 100 && XDoTool({"search", "--onlyvisible", "--name", "^Open$"}).size() > 0; ++i)
        QThread::msleep(100);
    EXPECT_TRUE(XDoTool({"search", "--onlyvisible", "--name", "^Open$"}).isEmpty()) << "Esc left the dialog open";
    screen = WaitForScreen([&](const QImage& s) { return SwatchesShow(s, FClient.topLeft(), gray); }, 20s);
    ExpectSwatches(screen, RGB(128, 128, 128));
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
    for (const char* field : {"Red original", "Green original", "Blue original", "HTML original", "Red inverse",
                              "Green inverse", "Blue inverse", "HTML inverse", "Red corrected", "Green corrected",
                              "Blue corrected", "HTML corrected", "Open Image"})
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
