// The choice of the screen-picking path, and the portal's colour pick against a small fake portal
// on a private session bus.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QProcess>
#include <functional>
#include <optional>

#include "platform/screen_pick.h"
#include "support/fake_portal.h"

// QtDBus and libdbus keep per-connection and custom-type records until the process ends, where
// the leak sanitizer would report them; they belong to the D-Bus libraries, not to the code under
// test. (The sanitizer asks for this function; other builds never call it.)
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libQt6DBus.so\nleak:libdbus-1.so\n"; }

namespace tintwell {

using test::TFakePortal;
using test::TPortalColour;
using test::TPortalMode;

namespace {

// A dbus-daemon of the test's own, with one connection for the program's side and one for the
// portal's.
class TPrivateBus {
public:
    TPrivateBus() {
        FDaemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
        if (!FDaemon.waitForStarted(10000) || !FDaemon.waitForReadyRead(10000))
            return;
        FAddress = QString::fromLocal8Bit(FDaemon.readLine()).trimmed();
    }
    ~TPrivateBus() {
        QDBusConnection::disconnectFromBus(QStringLiteral("program"));
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
        FDaemon.kill();
        FDaemon.waitForFinished(5000);
    }
    QDBusConnection Connect(const QString& name) const {
        return QDBusConnection::connectToBus(FAddress, name);
    }
    bool Started() const { return !FAddress.isEmpty(); }

private:
    QProcess FDaemon;
    QString FAddress;
};

struct TAnswer {
    TScreenPickOutcome Outcome;
    TColor Colour;
    std::string Reason;
};

// Runs the event loop until done() holds or the wait is over; a wait without a condition lets
// what is on its way arrive. In slices of a millisecond, so a step of a test can come between two
// messages.
void RunEvents(
    int milliseconds, const std::function<bool()>& done = [] { return false; }) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

// Starts a pick and runs the event loop until it answers or the wait is over.
std::optional<TAnswer> WaitForAnswer(TPortalColorPick& pick, int milliseconds) {
    std::optional<TAnswer> answer;
    pick.Start([&answer](TScreenPickOutcome outcome, TColor colour, const std::string& reason) {
        answer = TAnswer{outcome, colour, reason};
    });
    RunEvents(milliseconds, [&answer] { return answer.has_value(); });
    return answer;
}

struct TPortalCase {
    const char* Name;
    TPortalMode Mode;
    TScreenPickOutcome Outcome;
    TColor Colour;
    const char* Reason; // a part of it
    int Closes;         // requests the program closed at the portal
};
void PrintTo(const TPortalCase& c, std::ostream* out) { *out << c.Name; }

using O = TScreenPickOutcome;
const TPortalCase kPortalCases[] = {
    // 0.5 x 255 = 127.5 goes to the even 128; 0.25 x 255 = 63.75 to 64; 1 to 255.
    {"answers", TPortalMode::Answer, O::Picked, RGB(128, 64, 255), "", 0},
    {"answers_before_replying", TPortalMode::AnswerBeforeReplying, O::Picked, RGB(128, 64, 255), "", 0},
    {"cancelled", TPortalMode::Cancel, O::Cancelled, 0, "", 0},
    {"refuses", TPortalMode::Refuse, O::Failed, 0, "picking refused", 0},
    // The user's time runs out: the portal's picking is closed, not left on the screen.
    {"never_answers", TPortalMode::Silent, O::Failed, 0, "no color was picked in time", 1},
    {"never_replies", TPortalMode::NeverReplies, O::Failed, 0, "the desktop portal did not answer in time",
     0},
};

class PortalColorPick : public ::testing::TestWithParam<TPortalCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(bus.Started()) << "dbus-daemon did not start";
        ASSERT_TRUE(portal.Register());
    }
    TPrivateBus bus;
    TFakePortal portal{bus.Connect(QStringLiteral("portal")), GetParam().Mode, TPortalColour{0.5, 0.25, 1.0}};
};

