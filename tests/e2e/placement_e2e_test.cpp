// A window keeps its placement across two runs of a real process on a real X server: moved and
// sized in the first run, it comes back there in the second, and the stored numbers do not change
// from run to run. Once bare, once under a window manager that frames its windows (twm).
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>

#include "e2e/x_session.h"

using namespace std::chrono_literals;

namespace tintwell::test {
namespace {

QString gProbe;

// The stored integers of the probe's key, by name.
std::map<QString, int> StoredPlacement(const QString& file) {
    QFile store(file);
    std::map<QString, int> values;
    if (!store.open(QIODevice::ReadOnly))
        return values;
    bool inKey = false;
    static const QRegularExpression dword("^\"(\\w+)\"=dword:(-?\\d+)$");
    for (const QByteArray& raw : store.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.startsWith('['))
            inKey = line == "[Software\\zorVIK\\Quelm\\Forms\\frmPlacementProbe]";
        else if (const QRegularExpressionMatch match = dword.match(line); inKey && match.hasMatch())
            values[match.captured(1)] = match.captured(2).toInt();
    }
    return values;
}

// Polls until the window's client area is where expected; the last geometry seen.
QRect WaitForGeometry(unsigned long window, const std::function<bool(const QRect&)>& done) {
    QElapsedTimer clock;
    clock.start();
    QRect geometry;
    do {
        geometry = WindowGeometry(window);
        if (done(geometry))
            break;
        QThread::msleep(100);
    } while (clock.elapsed() < 10000);
    return geometry;
}

class PlacementOnX : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ASSERT_TRUE(FConfig.isValid());
        if (GetParam()) {
            // Places every window where it asks to be (it asks: the probe has a position), with the
            // one font that every X server has built in.
            QFile rc(FConfig.filePath("twmrc"));
            ASSERT_TRUE(rc.open(QIODevice::WriteOnly));
            rc.write("RandomPlacement\nUsePPosition \"on\"\nNoGrabServer\n"
                     "TitleFont \"fixed\"\nResizeFont \"fixed\"\nMenuFont \"fixed\"\nIconFont \"fixed\"\n"
                     "IconManagerFont \"fixed\"\n");
            rc.close();
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("LANG", "C"); // no fontsets for other character sets to miss
            FWindowManager.setProcessEnvironment(environment);
            FWindowManager.setStandardOutputFile(QProcess::nullDevice());
            FWindowManager.setStandardErrorFile(QProcess::nullDevice());
            FWindowManager.start("twm", {"-f", FConfig.filePath("twmrc")});
            ASSERT_TRUE(FWindowManager.waitForStarted(10000)) << "twm did not start";
            QThread::msleep(500);
        }
    }
    void TearDown() override {
        if (FWindowManager.state() != QProcess::NotRunning)
            Stop(FWindowManager);
    }

    // Starts the probe and waits for its window; 0 if none came.
    unsigned long Start() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", FConfig.path());
        FProbe.setProcessEnvironment(environment);
        FProbe.setProcessChannelMode(QProcess::ForwardedChannels);
        FProbe.start(gProbe, QStringList());
        if (!FProbe.waitForStarted(10000))
            return 0;
        return WaitForWindow("Placement probe", 30s);
    }

    // Closes the window as a user would and waits for the process to end; its exit code or -1.
    int Close(unsigned long window) {
        if (!CloseWindow(window) || !FProbe.waitForFinished(20000)) {
            Stop(FProbe);
            return -1;
        }
        return FProbe.exitStatus() == QProcess::NormalExit ? FProbe.exitCode() : -1;
    }

    QString StoreFile() const { return FConfig.filePath("tintwell/settings.conf"); }

    QTemporaryDir FConfig;
    QProcess FWindowManager;
    QProcess FProbe;
};

TEST_P(PlacementOnX, AWindowComesBackWhereItWasLeft) {
    unsigned long window = Start();
    ASSERT_NE(window, 0UL) << "the probe's window did not appear";
    const QRect designed = WaitForGeometry(window, [](const QRect& g) { return g.width() == 300; });
    EXPECT_EQ(designed.size(), QSize(300, 200));

    XDoTool({"windowsize", QString::number(window), "350", "260"});
    XDoTool({"windowmove", QString::number(window), "420", "310"});
    const QRect left =
        WaitForGeometry(window, [&](const QRect& g) { return g.size() == QSize(350, 260) && g != designed; });
    ASSERT_EQ(left.size(), QSize(350, 260));
    ASSERT_EQ(Close(window), 0);
    const std::map<QString, int> first = StoredPlacement(StoreFile());
    ASSERT_EQ(first.size(), 4u) << "Top, Left, Width and Height as integers";

    window = Start();
    ASSERT_NE(window, 0UL) << "the probe's window did not appear again";
    const QRect back = WaitForGeometry(window, [&](const QRect& g) { return g == left; });
    EXPECT_EQ(back, left) << "the client area where the first run left it";
    ASSERT_EQ(Close(window), 0);
    const std::map<QString, int> second = StoredPlacement(StoreFile());
    EXPECT_EQ(second, first) << "the same numbers again: no growth by the frame, no drift";
    if (GetParam()) {
        EXPECT_GT(first.at("Width"), 350) << "the stored width is the outer one, frame included";
        EXPECT_GT(first.at("Height"), 260);
    } else {
        EXPECT_EQ(first.at("Width"), 350);
        EXPECT_EQ(first.at("Left"), 420);
    }
}

INSTANTIATE_TEST_SUITE_P(, PlacementOnX, ::testing::Values(false, true),
                         [](const auto& row) { return std::string(row.param ? "UnderTwm" : "Bare"); });

} // namespace
} // namespace tintwell::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: placement_e2e_test PROBE [gtest options]\n");
        return 2;
    }
    tintwell::test::gProbe = QString::fromLocal8Bit(argv[1]);
    tintwell::test::TXServer server;
    if (!tintwell::test::UseXServer(server))
        return 1;
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
