#include "platform/screen_pick.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <cmath>
#include <utility>

#include "core/resource_text.h"

namespace tintwell {
namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshot = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

// The request object the portal makes for a handle token, as its documentation names it: the
// caller's unique name without the colon, dots as underscores.
QString RequestPath(const QDBusConnection& bus, const QString& token) {
    QString sender = bus.baseService();
    if (sender.startsWith(QLatin1Char(':')))
        sender.remove(0, 1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return kPortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

} // namespace

namespace {

bool InWaylandSession(const TPickEnvironment& environment) noexcept {
    return environment.Platform.starts_with("wayland") ||
           (environment.Platform == "xcb" && environment.WaylandSession);
}

} // namespace

bool ScreenPickNeedsBus(const TPickEnvironment& environment) noexcept {
    return InWaylandSession(environment);
}

TScreenPickChoice ChooseScreenPickPath(const TPickEnvironment& environment) {
    if (InWaylandSession(environment)) {
        if (environment.SessionBus)
            return {TScreenPickPath::Portal, {}};
        return {TScreenPickPath::None,
                std::string(N_("this is a Wayland session, where only the desktop portal "
                               "may read the screen, and no D-Bus session bus is "
                               "running to reach it"))};
    }
    if (environment.Platform == "xcb")
        return {TScreenPickPath::X11Copy, {}};
    return {TScreenPickPath::None, std::string(N_("the program does not run on an X11 or Wayland display"))};
}

TPortalColorPick::TPortalColorPick(QDBusConnection bus, std::chrono::milliseconds replyTimeout,
                                   std::chrono::milliseconds answerTimeout, QObject* parent)
    : QObject(parent), FBus(std::move(bus)), FAnswerTimeout(answerTimeout) {
    FTimeout.setSingleShot(true);
    FTimeout.setInterval(replyTimeout);
    connect(&FTimeout, &QTimer::timeout, this, [this] {
        Finish(TScreenPickOutcome::Failed, 0,
               FReplied ? std::string(N_("no color was picked in time"))
                        : std::string(N_("the desktop portal did not answer in time")));
    });
}

TPortalColorPick::~TPortalColorPick() { Cancel(); }

int TPortalColorPick::Level(double value) noexcept {
    if (std::isnan(value))
        return 0;
    const double level = std::nearbyint(value * 255.0);
    return level < 0 ? 0 : level > 255 ? 255 : static_cast<int>(level);
}

void TPortalColorPick::Start(TScreenPickDone done) {
    Cancel();
    FDone = std::move(done);
    FReplied = false;
    const QString token = QStringLiteral("tintwell%1").arg(++FRequests);
    Subscribe(RequestPath(FBus, token));
    FTimeout.start();
    QDBusMessage call =
        QDBusMessage::createMethodCall(kPortalService, kPortalPath, kScreenshot, QStringLiteral("PickColor"));
    call << QString() << QVariantMap{{QStringLiteral("handle_token"), token}};
    auto* watcher = new QDBusPendingCallWatcher(FBus.asyncCall(call), this);
    const unsigned request = FRequests;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, request] {
        watcher->deleteLater();
        if (request != FRequests || !FDone)
            return; // answered already, ended, or replaced by a later request
        const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
        if (reply.isError()) {
            Finish(TScreenPickOutcome::Failed, 0, reply.error().message().toStdString());
            return;
        }
        // The portal is there; now the user has the time to pick.
        FReplied = true;
        FTimeout.start(FAnswerTimeout);
        // A portal older than handle tokens names another request object: listen there.
        const QString path = reply.value().path();
        if (path != FPath)
            Subscribe(path);
    });
}

void TPortalColorPick::Cancel() noexcept { End(Pending() && FReplied); }

void TPortalColorPick::End(bool closeRequest) noexcept {
    FDone = nullptr;
    FTimeout.stop();
    // The portal's own picking stays on the screen until its request is closed.
    if (closeRequest && !FPath.isEmpty()) {
        try {
            FBus.send(
                QDBusMessage::createMethodCall(kPortalService, FPath, kRequest, QStringLiteral("Close")));
        } catch (...) {
            // Nothing to tell anyone: the portal ends its request by itself when the user picks.
        }
    }
    Unsubscribe();
}

void TPortalColorPick::Response(uint response, const QVariantMap& results) {
    if (!FDone)
        return;
    if (response == 1) {
        Finish(TScreenPickOutcome::Cancelled, 0, {});
        return;
    }
    const QVariant colour = results.value(QStringLiteral("color"));
    if (response != 0 || !colour.canConvert<QDBusArgument>()) {
        Finish(TScreenPickOutcome::Failed, 0, std::string(N_("the desktop portal gave no color")));
        return;
    }
    double red = 0;
    double green = 0;
    double blue = 0;
    const QDBusArgument argument = colour.value<QDBusArgument>();
    argument.beginStructure();
    argument >> red >> green >> blue;
    argument.endStructure();
    Finish(TScreenPickOutcome::Picked, RGB(Level(red), Level(green), Level(blue)), {});
}

void TPortalColorPick::Finish(TScreenPickOutcome outcome, TColor colour, const std::string& reason) {
    TScreenPickDone done = std::exchange(FDone, nullptr);
    // A request that timed out after the portal took it is still on the screen.
    End(outcome == TScreenPickOutcome::Failed && FReplied);
    if (done)
        done(outcome, colour, reason);
}

void TPortalColorPick::Subscribe(const QString& path) {
    Unsubscribe();
    FPath = path;
    FBus.connect(kPortalService, FPath, kRequest, QStringLiteral("Response"), this,
                 SLOT(Response(uint, QVariantMap)));
}

void TPortalColorPick::Unsubscribe() noexcept {
    if (FPath.isEmpty())
        return;
    FBus.disconnect(kPortalService, FPath, kRequest, QStringLiteral("Response"), this,
                    SLOT(Response(uint, QVariantMap)));
    FPath.clear();
}

} // namespace tintwell
