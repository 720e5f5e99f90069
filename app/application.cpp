#include "app/application.h"

#include "app/errors/error_box.h"

namespace tintwell {

TApplication::TApplication(int& argc, char** argv, TPlatformServices& platform)
    : QApplication(argc, argv), FPlatform(platform) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowException(FPlatform, std::current_exception());
        return false;
    }
}

} // namespace tintwell
