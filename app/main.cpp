// tintwell: the desktop program. Start-up order: the display's properties for the loaders and
// the colour model, the application object, the main window, the event loop.
#include <QScreen>

#include "app/application.h"
#include "colour/colour.h"
#include "core/format_settings.h"
#include "imaging/display_info.h"
#include "platform/qt_platform_services.h"
#include "ui/common/error_box.h"
#include "ui/main/main_window.h"

int main(int argc, char** argv) {
    using namespace tintwell;
    TQtPlatformServices platform;
    TApplication application(argc, argv, platform);
    QApplication::setApplicationName(
        QString::fromUtf8(kApplicationTitle.data(), static_cast<qsizetype>(kApplicationTitle.size())));

    SetFormatSettings(platform.LocaleFormats());
    const QSize dpi = platform.DisplayDpi();
    SetDisplayInfo({platform.DisplayBitsPerPixel(), dpi.width(), dpi.height()});
    SetSystemColor(COLOR_GRAYTEXT, platform.SystemColor(COLOR_GRAYTEXT));

    TfrmTintwell frmTintwell(platform);
    frmTintwell.show();
    return QApplication::exec();
}
