// tintwell: the desktop program. Everything from start to end is RunTintwell's, in its order.
#include "app/startup.h"
#include "platform/qt_platform_services.h"

int main(int argc, char** argv) {
    using namespace tintwell;
    // Made before the application object, which it outlives: the error box of the last moments
    // still has a platform to show through.
    TQtPlatformServices platform(DefaultUserStorePath());
    return RunTintwell(argc, argv, platform);
}
