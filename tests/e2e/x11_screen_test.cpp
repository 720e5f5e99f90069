// The platform's screen on a real X server, in device pixels: a 3200 x 1080 Xvfb split into two
// monitors (1920 x 1080 on the left, primary, and 1280 x 1024 on the right), its root window painted
// with a pattern whose pixels encode their coordinates. The pointer is put in place with xdotool.
// CTest runs the program twice: as it is, and with QT_SCALE_FACTOR=2, where Qt's own cursor and
// grab would be off by the scale.
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

#include "e2e/x_session.h"
#include "platform/qt_platform_services.h"
#include "platform/x11_screen.h"

namespace tintwell::test {
namespace {

constexpr QSize kRoot(3200, 1080);

QRgb Opaque(QRgb rgb) { return rgb | 0xff000000u; }

class X11ScreenOnXvfb : public ::testing::Test {
protected:
    void MovePointer(QPoint to) {
        XDoTool({"mousemove", "--sync", QString::number(to.x()), QString::number(to.y())});
    }
    TQtPlatformServices FPlatform{"/nonexistent/settings.conf"}; // never read here
};

TEST_F(X11ScreenOnXvfb, ThePointerIsInDevicePixels) {
    for (const QPoint at : {QPoint(1001, 501), QPoint(0, 0), QPoint(2500, 700), QPoint(3199, 1079)}) {
        MovePointer(at);
        EXPECT_EQ(FPlatform.CursorPos(), at);
    }
}

struct SquareCase {
    const char* name;
    QPoint centre;
    int size;
};

const SquareCase kSquares[] = {
    {"three", {1001, 501}, 3},
    {"default_21", {1001, 501}, 21},
    {"top_left_corner", {0, 0}, 21},
    {"bottom_right_corner", {3199, 1079}, 21},
    {"second_monitor", {2500, 700}, 201},
    {"largest", {960, 540}, 1920},
};

class X11ScreenSquare : public X11ScreenOnXvfb, public ::testing::WithParamInterface<SquareCase> {};

// The N x N square around a pixel, black where it reaches past the root window.
TEST_P(X11ScreenSquare, IsCopiedUnclippedAndUnshifted) {
    const SquareCase& row = GetParam();
    const int half = (row.size - 1) / 2;
    const QRect area(row.centre - QPoint(half, half), QSize(row.size, row.size));
    QImage capture;
    ASSERT_TRUE(FPlatform.GrabScreen(area, capture));
    ASSERT_EQ(capture.size(), area.size());
    ASSERT_EQ(capture.format(), QImage::Format_RGB32);
    for (const QPoint at : {QPoint(0, 0), QPoint(row.size - 1, 0), QPoint(0, row.size - 1),
                            QPoint(row.size - 1, row.size - 1), QPoint(half, half), QPoint(half, 0)}) {
        const QPoint onRoot = area.topLeft() + at;
        const QRgb expected =
            QRect(QPoint(0, 0), kRoot).contains(onRoot) ? Encoded(onRoot.x(), onRoot.y()) : qRgb(0, 0, 0);
        EXPECT_EQ(capture.pixel(at), Opaque(expected)) << at.x() << "," << at.y();
    }
}

INSTANTIATE_TEST_SUITE_P(, X11ScreenSquare, ::testing::ValuesIn(kSquares),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(X11ScreenOnXvfb, ReadsIntoTheSameBufferTickAfterTick) {
    QImage capture;
    ASSERT_TRUE(FPlatform.GrabScreen(QRect(100, 100, 201, 201), capture));
    const uchar* buffer = capture.constBits();
    ASSERT_TRUE(FPlatform.GrabScreen(QRect(300, 200, 201, 201), capture));
    EXPECT_EQ(capture.constBits(), buffer);
    EXPECT_EQ(capture.pixel(100, 100), Opaque(Encoded(400, 300)));
    const std::unique_ptr<TX11Screen> screen = TX11Screen::ForApplication();
    ASSERT_NE(screen, nullptr);
    EXPECT_TRUE(screen->UsesSharedMemory());
}

TEST_F(X11ScreenOnXvfb, ThePrimaryScreenIsTheLeftMonitorInDevicePixels) {
    // Qt lists xrandr's two monitors (and, on Xvfb, the output's own monitor over both).
    ASSERT_EQ(QGuiApplication::primaryScreen()->name(), "L");
    const QList<QScreen*> screens = QGuiApplication::screens();
    EXPECT_TRUE(
        std::any_of(screens.begin(), screens.end(), [](const QScreen* s) { return s->name() == "R"; }));
    EXPECT_EQ(FPlatform.PrimaryScreenPixels(), QSize(1920, 1080));
    const qreal ratio = QGuiApplication::primaryScreen()->devicePixelRatio();
    EXPECT_EQ(FPlatform.PrimaryScreenSize(), (QSizeF(1920, 1080) / ratio).toSize());
    EXPECT_EQ(ratio, qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? 2.0 : 1.0);
}

// Sets the root window's size as a display settings tool does: the output's mode and the
// framebuffer with it. Whether xrandr took it.
bool SetRootSize(QSize size) {
    const QString mode = QString("%1x%2").arg(size.width()).arg(size.height());
    return QProcess::execute("xrandr", {"--output", "screen", "--mode", mode, "--fb", mode}) == 0;
}

// Makes a mode the server's one output can be set to (Xvfb lists only its starting size).
bool AddOutputMode(QSize size) {
    const QString mode = QString("%1x%2").arg(size.width()).arg(size.height());
    const QString w = QString::number(size.width());
    const QString h = QString::number(size.height());
    return QProcess::execute("xrandr", {"--newmode", mode, "0", w, "0", "0", "0", h, "0", "0", "0"}) == 0 &&
           QProcess::execute("xrandr", {"--addmode", "screen", mode}) == 0;
}

// Runs change, then the event loop until Qt reports a screen added, removed or changed in
// geometry; whether it did within timeout.
bool ChangeAndWaitForQt(const std::function<bool()>& change, std::chrono::milliseconds timeout) {
    QEventLoop loop;
    bool reported = false;
    const auto report = [&] {
        reported = true;
        loop.quit();
    };
    QObject::connect(qGuiApp, &QGuiApplication::screenAdded, &loop, report);
    QObject::connect(qGuiApp, &QGuiApplication::screenRemoved, &loop, report);
    for (QScreen* screen : QGuiApplication::screens())
        QObject::connect(screen, &QScreen::geometryChanged, &loop, report);
    if (!change())
        return false;
    QTimer::singleShot(timeout, &loop, &QEventLoop::quit);
    if (!reported)
        loop.exec();
    return reported;
}

// The root's size is kept between reads; a change Qt reports makes the next read ask again, so a
// root that shrank is not asked for pixels it no longer has (the server would refuse the read),
// and one that grew is read whole (not black past its old edge).
TEST_F(X11ScreenOnXvfb, TheRootSizeFollowsAScreenChange) {
    constexpr QSize kSmaller(1920, 1080);
    const QRect onTheRight(2490, 690, 21, 21);
    const QRect acrossTheEdge(1910, 490, 21, 21);
    // The server as the other tests of this run expect it, on every way out: a framebuffer that
    // changed size has lost the pattern (the two monitors stay as they were set).
    struct TRestore {
        ~TRestore() { EXPECT_TRUE(SetRootSize(kRoot) && PaintRootPattern(kRoot)); }
    } restore;
    QImage capture;
    ASSERT_TRUE(FPlatform.GrabScreen(onTheRight, capture));
    ASSERT_EQ(capture.pixel(10, 10), Opaque(Encoded(2500, 700)));
    ASSERT_TRUE(AddOutputMode(kSmaller));

    ASSERT_TRUE(ChangeAndWaitForQt([&] { return SetRootSize(kSmaller); }, std::chrono::seconds(10)));
    ASSERT_TRUE(PaintRootPattern(kSmaller));
    ASSERT_TRUE(FPlatform.GrabScreen(acrossTheEdge, capture)) << "read with the root's old size";
    EXPECT_EQ(capture.pixel(9, 10), Opaque(Encoded(1919, 500)));
    EXPECT_EQ(capture.pixel(10, 10), Opaque(qRgb(0, 0, 0))) << "past the smaller root";

    ASSERT_TRUE(ChangeAndWaitForQt([&] { return SetRootSize(kRoot); }, std::chrono::seconds(10)));
    ASSERT_TRUE(PaintRootPattern(kRoot));
    ASSERT_TRUE(FPlatform.GrabScreen(onTheRight, capture));
    EXPECT_EQ(capture.pixel(10, 10), Opaque(Encoded(2500, 700))) << "black: read with the root's old size";
    ASSERT_TRUE(FPlatform.GrabScreen(acrossTheEdge, capture));
    EXPECT_EQ(capture.pixel(10, 10), Opaque(Encoded(1920, 500)));
}

} // namespace
} // namespace tintwell::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    tintwell::test::TXServer server(tintwell::test::kRoot);
    if (!tintwell::test::UseXServer(server))
        return 1;
    if (!tintwell::test::SetMonitors(QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024))) {
        std::fprintf(stderr, "xrandr could not set the monitors\n");
        return 1;
    }
    if (!tintwell::test::PaintRootPattern(tintwell::test::kRoot)) {
        std::fprintf(stderr, "could not paint the root window\n");
        return 1;
    }
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
