#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <chrono>
#include <map>

namespace tintwell::test {

// A private D-Bus session for the end-to-end tests, so the accessibility bus they read is their
// own and never the desktop's. Sets DBUS_SESSION_BUS_ADDRESS for this process and its children.
class TSessionBus {
public:
    TSessionBus();
    ~TSessionBus();
    TSessionBus(const TSessionBus&) = delete;
    TSessionBus& operator=(const TSessionBus&) = delete;

    bool Started() const noexcept { return !FAddress.isEmpty(); }

private:
    QProcess FDaemon;
    QString FAddress;
};

// What a screen reader learns of one application over AT-SPI: every accessible object's name
// with its description, read from the accessibility bus. Waits up to timeout for an application
// named applicationName that shows at least minimumObjects named objects; empty if none did.
std::multimap<QString, QString> ReadAccessibleNames(const QString& applicationName,
                                                    std::size_t minimumObjects,
                                                    std::chrono::milliseconds timeout);

// Runs the first action (a button's press) of the first object named name in the application,
// waiting up to timeout for it to appear; whether the action ran.
bool PressAccessible(const QString& applicationName, const QString& name, std::chrono::milliseconds timeout);

// The text of the first object named name (an edit field's contents), waited for up to timeout;
// empty if there is none.
QString ReadAccessibleText(const QString& applicationName, const QString& name,
                           std::chrono::milliseconds timeout);

// The names of the application's windows as they are now, one entry a window (open message boxes
// included).
QStringList ReadWindowNames(const QString& applicationName);

} // namespace tintwell::test
