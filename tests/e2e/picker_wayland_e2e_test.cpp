// Picking in a Wayland session, end to end: the real program as a Wayland client of a headless
// weston, on a private session bus, driven and read over AT-SPI (a Wayland client takes no
// synthetic input from outside). With a fake desktop portal on the bus, the picker's capture makes
// the portal's colour the main window's; without one, the error box says why, once, and the
// program goes on as it was.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>

#include "e2e/atspi.h"
#include "e2e/wayland_session.h"
#include "e2e/x_session.h"

using namespace std::chrono_literals;

namespace tintwell::test {
namespace {

QString gProgram;
QString gFakePortal;

const QString kApplication = QStringLiteral("Tintwell");
const QString kUnavailable = QStringLiteral("Picking from the screen is not available in this session: ");

// Polls read() until it gives expected, or timeout passes; the last value read.
QString WaitFor(const std::function<QString()>& read, const QString& expected,
                std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    QString seen;
    do {
        seen = read();
        if (seen == expected)
            break;
        QThread::msleep(200);
    } while (clock.elapsed() < timeout.count());
    return seen;
}

QString HtmlOriginal() { return ReadAccessibleText(kApplication, "HTML original", 5s); }

// The description of the first object named name (a tip), or empty.
QString DescriptionOf(const QString& name) {
    const auto names = ReadAccessibleNames(kApplication, 1, 5s);
    const auto found = names.find(name);
    return found == names.end() ? QString() : found->second;
}

// Every accessible name of the program that starts with the error box's message.
QStringList Messages() {
    QStringList messages;
    for (const auto& [name, description] : ReadAccessibleNames(kApplication, 1, 5s))
        if (name.startsWith(kUnavailable))
            messages.push_back(name);
    return messages;
}

class PickerOnWayland : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(FCompositor.Started()) << "weston did not start:\n" << FCompositor.Log().toStdString();
        ASSERT_TRUE(FConfig.isValid());
    }
    void TearDown() override {
        if (FProgram.state() != QProcess::NotRunning)
            Stop(FProgram);
        if (FPortal.state() != QProcess::NotRunning)
            Stop(FPortal);
    }

    bool StartPortal(const QStringList& arguments) {
        FPortal.setProcessChannelMode(QProcess::SeparateChannels);
        FPortal.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        FPortal.start(gFakePortal, arguments);
        return FPortal.waitForStarted(10000) && FirstLineOf(FPortal, 20s) == "ready";
    }

    // Starts the program as a Wayland client; whether it came up showing its first colour.
    bool StartProgram() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        FCompositor.UseFor(environment);
        environment.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        environment.insert("LANG", "C.UTF-8");
        environment.insert("XDG_CONFIG_HOME", FConfig.path());
        FProgram.setProcessEnvironment(environment);
        FProgram.setProcessChannelMode(QProcess::ForwardedChannels);
        FProgram.start(gProgram, QStringList());
        return FProgram.waitForStarted(10000) && WaitFor(HtmlOriginal, "#808080", 30s) == "#808080";
    }

    // Opens the picker with the main window's button and starts a capture with its own.
    static bool OpenPickerAndCapture() {
        return PressAccessible(kApplication, "Pick a color from screen", 20s) &&
               PressAccessible(kApplication, "Capture", 20s);
    }

    TWaylandCompositor FCompositor;
    QTemporaryDir FConfig;
    QProcess FPortal;
    QProcess FProgram;
};

TEST_F(PickerOnWayland, ThePortalsColourBecomesTheOriginal) {
    ASSERT_TRUE(StartPortal({"answer", "0.2", "0.4", "0.6"})) << "the fake portal did not start";
    ASSERT_TRUE(StartProgram()) << "the program did not come up";
    ASSERT_TRUE(OpenPickerAndCapture());
    // 0.2, 0.4 and 0.6 of 255 are 51, 102 and 153.
    EXPECT_EQ(WaitFor(HtmlOriginal, "#336699", 20s), "#336699");
    EXPECT_EQ(FirstLineOf(FPortal, 5s), "PickColor") << "the portal was asked";
    EXPECT_EQ(DescriptionOf("Screen picking"),
              "Picks from the screen through the desktop portal, which asks you to click the color");
    EXPECT_TRUE(Messages().isEmpty());
    EXPECT_EQ(FProgram.state(), QProcess::Running);
}

TEST_F(PickerOnWayland, ACancelledPickKeepsTheColour) {
    ASSERT_TRUE(StartPortal({"cancel", "0.2", "0.4", "0.6"}));
    ASSERT_TRUE(StartProgram());
    ASSERT_TRUE(OpenPickerAndCapture());
    // The button reads Capture again once the cancel has arrived.
    const auto captureButtonBack = [] {
        const auto names = ReadAccessibleNames(kApplication, 1, 5s);
        return names.count("Capture") > 0 ? QStringLiteral("yes") : QStringLiteral("no");
    };
    EXPECT_EQ(WaitFor(captureButtonBack, "yes", 20s), "yes");
    EXPECT_EQ(FirstLineOf(FPortal, 5s), "PickColor") << "the portal was asked";
    EXPECT_EQ(HtmlOriginal(), "#808080");
    EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(PickerOnWayland, WithoutAPortalTheMessageAppearsOnce) {
    ASSERT_TRUE(StartProgram());
    ASSERT_TRUE(OpenPickerAndCapture());
    const auto messageCount = [] { return QString::number(Messages().size()); };
    // The box that comes, waited for. While it is open no other opens (one box at a time), so a
    // second one could only follow its close.
    ASSERT_EQ(WaitFor(messageCount, "1", 20s), "1") << "no error box came";
    const QStringList messages = Messages();
    ASSERT_EQ(messages.size(), 1) << messages.join('\n').toStdString();
    // The bus's own reason follows.
    EXPECT_TRUE(messages[0].contains("org.freedesktop.portal.Desktop")) << messages[0].toStdString();
    EXPECT_EQ(ReadWindowNames(kApplication).count(kApplication), 1) << "one box, captioned with the title";
    ASSERT_TRUE(PressAccessible(kApplication, "OK", 10s));
    EXPECT_EQ(WaitFor(messageCount, "0", 10s), "0") << "the box stayed, or a second one followed it";
    // Nothing else changed, and the picker is ready for the next try. The program answers these
    // reads in its event loop, after whatever the close set going: by the last of them a second
    // box would be up.
    EXPECT_EQ(HtmlOriginal(), "#808080");
    EXPECT_TRUE(ReadAccessibleNames(kApplication, 1, 5s).count("Capture") > 0);
    EXPECT_TRUE(Messages().isEmpty()) << "a second box";
    EXPECT_EQ(ReadWindowNames(kApplication).count(kApplication), 0) << "a second box";
    EXPECT_EQ(FProgram.state(), QProcess::Running);
}

} // namespace
} // namespace tintwell::test

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: picker_wayland_e2e_test TINTWELL FAKE_PORTAL\n");
        return 2;
    }
    tintwell::test::gProgram = QString::fromLocal8Bit(argv[1]);
    tintwell::test::gFakePortal = QString::fromLocal8Bit(argv[2]);
    // One bus for the whole run: this process's own connection to it lasts as long as the process.
    tintwell::test::TSessionBus session;
    if (!session.Started()) {
        std::fprintf(stderr, "dbus-daemon did not start\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