TEST_P(PortalColorPick, ReportsWhatThePortalAnswers) {
    TPortalColorPick pick(bus.Connect(QStringLiteral("program")), std::chrono::milliseconds(400),
                          std::chrono::milliseconds(400));
    const std::optional<TAnswer> answer = WaitForAnswer(pick, 5000);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(portal.Calls, 1);
    EXPECT_EQ(answer->Outcome, GetParam().Outcome);
    EXPECT_EQ(answer->Colour, GetParam().Colour);
    EXPECT_NE(answer->Reason.find(GetParam().Reason), std::string::npos) << answer->Reason;
    EXPECT_FALSE(pick.Pending());
    RunEvents(100);
    EXPECT_EQ(portal.Closes, GetParam().Closes);
}

// One picker asks again after an answer: each request has a token and request object of its own.
TEST_P(PortalColorPick, AsksAgainAfterAnAnswer) {
    TPortalColorPick pick(bus.Connect(QStringLiteral("program")), std::chrono::milliseconds(400),
                          std::chrono::milliseconds(400));
    const std::optional<TAnswer> first = WaitForAnswer(pick, 5000);
    const std::optional<TAnswer> second = WaitForAnswer(pick, 5000);
    ASSERT_TRUE(first.has_value() && second.has_value());
    EXPECT_EQ(portal.Calls, 2);
    EXPECT_EQ(second->Outcome, first->Outcome);
    EXPECT_EQ(second->Colour, first->Colour);
}

INSTANTIATE_TEST_SUITE_P(, PortalColorPick, ::testing::ValuesIn(kPortalCases),
                         [](const ::testing::TestParamInfo<TPortalCase>& c) { return c.param.Name; });

class PortalColorPickStopped : public ::testing::TestWithParam<TPortalMode> {};

// A stop before the answer ends the wait: no callback, not even from an answer or a timeout that
// comes later. (For the portals whose answer comes later than their reply: an answer or error that
// comes with the reply may be read in the same turn of the loop as the call.)
TEST_P(PortalColorPickStopped, EndsTheWaitWithoutAnAnswer) {
    TPrivateBus bus;
    ASSERT_TRUE(bus.Started());
    TFakePortal portal(bus.Connect(QStringLiteral("portal")), GetParam(), TPortalColour{1, 1, 1});
    ASSERT_TRUE(portal.Register());
    TPortalColorPick pick(bus.Connect(QStringLiteral("program")), std::chrono::milliseconds(300),
                          std::chrono::milliseconds(300));
    bool answered = false;
    pick.Start([&answered](O, TColor, const std::string&) { answered = true; });
    // Stopped as soon as the portal has the call, before its answer (which comes 20 ms after).
    RunEvents(5000, [&portal] { return portal.Calls > 0; });
    pick.Cancel();
    EXPECT_FALSE(pick.Pending());
    RunEvents(500); // past the portal's answer and past both timeouts
    EXPECT_FALSE(answered);
}

INSTANTIATE_TEST_SUITE_P(, PortalColorPickStopped,
                         ::testing::Values(TPortalMode::Answer, TPortalMode::Cancel, TPortalMode::Silent,
                                           TPortalMode::NeverReplies));

// A stop once the portal has the request also closes it there, so its picking leaves the screen.
TEST(PortalColorPickStop, AStopAfterThePortalTookTheRequestClosesIt) {
    TPrivateBus bus;
    ASSERT_TRUE(bus.Started());
    TFakePortal portal(bus.Connect(QStringLiteral("portal")), TPortalMode::Silent, TPortalColour{});
    ASSERT_TRUE(portal.Register());
    TPortalColorPick pick(bus.Connect(QStringLiteral("program")), std::chrono::milliseconds(3000),
                          std::chrono::milliseconds(3000));
    pick.Start([](O, TColor, const std::string&) {});
    RunEvents(300); // the reply arrives; the answer never does
    ASSERT_TRUE(pick.Pending());
    pick.Cancel();
    RunEvents(3000, [&portal] { return portal.Closes > 0; });
    EXPECT_EQ(portal.Closes, 1);
}

