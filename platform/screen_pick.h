#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVariantMap>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "core/tcolor.h"

namespace tintwell {

// How a colour can be taken from the screen in this session, chosen once at start-up.
enum class TScreenPickPath {
    X11Copy, // the X server's root window, read directly
    Portal,  // the desktop portal's PickColor: the only way in a Wayland session
    None,    // neither: picking from the screen is not available
};

// What the choice depends on.
struct TPickEnvironment {
    std::string Platform;        // Qt's platform plugin: "xcb", "wayland", "offscreen"...
    bool WaylandSession = false; // WAYLAND_DISPLAY is set, so a Wayland compositor owns the screen
    bool SessionBus = false;     // a D-Bus session bus answers, where a portal could live
};

// An X client outside a Wayland session copies the root window. Inside one (a Wayland client, or
// an X client of XWayland, whose root copies show Wayland windows black: a silent wrong colour) only
// the portal can pick, and without a session bus nothing can. Other platforms cannot pick.
TScreenPickPath ChooseScreenPickPath(const TPickEnvironment& environment) noexcept;

// Asks the desktop portal (org.freedesktop.portal.Screenshot.PickColor on the session bus) for one
// colour the user picks on the screen, without blocking: the answer arrives through the event loop.
// The request's Response signal is subscribed to, under a handle token of our own, before the call
// goes out, so an answer that comes at once is never missed.
class TPortalColorPick : public QObject {
    Q_OBJECT
public:
    enum class TOutcome { Picked, Cancelled, Failed };
    // colour is meaningful for Picked; reason (the portal's error, or that it did not answer) for
    // Failed.
    using TDone = std::function<void(TOutcome outcome, TColor colour, const std::string& reason)>;

    TPortalColorPick(QDBusConnection bus, std::chrono::milliseconds timeout, QObject* parent = nullptr);
    ~TPortalColorPick() override;

    // Starts a request; done runs once, from the event loop. A request already pending is ended
    // first, without calling its done.
    void Start(TDone done);
    // Ends a pending request without an answer; its done is not called.
    void Cancel();
    bool Pending() const noexcept { return static_cast<bool>(FDone); }

    // A channel of the portal's colour (0..1) as a level: round half to even of value x 255,
    // clamped to 0..255; NaN gives 0.
    static int Level(double value) noexcept;

private slots:
    void Response(uint response, const QVariantMap& results);

private:
    void Finish(TOutcome outcome, TColor colour, const std::string& reason);
    void Subscribe(const QString& path);
    void Unsubscribe();

    QDBusConnection FBus;
    QTimer FTimeout;
    TDone FDone;
    QString FPath;
    unsigned FRequests = 0;
};

} // namespace tintwell
