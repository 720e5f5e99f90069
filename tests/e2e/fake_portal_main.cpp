// A desktop portal of the end-to-end tests' own, on the session bus: it answers PickColor as a real
// portal does once the user has clicked a colour. Prints "ready" once it owns the portal's name, and
// "PickColor" at each call.
//   fake_portal answer|cancel|silent RED GREEN BLUE   (channels 0..1)
#include <QCoreApplication>
#include <QDBusConnection>
#include <cstdio>
#include <cstring>

#include "support/fake_portal.h"

int main(int argc, char** argv) {
    using namespace tintwell::test;
    QCoreApplication application(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: fake_portal answer|cancel|silent RED GREEN BLUE\n");
        return 2;
    }
    const TPortalMode mode = std::strcmp(argv[1], "cancel") == 0   ? TPortalMode::Cancel
                             : std::strcmp(argv[1], "silent") == 0 ? TPortalMode::Silent
                                                                   : TPortalMode::Answer;
    const TPortalColour colour{std::atof(argv[2]), std::atof(argv[3]), std::atof(argv[4])};
    TFakePortal portal(QDBusConnection::sessionBus(), mode, colour);
    portal.OnCall = [] {
        std::printf("PickColor\n");
        std::fflush(stdout);
    };
    if (!portal.Register()) {
        std::fprintf(stderr, "fake_portal: cannot take the portal's name on the session bus\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}
