#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>
#include <chrono>
#include <string>

#include "platform/platform_services.h"

namespace tintwell {

// What the choice depends on.
struct TPickEnvironment {
    std::string Platform;        // Qt's platform plugin: "xcb", "wayland", "offscreen"...
    bool WaylandSession = false; // WAYLAND_DISPLAY is set, so a Wayland compositor owns the screen
    bool SessionBus = false;     // a D-Bus session bus answers, where a portal could live
};

// An X client outside a Wayland session copies the root window. Inside one (a Wayland client, or
// an X client of XWayland, whose root copies show Wayland windows black: a silent wrong colour) only
// the portal can pick, and without a session bus nothing can. Other platforms cannot pick.
TScreenPickChoice ChooseScreenPickPath(const TPickEnvironment& environment);

// Whether the choice needs to know of a session bus: only where the portal would be the path, so an
// X11 session never connects to one for it.
bool ScreenPickNeedsBus(const TPickEnvironment& environment) noexcept;

// Asks the desktop portal (org.freedesktop.portal.Screenshot.PickColor on the session bus) for one
// colour the user picks on the screen, without blocking: the answer arrives through the event loop.
// The request's Response signal is subscribed to, under a handle token of our own, before the call
// goes out, so an answer that comes at once is never missed. The portal must reply to the call
// within replyTimeout and the user must pick within answerTimeout, else the pick fails.
class TPortalColorPick : public QObject {
    Q_OBJECT
public:
    TPortalColorPick(QDBusConnection bus, std::chrono::milliseconds replyTimeout,
                     std::chrono::milliseconds answerTimeout, QObject* parent = nullptr);
    ~TPortalColorPick() override;

    // Starts a request; done runs once, from the event loop. A request already pending is ended
    // first, without calling its done.
    void Start(TScreenPickDone done);
    // Ends a pending request without an answer (the portal is asked to close it); its done is not
    // called.
    void Cancel() noexcept;
    bool Pending() const noexcept { return static_cast<bool>(FDone); }

    // A channel of the portal's colour (0..1) as a level: round half to even of value x 255,
    // clamped to 0..255; NaN gives 0.
    static int Level(double value) noexcept;

private slots:
    void Response(uint response, const QVariantMap& results);

private:
    void End(bool closeRequest) noexcept;
    void Finish(TScreenPickOutcome outcome, TColor colour, const std::string& reason);
    void Subscribe(const QString& path);
    void Unsubscribe() noexcept;

    QDBusConnection FBus;
    QTimer FTimeout;
    std::chrono::milliseconds FAnswerTimeout;
    TScreenPickDone FDone;
    QString FPath;
    bool FReplied = false;
    unsigned FRequests = 0;
};

} // namespace tintwell
