// The screen picker end to end: the real program on an Xvfb root of 3840 x 1600 split by xrandr
// into a primary monitor of 2560 x 1600 and a second one of 1280 x 1024 to its right, the root
// painted with a pattern whose pixels encode their coordinates. The picker is opened with its
// button and started with Alt+C; the pointer goes where xdotool puts it; Esc stops; the main
// window's "original average" swatch, read over AT-SPI, must then describe the pattern's pixel under
// the pointer. Once as it is, once with QT_SCALE_FACTOR=2, where every point is a device pixel that
// Qt's logical coordinates cannot name.
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>

#include "colour/colour.h"
#include "e2e/atspi.h"
#include "e2e/x_session.h"

using namespace std::chrono_literals;

namespace tintwell::test {
namespace {

QString gProgram;
constexpr QSize kRoot(3840, 1600);

QString Hex(QRgb rgb) { return QString::fromStdString(ColorToHTML(RGB(qRed(rgb), qGreen(rgb), qBlue(rgb)))); }

// The description of the main window's current-colour swatch, once it is `expected` (or the last
// one seen after timeout).
QString WaitForCurrentColour(const QString& expected, std::chrono::milliseconds timeout = 20s) {
    QElapsedTimer clock;
    clock.start();
    QString seen;
    do {
        // The column label carries the same words; the swatch is the one described.
        const auto names = ReadAccessibleNames("Tintwell", 1, 5s);
        const auto [first, last] = names.equal_range("original average");
        seen.clear();
        for (auto it = first; it != last; ++it)
            if (!it->second.isEmpty())
                seen = it->second;
        if (seen == expected)
            break;
        QThread::msleep(200);
    } while (clock.elapsed() < timeout.count());
    return seen;
}

class PickerOnX : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { ASSERT_TRUE(FConfig.isValid()); }
    void TearDown() override {
        if (FProgram.state() != QProcess::NotRunning)
            Stop(FProgram);
    }

    int Ratio() const { return GetParam(); }

    // Starts the program and opens the picker with its button; false when a window did not come.
    bool StartAndOpenPicker() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        environment.insert("LANG", "C.UTF-8");
        environment.insert("XDG_CONFIG_HOME", FConfig.path());
        if (Ratio() != 1)
            environment.insert("QT_SCALE_FACTOR", QString::number(Ratio()));
        FProgram.setProcessEnvironment(environment);
        FProgram.setProcessChannelMode(QProcess::ForwardedChannels);
        FProgram.start(gProgram, QStringList());
        if (!FProgram.waitForStarted(10000))
            return false;
        FMain = WaitForWindow(QStringLiteral("Tintwell " TINTWELL_PROJECT_VERSION), 30s);
        if (FMain == 0)
            return false;
        FMainClient = WindowGeometry(FMain);
        // Up and accessible, with its first colour shown, before the first click.
        if (WaitForCurrentColour("#808080") != "#808080")
            return false;
        const QPoint button = FMainClient.topLeft() + QPoint(8, 8) * Ratio(); // pbColorPicker, 17 x 17
        XDoTool({"mousemove", "--sync", QString::number(button.x()), QString::number(button.y())});
        QElapsedTimer clock;
        clock.start();
        do {
            XDoTool({"click", "1"});
            FPicker = WaitForWindow("Color Picker", 2s);
        } while (FPicker == 0 && clock.elapsed() < 20000);
        return FPicker != 0;
    }

    // Starts a capture with the button's mnemonic, in the picker window.
    void StartCapture() {
        XDoTool({"windowfocus", "--sync", QString::number(FPicker)});
        XDoTool({"key", "alt+c"});
        QThread::msleep(300);
    }

    // Points at a screen pixel long enough for ticks to copy the square around it.
    static void PointAt(QPoint at) {
        XDoTool({"mousemove", "--sync", QString::number(at.x()), QString::number(at.y())});
        QThread::msleep(400);
    }

    QTemporaryDir FConfig;
    QProcess FProgram;
    unsigned long FMain = 0;
    unsigned long FPicker = 0;
    QRect FMainClient;
};

