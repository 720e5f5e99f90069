#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

namespace tintwell::test {

// A private Wayland compositor for end-to-end tests: Debian's weston with its headless backend,
// on a socket in a runtime folder of its own, so it never meets a desktop's compositor. Its log
// goes to weston.log in that folder.
class TWaylandCompositor {
public:
    TWaylandCompositor();
    ~TWaylandCompositor();
    TWaylandCompositor(const TWaylandCompositor&) = delete;
    TWaylandCompositor& operator=(const TWaylandCompositor&) = delete;

    bool Started() const noexcept { return FStarted; }
    // What the compositor printed, for a failure's message.
    QString Log() const;
    // Makes environment a Wayland client's of this compositor: its socket and runtime folder, Qt's
    // Wayland platform, and no X display to fall back on.
    void UseFor(QProcessEnvironment& environment) const;

private:
    QTemporaryDir FRuntime;
    QProcess FWeston;
    bool FStarted = false;
};

} // namespace tintwell::test
