#include "support/fake_portal.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QTimer>

namespace tintwell::test {

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

TFakePortal::TFakePortal(QDBusConnection bus, TPortalMode mode, TPortalColour colour)
    : FBus(std::move(bus)), FMode(mode), FColour(colour) {
    qDBusRegisterMetaType<TPortalColour>();
}

bool TFakePortal::Register() {
    return FBus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), this,
                               QDBusConnection::ExportAllSlots) &&
           FBus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
}

QDBusObjectPath TFakePortal::PickColor(const QString&, const QVariantMap& options) {
    ++Calls;
    if (OnCall)
        OnCall();
    // The request object's path, as the portal's documentation builds it from the caller's unique
    // name and the handle token.
    QString sender = message().service().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/") + sender +
                         QLatin1Char('/') + options.value(QStringLiteral("handle_token")).toString();
    FBus.unregisterObject(path);
    FBus.registerObject(path, new TFakeRequest(*this), QDBusConnection::ExportAllSlots);
    switch (FMode) {
    case TPortalMode::Answer: QTimer::singleShot(20, this, [this, path] { Respond(path, 0); }); break;
    case TPortalMode::AnswerBeforeReplying: Respond(path, 0); break;
    case TPortalMode::Cancel: QTimer::singleShot(20, this, [this, path] { Respond(path, 1); }); break;
    case TPortalMode::Silent: break;
    case TPortalMode::NeverReplies: setDelayedReply(true); break;
    case TPortalMode::Refuse:
        sendErrorReply(QDBusError::AccessDenied, QStringLiteral("picking refused"));
        break;
    }
    return QDBusObjectPath(path);
}

void TFakePortal::Respond(const QString& path, uint response) {
    QDBusMessage signal = QDBusMessage::createSignal(path, QStringLiteral("org.freedesktop.portal.Request"),
                                                     QStringLiteral("Response"));
    signal << response << QVariantMap{{QStringLiteral("color"), QVariant::fromValue(FColour)}};
    FBus.send(signal);
}

} // namespace tintwell::test
