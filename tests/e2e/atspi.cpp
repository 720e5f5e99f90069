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
#include <optional>

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

namespace {

// A connection to the accessibility bus for as long as it lives; null Bus() when the bus is not
// there.
class TAccessibilityBus {
public:
    TAccessibilityBus() {
        qDBusRegisterMetaType<TAccessibleRef>();
        qDBusRegisterMetaType<QList<TAccessibleRef>>();
        QDBusInterface launcher("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus",
                                QDBusConnection::sessionBus());
        const QDBusReply<QString> address = launcher.call("GetAddress");
        if (address.isValid())
            FBus = QDBusConnection::connectToBus(address.value(), "tintwell-e2e-a11y");
    }
    ~TAccessibilityBus() { QDBusConnection::disconnectFromBus("tintwell-e2e-a11y"); }
    const std::optional<QDBusConnection>& Bus() const { return FBus; }

    // The application's accessible root, or nothing.
    std::optional<TAccessibleRef> Application(const QString& applicationName) const {
        const TAccessibleRef desktop{"org.a11y.atspi.Registry",
                                     QDBusObjectPath("/org/a11y/atspi/accessible/root")};
        for (const TAccessibleRef& application : Children(*FBus, desktop))
            if (Property(*FBus, application, "Name") == applicationName)
                return application;
        return std::nullopt;
    }

private:
    std::optional<QDBusConnection> FBus;
};

std::optional<TAccessibleRef> FindNamed(const QDBusConnection& bus, const TAccessibleRef& ref,
                                        const QString& name, int depth) {
    if (depth > 12)
        return std::nullopt;
    if (Property(bus, ref, "Name") == name)
        return ref;
    for (const TAccessibleRef& child : Children(bus, ref))
        if (std::optional<TAccessibleRef> found = FindNamed(bus, child, name, depth + 1))
            return found;
    return std::nullopt;
}

// Polls until use(bus, object) gives a value for the first object of the application with this
// name, or timeout passes.
template <typename TResult, typename TUse>
std::optional<TResult> WithNamed(const QString& applicationName, const QString& name,
                                 std::chrono::milliseconds timeout, TUse use) {
    const TAccessibilityBus a11y;
    if (!a11y.Bus())
        return std::nullopt;
    QElapsedTimer clock;
    clock.start();
    do {
        if (const std::optional<TAccessibleRef> application = a11y.Application(applicationName))
            if (const std::optional<TAccessibleRef> object = FindNamed(*a11y.Bus(), *application, name, 0))
                if (std::optional<TResult> result = use(*a11y.Bus(), *object))
                    return result;
        QThread::msleep(200);
    } while (clock.elapsed() < timeout.count());
    return std::nullopt;
}

} // namespace

std::multimap<QString, QString> ReadAccessibleNames(const QString& applicationName,
                                                    std::size_t minimumObjects,
                                                    std::chrono::milliseconds timeout) {
    const TAccessibilityBus a11y;
    if (!a11y.Bus())
        return {};
    QElapsedTimer clock;
    clock.start();
    std::multimap<QString, QString> names;
    do {
        if (const std::optional<TAccessibleRef> application = a11y.Application(applicationName)) {
            names.clear();
            Collect(*a11y.Bus(), *application, 0, names);
            if (names.size() >= minimumObjects)
                return names;
        }
        QThread::msleep(200);
    } while (clock.elapsed() < timeout.count());
    return names;
}

bool PressAccessible(const QString& applicationName, const QString& name, std::chrono::milliseconds timeout) {
    return WithNamed<bool>(
               applicationName, name, timeout,
               [](const QDBusConnection& bus, const TAccessibleRef& object) -> std::optional<bool> {
                   QDBusInterface action(object.Service, object.Path.path(), "org.a11y.atspi.Action", bus);
                   const QDBusReply<bool> done = action.call("DoAction", 0);
                   if (done.isValid() && done.value())
                       return true;
                   return std::nullopt;
               })
        .value_or(false);
}

QString ReadAccessibleText(const QString& applicationName, const QString& name,
                           std::chrono::milliseconds timeout) {
    return WithNamed<QString>(
               applicationName, name, timeout,
               [](const QDBusConnection& bus, const TAccessibleRef& object) -> std::optional<QString> {
                   QDBusInterface text(object.Service, object.Path.path(), "org.a11y.atspi.Text", bus);
                   const QDBusReply<QString> reply = text.call("GetText", 0, -1);
                   if (reply.isValid())
                       return reply.value();
                   return std::nullopt;
               })
        .value_or(QString());
}

QStringList ReadWindowNames(const QString& applicationName) {
    const TAccessibilityBus a11y;
    QStringList names;
    if (!a11y.Bus())
        return names;
    if (const std::optional<TAccessibleRef> application = a11y.Application(applicationName))
        for (const TAccessibleRef& window : Children(*a11y.Bus(), *application))
            names.push_back(Property(*a11y.Bus(), window, "Name"));
    return names;
}

} // namespace tintwell::test