TEST(PortalColorPickWithoutPortal, FailsAtOnceWithTheBusReason) {
    TPrivateBus bus;
    ASSERT_TRUE(bus.Started());
    TPortalColorPick pick(bus.Connect(QStringLiteral("program")), std::chrono::milliseconds(3000),
                          std::chrono::milliseconds(3000));
    QElapsedTimer clock;
    clock.start();
    const std::optional<TAnswer> answer = WaitForAnswer(pick, 5000);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->Outcome, O::Failed);
    EXPECT_LT(clock.elapsed(), 3000); // the bus said so; the timeout did not have to
    EXPECT_NE(answer->Reason.find("org.freedesktop.portal.Desktop"), std::string::npos) << answer->Reason;
}

TEST(PortalColorPickLevel, RoundsHalvesToEvenAndClamps) {
    EXPECT_EQ(TPortalColorPick::Level(0.5), 128); // 127.5
    EXPECT_EQ(TPortalColorPick::Level(0.25), 64); // 63.75
    EXPECT_EQ(TPortalColorPick::Level(0.0), 0);
    EXPECT_EQ(TPortalColorPick::Level(1.0), 255);
    EXPECT_EQ(TPortalColorPick::Level(-0.1), 0);
    EXPECT_EQ(TPortalColorPick::Level(1.7), 255);
    EXPECT_EQ(TPortalColorPick::Level(std::nan("")), 0);
}

struct TPathCase {
    const char* Name;
    TPickEnvironment Environment;
    TScreenPickPath Path;
    bool NeedsBus;
};
void PrintTo(const TPathCase& c, std::ostream* out) { *out << c.Name; }

const TPathCase kPathCases[] = {
    {"x11_only", {"xcb", false, true}, TScreenPickPath::X11Copy, false},
    {"x11_without_bus", {"xcb", false, false}, TScreenPickPath::X11Copy, false},
    {"wayland_client", {"wayland", true, true}, TScreenPickPath::Portal, true},
    {"wayland_egl_client", {"wayland-egl", true, true}, TScreenPickPath::Portal, true},
    {"xwayland_client", {"xcb", true, true}, TScreenPickPath::Portal, true},
    {"wayland_without_bus", {"wayland", true, false}, TScreenPickPath::None, true},
    {"xwayland_without_bus", {"xcb", true, false}, TScreenPickPath::None, true},
    {"offscreen", {"offscreen", false, true}, TScreenPickPath::None, false},
    {"offscreen_in_wayland_session", {"offscreen", true, true}, TScreenPickPath::None, false},
};

class ScreenPickPath : public ::testing::TestWithParam<TPathCase> {};

// A reason comes with None, and only with None: it is what the user is told.
TEST_P(ScreenPickPath, IsChosenByPlatformSessionAndBus) {
    const TScreenPickChoice choice = ChooseScreenPickPath(GetParam().Environment);
    EXPECT_EQ(choice.Path, GetParam().Path);
    EXPECT_EQ(choice.Reason.empty(), choice.Path != TScreenPickPath::None) << choice.Reason;
    EXPECT_EQ(ScreenPickNeedsBus(GetParam().Environment), GetParam().NeedsBus);
    // The bus is asked only where it could change the path: elsewhere the path is the same without.
    TPickEnvironment other = GetParam().Environment;
    other.SessionBus = !other.SessionBus;
    if (!GetParam().NeedsBus) {
        EXPECT_EQ(ChooseScreenPickPath(other).Path, GetParam().Path);
    }
}

INSTANTIATE_TEST_SUITE_P(, ScreenPickPath, ::testing::ValuesIn(kPathCases),
                         [](const ::testing::TestParamInfo<TPathCase>& c) { return c.param.Name; });

} // namespace
} // namespace tintwell
