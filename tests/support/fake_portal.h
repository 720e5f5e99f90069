#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>

namespace tintwell::test {

// The colour of a portal's answer: three doubles 0..1, as the portal sends them.
struct TPortalColour {
    double R = 0;
    double G = 0;
    double B = 0;
};

QDBusArgument& operator<<(QDBusArgument& argument, const TPortalColour& colour);
const QDBusArgument& operator>>(const QDBusArgument& argument, TPortalColour& colour);

// What the fake portal does with a PickColor call.
enum class TPortalMode {
    Answer,               // replies, then answers with the colour a moment later
    AnswerBeforeReplying, // sends the answer before the method's reply
    Cancel,               // replies, then answers that the user cancelled
    Silent,               // replies, then never answers
    NeverReplies,         // takes the call and never replies to it
    Refuse,               // an error reply
};

// A small stand-in for the desktop portal's Screenshot interface: registered on a connection as
// org.freedesktop.portal.Desktop, it answers PickColor as its mode says, through a request object of
// its own at the path the handle token names, which counts the Close calls it gets.
class TFakePortal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
public:
    TFakePortal(QDBusConnection bus, TPortalMode mode, TPortalColour colour);
    // Exports the portal on its connection and takes the portal's name; whether both worked.
    bool Register();

    int Calls = 0;
    int Closes = 0;
    std::function<void()> OnCall; // runs at each PickColor, when set

public slots:
    QDBusObjectPath PickColor(const QString& parentWindow, const QVariantMap& options);

private:
    void Respond(const QString& path, uint response);

    QDBusConnection FBus;
    TPortalMode FMode;
    TPortalColour FColour;
};

// One request of the fake portal, where the program may close it.
class TFakeRequest : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
public:
    explicit TFakeRequest(TFakePortal& portal) : QObject(&portal), FPortal(portal) {}

public slots:
    void Close() { ++FPortal.Closes; }

private:
    TFakePortal& FPortal;
};

} // namespace tintwell::test

Q_DECLARE_METATYPE(tintwell::test::TPortalColour)
