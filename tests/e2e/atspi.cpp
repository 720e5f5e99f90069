#include "e2e/atspi.h"

#include "e2e/x_session.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QThread>

namespace {

// One entry of an AT-SPI object list: the owning connection and the object's path.
struct TAccessibleRef {
    QString Service;
    QDBusObjectPath Path;
};

QDBusArgument& operator<<(QDBusArgument& argument, const TAccessibleRef& ref) {
    argument.beginStructure();
    argument << ref.Service << ref.Path;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, TAccessibleRef& ref) {
    argument.beginStructure();
    argument >> ref.Service >> ref.Path;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(TAccessibleRef)

namespace tintwell::test {
namespace {

constexpr const char* kAccessible = "org.a11y.atspi.Accessible";

QString Property(const QDBusConnection& bus, const TAccessibleRef& ref, const char* name) {
    QDBusInterface properties(ref.Service, ref.Path.path(), "org.freedesktop.DBus.Properties", bus);
    const QDBusReply<QDBusVariant> reply = properties.call("Get", kAccessible, name);
    return reply.isValid() ? reply.value().variant().toString() : QString();
}

QList<TAccessibleRef> Children(const QDBusConnection& bus, const TAccessibleRef& ref) {
    QDBusInterface accessible(ref.Service, ref.Path.path(), kAccessible, bus);
    const QDBusReply<QList<TAccessibleRef>> reply = accessible.call("GetChildren");
    return reply.isValid() ? reply.value() : QList<TAccessibleRef>();
}

void Collect(const QDBusConnection& bus, const TAccessibleRef& ref, int depth,
             std::multimap<QString, QString>& names) {
    if (depth > 12)
        return;
    const QString name = Property(bus, ref, "Name");
    if (!name.isEmpty())
        names.emplace(name, Property(bus, ref, "Description"));
    for (const TAccessibleRef& child : Children(bus, ref))
        Collect(bus, child, depth + 1, names);
}

} // namespace

TSessionBus::TSessionBus() {
    FDaemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    if (!FDaemon.waitForStarted(10000))
        return;
    FAddress = FirstLineOf(FDaemon, std::chrono::seconds(10));
    if (!FAddress.isEmpty())
        setenv("DBUS_SESSION_BUS_ADDRESS", FAddress.toLocal8Bit().constData(), 1);
}

TSessionBus::~TSessionBus() { Stop(FDaemon); }

std::multimap<QString, QString> ReadAccessibleNames(const QString& applicationName,
                                                    std::size_t minimumObjects,
                                                    std::chrono::milliseconds timeout) {
    qDBusRegisterMetaType<TAccessibleRef>();
    qDBusRegisterMetaType<QList<TAccessibleRef>>();
    QDBusInterface launcher("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", QDBusConnection::sessionBus());
    const QDBusReply<QString> address = launcher.call("GetAddress");
    if (!address.isValid())
        return {};
    struct TDisconnect {
        ~TDisconnect() { QDBusConnection::disconnectFromBus("tintwell-e2e-a11y"); }
    } disconnect;
    const QDBusConnection bus = QDBusConnection::connectToBus(address.value(), "tintwell-e2e-a11y");
    const TAccessibleRef desktop{"org.a11y.atspi.Registry",
                                 QDBusObjectPath("/org/a11y/atspi/accessible/root")};

    QElapsedTimer clock;
    clock.start();
    std::multimap<QString, QString> names;
    do {
        for (const TAccessibleRef& application : Children(bus, desktop)) {
            if (Property(bus, application, "Name") != applicationName)
                continue;
            names.clear();
            Collect(bus, application, 0, names);
            if (names.size() >= minimumObjects)
                return names;
        }
        QThread::msleep(200);
    } while (clock.elapsed() < timeout.count());
    return names;
}

} // namespace tintwell::test
