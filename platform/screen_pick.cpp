#include "platform/screen_pick.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <cmath>

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

TScreenPickPath ChooseScreenPickPath(const TPickEnvironment& environment) noexcept {
    const bool wayland = environment.Platform.starts_with("wayland");
    if (wayland || (environment.Platform == "xcb" && environment.WaylandSession))
        return environment.SessionBus ? TScreenPickPath::Portal : TScreenPickPath::None;
    return environment.Platform == "xcb" ? TScreenPickPath::X11Copy : TScreenPickPath::None;
}

TPortalColorPick::TPortalColorPick(QDBusConnection bus, std::chrono::milliseconds timeout, QObject* parent)
    : QObject(parent), FBus(std::move(bus)) {
    FTimeout.setSingleShot(true);
    FTimeout.setInterval(timeout);
    connect(&FTimeout, &QTimer::timeout, this,
            [this] { Finish(TOutcome::Failed, 0, "the desktop portal did not answer in time"); });
}

TPortalColorPick::~TPortalColorPick() { Unsubscribe(); }

int TPortalColorPick::Level(double value) noexcept {
    if (std::isnan(value))
        return 0;
    const double level = std::nearbyint(value * 255.0);
    return level < 0 ? 0 : level > 255 ? 255 : static_cast<int>(level);
}

void TPortalColorPick::Start(TDone done) {
    Cancel();
    FDone = std::move(done);
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
            Finish(TOutcome::Failed, 0, reply.error().message().toStdString());
            return;
        }
        // A portal older than handle tokens names another request object: listen there.
        const QString path = reply.value().path();
        if (path != FPath)
            Subscribe(path);
    });
}

void TPortalColorPick::Cancel() {
    FDone = nullptr;
    FTimeout.stop();
    Unsubscribe();
}

void TPortalColorPick::Response(uint response, const QVariantMap& results) {
    if (!FDone)
        return;
    if (response == 1) {
        Finish(TOutcome::Cancelled, 0, {});
        return;
    }
    const QVariant colour = results.value(QStringLiteral("color"));
    if (response != 0 || !colour.canConvert<QDBusArgument>()) {
        Finish(TOutcome::Failed, 0, "the desktop portal gave no colour");
        return;
    }
    double red = 0;
    double green = 0;
    double blue = 0;
    const QDBusArgument argument = colour.value<QDBusArgument>();
    argument.beginStructure();
    argument >> red >> green >> blue;
    argument.endStructure();
    Finish(TOutcome::Picked, RGB(Level(red), Level(green), Level(blue)), {});
}

void TPortalColorPick::Finish(TOutcome outcome, TColor colour, const std::string& reason) {
    TDone done = std::move(FDone);
    Cancel();
    if (done)
        done(outcome, colour, reason);
}

void TPortalColorPick::Subscribe(const QString& path) {
    Unsubscribe();
    FPath = path;
    FBus.connect(kPortalService, FPath, kRequest, QStringLiteral("Response"), this,
                 SLOT(Response(uint, QVariantMap)));
}

void TPortalColorPick::Unsubscribe() {
    if (FPath.isEmpty())
        return;
    FBus.disconnect(kPortalService, FPath, kRequest, QStringLiteral("Response"), this,
                    SLOT(Response(uint, QVariantMap)));
    FPath.clear();
}

} // namespace tintwell
