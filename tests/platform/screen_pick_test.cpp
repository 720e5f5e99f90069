// The choice of the screen-picking path, and the portal's colour pick against a small fake portal
// on a private session bus.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <optional>

#include "platform/screen_pick.h"

// QtDBus and libdbus keep per-connection and custom-type records until the process ends, where
// the leak sanitizer would report them; they belong to the D-Bus libraries, not to the code under
// test. (The sanitizer asks for this function; other builds never call it.)
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libQt6DBus.so\nleak:libdbus-1.so\n"; }

namespace tintwell {

struct TPortalColour {
    double R = 0;
    double G = 0;
    double B = 0;
};

QDBusArgument& operator<<(QDBusArgument& argument, const TPortalColour& colour) {
    argument.beginStructure();
    argument << colour.R << colour.G << colour.B;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TPortalColour& colour) {
    argument.beginStructure();
    argument >> colour.R >> colour.G >> colour.B;
    argument.endStructure();
    return argument;
}

} // namespace tintwell

Q_DECLARE_METATYPE(tintwell::TPortalColour)

namespace tintwell {

// What the fake portal does with a PickColor call.
enum class TPortalMode { Answer, AnswerBeforeReplying, Cancel, Silent, Refuse };

class TFakePortal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
public:
    TFakePortal(QDBusConnection bus, TPortalMode mode, TPortalColour colour)
        : FBus(std::move(bus)), FMode(mode), FColour(colour) {}

    int Calls = 0;

public slots:
    QDBusObjectPath PickColor(const QString&, const QVariantMap& options) {
        ++Calls;
        QString sender = message().service().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/") + sender +
                             QLatin1Char('/') + options.value(QStringLiteral("handle_token")).toString();
        switch (FMode) {
        case TPortalMode::Answer: QTimer::singleShot(20, this, [this, path] { Respond(path, 0); }); break;
        case TPortalMode::AnswerBeforeReplying: Respond(path, 0); break;
        case TPortalMode::Cancel: QTimer::singleShot(20, this, [this, path] { Respond(path, 1); }); break;
        case TPortalMode::Silent: break;
        case TPortalMode::Refuse:
            sendErrorReply(QDBusError::AccessDenied, QStringLiteral("picking refused"));
            break;
        }
        return QDBusObjectPath(path);
    }

private:
    void Respond(const QString& path, uint response) {
        QDBusMessage signal = QDBusMessage::createSignal(
            path, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        signal << response << QVariantMap{{QStringLiteral("color"), QVariant::fromValue(FColour)}};
        FBus.send(signal);
    }

    QDBusConnection FBus;
    TPortalMode FMode;
    TPortalColour FColour;
};

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
    TPortalColorPick::TOutcome Outcome;
    TColor Colour;
    std::string Reason;
};

