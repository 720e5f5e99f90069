#pragma once

#include <QProcess>
#include <QString>
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

} // namespace tintwell::test
