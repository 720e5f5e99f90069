#include "e2e/wayland_session.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include "e2e/x_session.h"

namespace tintwell::test {
namespace {

const QString kSocket = QStringLiteral("tintwell-e2e");

} // namespace

TWaylandCompositor::TWaylandCompositor() {
    if (!FRuntime.isValid())
        return;
    // Kept to the user alone (mode 0700), as a session's runtime folder is.
    QFile::setPermissions(FRuntime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", FRuntime.path());
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("DISPLAY");
    FWeston.setProcessEnvironment(environment);
    FWeston.setProcessChannelMode(QProcess::MergedChannels);
    FWeston.setStandardOutputFile(FRuntime.filePath("weston.log"));
    FWeston.start("weston", {"--backend=headless-backend.so", "--socket=" + kSocket, "--idle-time=0",
                             "--no-config", "--width=1280", "--height=1024"});
    if (!FWeston.waitForStarted(10000))
        return;
    // The socket appears once the compositor accepts clients.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000 && FWeston.state() == QProcess::Running) {
        if (QFileInfo::exists(FRuntime.filePath(kSocket))) {
            FStarted = true;
            return;
        }
        QThread::msleep(50);
    }
}

TWaylandCompositor::~TWaylandCompositor() {
    if (FWeston.state() != QProcess::NotRunning)
        Stop(FWeston);
}

QString TWaylandCompositor::Log() const {
    QFile log(FRuntime.filePath("weston.log"));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

void TWaylandCompositor::UseFor(QProcessEnvironment& environment) const {
    environment.insert("XDG_RUNTIME_DIR", FRuntime.path());
    environment.insert("WAYLAND_DISPLAY", kSocket);
    environment.insert("QT_QPA_PLATFORM", "wayland");
    environment.remove("DISPLAY");
}

} // namespace tintwell::test
