#include "e2e/x_session.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>
#include <xcb/xcb.h>

namespace tintwell::test {

QString FirstLineOf(QProcess& process, std::chrono::milliseconds timeout) {
    QByteArray output;
    QElapsedTimer clock;
    clock.start();
    while (!output.contains('\n') && clock.elapsed() < timeout.count() &&
           process.state() == QProcess::Running) {
        process.waitForReadyRead(500);
        output += process.readAllStandardOutput();
    }
    return QString::fromUtf8(output).section('\n', 0, 0).trimmed();
}

void Stop(QProcess& process) {
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    process.waitForFinished(5000);
}

TXServer::TXServer(QSize size) {
    // -displayfd 1: the server writes its display number on its standard output once it accepts
    // connections, which is also the moment it is ready.
    const QString screen = QString("%1x%2x24").arg(size.width()).arg(size.height());
    FServer.start("Xvfb", {"-displayfd", "1", "-screen", "0", screen, "-noreset", "-nolisten", "tcp"});
    if (!FServer.waitForStarted(10000))
        return;
    const QString number = FirstLineOf(FServer, std::chrono::seconds(20));
    if (!number.isEmpty())
        FDisplay = ":" + number;
}

TXServer::~TXServer() { Stop(FServer); }

bool UseXServer(const TXServer& server) {
    if (server.Display().isEmpty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return false;
    }
    setenv("DISPLAY", server.Display().toLocal8Bit().constData(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    unsetenv("WAYLAND_DISPLAY");
    return true;
}

QString XDoTool(const QStringList& arguments, std::chrono::milliseconds timeout) {
    QProcess tool;
    tool.start("xdotool", arguments);
    if (!tool.waitForFinished(static_cast<int>(timeout.count()))) {
        tool.kill();
        tool.waitForFinished();
        return {};
    }
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

unsigned long WaitForWindow(const QString& title, std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeout.count()) {
        const QString found = XDoTool({"search", "--onlyvisible", "--name", "^" + title + "$"});
        if (!found.isEmpty())
            return found.split('\n').first().toULong();
        QThread::msleep(100);
    }
    return 0;
}

bool WaitUntilGone(const QString& title, std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    while (!XDoTool({"search", "--onlyvisible", "--name", "^" + title + "$"}).isEmpty()) {
        if (clock.elapsed() >= timeout.count())
            return false;
        QThread::msleep(100);
    }
    return true;
}

QRect WindowGeometry(unsigned long window) {
    // --shell prints WINDOW=, X=, Y=, WIDTH=, HEIGHT=, SCREEN= lines.
    const QString shell = XDoTool({"getwindowgeometry", "--shell", QString::number(window)});
    int x = 0, y = 0, w = 0, h = 0;
    for (const QString& line : shell.split('\n')) {
        const QString key = line.section('=', 0, 0), value = line.section('=', 1);
        if (key == "X")
            x = value.toInt();
        if (key == "Y")
            y = value.toInt();
        if (key == "WIDTH")
            w = value.toInt();
        if (key == "HEIGHT")
            h = value.toInt();
    }
    return {x, y, w, h};
}

bool CloseWindow(unsigned long window) {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return false;
    }
    const auto intern = [connection](const char* name) -> xcb_atom_t {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return atom;
    };
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(window);
    message.type = intern("WM_PROTOCOLS");
    message.data.data32[0] = intern("WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    const xcb_void_cookie_t sent = xcb_send_event_checked(
        connection, 0, message.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&message));
    xcb_generic_error_t* error = xcb_request_check(connection, sent);
    const bool ok = error == nullptr && message.type != XCB_ATOM_NONE;
    std::free(error);
    xcb_disconnect(connection);
    return ok;
}

bool PaintRootPattern(QSize root) {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return false;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_gcontext_t gc = xcb_generate_id(connection);
    xcb_create_gc(connection, gc, screen->root, 0, nullptr);
    // In bands small enough for one request each.
    constexpr int kBand = 32;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(root.width()) * kBand);
    bool ok = true;
    for (int top = 0; top < root.height() && ok; top += kBand) {
        const int rows = std::min(kBand, root.height() - top);
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < root.width(); ++x)
                pixels[static_cast<std::size_t>(y * root.width() + x)] = Encoded(x, top + y) & 0xffffffu;
        xcb_generic_error_t* error = xcb_request_check(
            connection,
            xcb_put_image_checked(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, gc,
                                  static_cast<std::uint16_t>(root.width()), static_cast<std::uint16_t>(rows),
                                  0, static_cast<std::int16_t>(top), 0, 24,
                                  static_cast<std::uint32_t>(rows * root.width() * 4),
                                  reinterpret_cast<const std::uint8_t*>(pixels.data())));
        ok = error == nullptr;
        std::free(error);
    }
    xcb_free_gc(connection, gc);
    xcb_disconnect(connection);
    return ok;
}

bool SetMonitors(QRect left, QRect right) {
    // Physical sizes at 96 dpi; xrandr wants them.
    const auto geometry = [](QRect r) {
        return QString("%1/%2x%3/%4+%5+%6")
            .arg(r.width())
            .arg(r.width() * 254 / 960)
            .arg(r.height())
            .arg(r.height() * 254 / 960)
            .arg(r.x())
            .arg(r.y());
    };
    return QProcess::execute("xrandr", {"--setmonitor", "L", geometry(left), "none"}) == 0 &&
           QProcess::execute("xrandr", {"--setmonitor", "R", geometry(right), "none"}) == 0;
}

QImage GrabScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return {};
    return screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

QImage WaitForScreen(const std::function<bool(const QImage&)>& check, std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    QImage screen;
    do {
        QCoreApplication::processEvents();
        screen = GrabScreen();
        if (!screen.isNull() && check(screen))
            return screen;
        QThread::msleep(50);
    } while (clock.elapsed() < timeout.count());
    return screen;
}

} // namespace tintwell::test
