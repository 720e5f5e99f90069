#pragma once

#include <QImage>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

#include "support/screen_pattern.h"

namespace tintwell::test {

// The first line a started helper process prints (its display number, its bus address), or an
// empty text if it prints none within timeout or ends first.
QString FirstLineOf(QProcess& process, std::chrono::milliseconds timeout);

// Ends a helper process: politely, then for sure.
void Stop(QProcess& process);

// A private X server for end-to-end tests: Xvfb on the display number it picks itself
// (-displayfd), so parallel runs never collide, started with -noreset so it keeps its root window
// and pointer when the last client leaves. Depth 24, 1920 x 1080 unless told.
class TXServer {
public:
    explicit TXServer(QSize size = QSize(1920, 1080));
    ~TXServer();
    TXServer(const TXServer&) = delete;
    TXServer& operator=(const TXServer&) = delete;

    // ":N", or empty when the server did not start.
    const QString& Display() const noexcept { return FDisplay; }

private:
    QProcess FServer;
    QString FDisplay;
};

// Points this process and the programs it starts at the server: DISPLAY, Qt's xcb platform, and no
// Wayland display (the programs under test need no window manager's help with the focus). False,
// with a message on standard error, when the server did not start.
bool UseXServer(const TXServer& server);

// Runs xdotool with arguments on the current DISPLAY; its standard output, or an empty text after
// timeout. Failures show up as an empty result, which the tests check.
QString XDoTool(const QStringList& arguments, std::chrono::milliseconds timeout = std::chrono::seconds(20));

// The top-level window whose title is exactly title, waited for up to timeout; 0 if none appeared.
unsigned long WaitForWindow(const QString& title, std::chrono::milliseconds timeout);

// Waits up to timeout until no visible window has exactly this title; whether none is left.
bool WaitUntilGone(const QString& title, std::chrono::milliseconds timeout);

// The window's client area on the screen (there is no window manager, so no frame).
QRect WindowGeometry(unsigned long window);

// Asks the window to close as a window manager's close button does (a WM_DELETE_WINDOW message);
// whether the message went out.
bool CloseWindow(unsigned long window);

// Paints the picker tests' coordinate pattern (support/screen_pattern.h) over a root window of the
// given size; whether the server took it.
bool PaintRootPattern(QSize root);
// Places two monitors on the root window with xrandr, as a desktop with two screens side by side
// has them: the left one primary. Whether xrandr took them.
bool SetMonitors(QRect left, QRect right);

// The whole screen as the X server shows it now.
QImage GrabScreen();

// Polls until check(screen) holds or timeout passes; returns the last screen taken.
QImage WaitForScreen(const std::function<bool(const QImage&)>& check, std::chrono::milliseconds timeout);

} // namespace tintwell::test
