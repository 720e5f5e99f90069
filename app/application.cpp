#include "app/application.h"

#include "ui/common/design_font.h"
#include "ui/common/error_box.h"

namespace tintwell {

TApplication::TApplication(int& argc, char** argv, TPlatformServices& platform)
    : QApplication(argc, argv), FPlatform(platform) {
    setFont(DesignFont());
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowException(FPlatform, std::current_exception());
        return false;
    }
}

} // namespace tintwell