// Runs the event loop until the pick answers or the wait is over.
std::optional<TAnswer> WaitForAnswer(TPortalColorPick& pick, int milliseconds) {
    std::optional<TAnswer> answer;
    pick.Start([&answer](TPortalColorPick::TOutcome outcome, TColor colour, const std::string& reason) {
        answer = TAnswer{outcome, colour, reason};
    });
    QElapsedTimer clock;
    clock.start();
    while (!answer && clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return answer;
}

struct TPortalCase {
    const char* Name;
    TPortalMode Mode;
    TPortalColorPick::TOutcome Outcome;
    TColor Colour;
    const char* Reason; // a part of it
};
void PrintTo(const TPortalCase& c, std::ostream* out) { *out << c.Name; }

using O = TPortalColorPick::TOutcome;
const TPortalCase kPortalCases[] = {
    // 0.5 x 255 = 127.5 goes to the even 128; 0.25 x 255 = 63.75 to 64; 1 to 255.
    {"answers", TPortalMode::Answer, O::Picked, RGB(128, 64, 255), ""},
    {"answers_before_replying", TPortalMode::AnswerBeforeReplying, O::Picked, RGB(128, 64, 255), ""},
    {"cancelled", TPortalMode::Cancel, O::Cancelled, 0, ""},
    {"refuses", TPortalMode::Refuse, O::Failed, 0, "picking refused"},
    {"never_answers", TPortalMode::Silent, O::Failed, 0, "did not answer in time"},
};

class PortalColorPick : public ::testing::TestWithParam<TPortalCase> {
protected:
    void SetUp() override {
        qDBusRegisterMetaType<TPortalColour>();
        ASSERT_TRUE(bus.Started()) << "dbus-daemon did not start";
    }
    TPrivateBus bus;
};

TEST_P(PortalColorPick, ReportsWhatThePortalAnswers) {
    QDBusConnection portalSide = bus.Connect(QStringLiteral("portal"));
    TFakePortal portal(portalSide, GetParam().Mode, TPortalColour{0.5, 0.25, 1.0});
    ASSERT_TRUE(portalSide.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                                          QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(portalSide.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    TPortalColorPick pick(bus.Connect(QStringLiteral("program")), std::chrono::milliseconds(500));
    const std::optional<TAnswer> answer = WaitForAnswer(pick, 5000);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(portal.Calls, 1);
    EXPECT_EQ(answer->Outcome, GetParam().Outcome);
    EXPECT_EQ(answer->Colour, GetParam().Colour);
    EXPECT_NE(answer->Reason.find(GetParam().Reason), std::string::npos) << answer->Reason;
    EXPECT_FALSE(pick.Pending());
}

INSTANTIATE_TEST_SUITE_P(, PortalColorPick, ::testing::ValuesIn(kPortalCases),
                         [](const ::testing::TestParamInfo<TPortalCase>& c) { return c.param.Name; });

TEST(PortalColorPickWithoutPortal, FailsAtOnceWithTheBusReason) {
    TPrivateBus bus;
    ASSERT_TRUE(bus.Started());
    TPortalColorPick pick(bus.Connect(QStringLiteral("program")), std::chrono::milliseconds(3000));
    QElapsedTimer clock;
    clock.start();
    const std::optional<TAnswer> answer = WaitForAnswer(pick, 5000);
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(answer->Outcome, O::Failed);
    EXPECT_LT(clock.elapsed(), 3000); // the bus said so; the timeout did not have to
    EXPECT_FALSE(answer->Reason.empty());
}

TEST(PortalColorPickStop, AStopBeforeTheAnswerEndsTheWaitWithoutAnAnswer) {
    qDBusRegisterMetaType<TPortalColour>();
    TPrivateBus bus;
    ASSERT_TRUE(bus.Started());
    QDBusConnection portalSide = bus.Connect(QStringLiteral("portal"));
    TFakePortal portal(portalSide, TPortalMode::Answer, TPortalColour{1, 1, 1});
    portalSide.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                              QDBusConnection::ExportAllSlots);
    portalSide.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
    TPortalColorPick pick(bus.Connect(QStringLiteral("program")), std::chrono::milliseconds(500));
    bool answered = false;
    pick.Start([&answered](O, TColor, const std::string&) { answered = true; });
    pick.Cancel();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 700) // past the portal's answer and past the timeout
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_FALSE(answered);
    EXPECT_FALSE(pick.Pending());
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
};
void PrintTo(const TPathCase& c, std::ostream* out) { *out << c.Name; }

const TPathCase kPathCases[] = {
    {"x11_only", {"xcb", false, true}, TScreenPickPath::X11Copy},
    {"x11_without_bus", {"xcb", false, false}, TScreenPickPath::X11Copy},
    {"wayland_client", {"wayland", true, true}, TScreenPickPath::Portal},
    {"wayland_egl_client", {"wayland-egl", true, true}, TScreenPickPath::Portal},
    {"xwayland_client", {"xcb", true, true}, TScreenPickPath::Portal},
    {"wayland_without_bus", {"wayland", true, false}, TScreenPickPath::None},
    {"xwayland_without_bus", {"xcb", true, false}, TScreenPickPath::None},
    {"offscreen", {"offscreen", false, true}, TScreenPickPath::None},
};

class ScreenPickPath : public ::testing::TestWithParam<TPathCase> {};

TEST_P(ScreenPickPath, IsChosenByPlatformSessionAndBus) {
    EXPECT_EQ(ChooseScreenPickPath(GetParam().Environment), GetParam().Path);
}

INSTANTIATE_TEST_SUITE_P(, ScreenPickPath, ::testing::ValuesIn(kPathCases),
                         [](const ::testing::TestParamInfo<TPathCase>& c) { return c.param.Name; });

} // namespace
} // namespace tintwell

#include "screen_pick_test.moc"