// Esc after pointing: the pixel under the pointer becomes the main window's colour, on either
// monitor, at the corners and at odd device pixels; a matrix above the designed maximum of 201
// picks the same way.
TEST_P(PickerOnX, EscPicksThePixelUnderThePointer) {
    ASSERT_TRUE(StartAndOpenPicker());
    const QList<QPoint> points = {{0, 0}, {2559, 1599}, {3839, 1023}, {3001, 501}, {2201, 1301}};
    for (const QPoint at : points) {
        StartCapture();
        PointAt(at);
        XDoTool({"key", "Escape"});
        EXPECT_EQ(WaitForCurrentColour(Hex(Encoded(at.x(), at.y()))), Hex(Encoded(at.x(), at.y())))
            << at.x() << "," << at.y();
    }
    // Twenty pages up from 21: 221, beyond the design maximum, allowed once capturing.
    StartCapture();
    XDoTool({"key", "--repeat", "20", "Prior"});
    const QPoint at(2301, 1501);
    PointAt(at);
    XDoTool({"key", "Escape"});
    EXPECT_EQ(WaitForCurrentColour(Hex(Encoded(at.x(), at.y()))), Hex(Encoded(at.x(), at.y())));
}

// A left click on the main window's preview while capturing picks the preview's pixel there.
TEST_P(PickerOnX, ALeftClickOnThePreviewPicksItsPixel) {
    ASSERT_TRUE(StartAndOpenPicker());
    StartCapture();
    const QPoint at = FMainClient.topLeft() + QPoint(18 + 101, 17 + 51) * Ratio();
    PointAt(at);
    const QRgb expected = GrabScreen().pixel(at);
    ASSERT_NE(Hex(expected), "#808080") << "the preview's pixel must differ from the starting colour";
    XDoTool({"click", "1"});
    EXPECT_EQ(WaitForCurrentColour(Hex(expected)), Hex(expected));
}

// Closed gracefully, even while the picker captures, the program exits with 0 and keeps the
// picker's place for the next run.
TEST_P(PickerOnX, ThePickersPlaceIsKeptAcrossRuns) {
    ASSERT_TRUE(StartAndOpenPicker());
    XDoTool({"windowmove", QString::number(FPicker), "601", "703"});
    QThread::msleep(300);
    const QRect moved = WindowGeometry(FPicker);
    ASSERT_EQ(moved.topLeft(), QPoint(601, 703));
    // Closed while the picker captures: its last stop runs and its placement is still stored.
    StartCapture();
    ASSERT_TRUE(CloseWindow(FMain));
    ASSERT_TRUE(FProgram.waitForFinished(20000));
    EXPECT_EQ(FProgram.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(FProgram.exitCode(), 0);

    ASSERT_TRUE(StartAndOpenPicker());
    // Logical pixels are stored; at a ratio of 2 the odd device pixel rounds to an even one.
    const QPoint expected = moved.topLeft() / Ratio() * Ratio();
    QElapsedTimer clock;
    clock.start();
    while (WindowGeometry(FPicker).topLeft() != expected && clock.elapsed() < 10000)
        QThread::msleep(100);
    EXPECT_EQ(WindowGeometry(FPicker).topLeft(), expected);
}

INSTANTIATE_TEST_SUITE_P(, PickerOnX, ::testing::Values(1, 2),
                         [](const auto& row) { return "DevicePixelRatio" + std::to_string(row.param); });

} // namespace
} // namespace tintwell::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: picker_e2e_test PROGRAM [gtest options]\n");
        return 2;
    }
    tintwell::test::gProgram = QString::fromLocal8Bit(argv[1]);
    tintwell::test::TSessionBus session;
    if (!session.Started()) {
        std::fprintf(stderr, "dbus-daemon did not start\n");
        return 1;
    }
    tintwell::test::TXServer server(tintwell::test::kRoot);
    if (!tintwell::test::UseXServer(server))
        return 1;
    if (!tintwell::test::SetMonitors(QRect(0, 0, 2560, 1600), QRect(2560, 0, 1280, 1024)) ||
        !tintwell::test::PaintRootPattern(tintwell::test::kRoot)) {
        std::fprintf(stderr, "could not set up the monitors and the pattern\n");
        return 1;
    }
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
