// tintwell: the desktop program. Start-up order: the application object, translation, the graphic
// formats with their translated descriptions, the locale's formats, the settings store (which may
// override the date formats), the display's properties for the loaders and the colour model, the
// main window, the event loop.
#include <QScreen>
#include <QTimer>

#include "app/application.h"
#include "colour/colour.h"
#include "core/format_settings.h"
#include "i18n/translation.h"
#include "imaging/display_info.h"
#include "imaging/registry.h"
#include "platform/qt_platform_services.h"
#include "settings/settings_store.h"
#include "ui/common/error_box.h"
#include "ui/main/main_window.h"
#include "ui/picker/color_picker_window.h"

int main(int argc, char** argv) {
    using namespace tintwell;
    TQtPlatformServices platform(DefaultUserStorePath());
    TApplication application(argc, argv, platform);
    QApplication::setApplicationName(
        QString::fromUtf8(kApplicationTitle.data(), static_cast<qsizetype>(kApplicationTitle.size())));

    const TTranslationModule translation(platform, QCoreApplication::applicationFilePath().toStdString());
    // The first lookup opens the catalogue, so a catalogue that cannot be used is known before any
    // window shows; it is reported once the main window is up.
    GraphicFormats();

    SetFormatSettings(platform.LocaleFormats());
    // Opened after the locale's formats are in place: its date overrides replace them.
    const TSettingsModule settings(platform);
    const QSize dpi = platform.DisplayDpi();
    SetDisplayInfo({platform.DisplayBitsPerPixel(), dpi.width(), dpi.height()});
    SetSystemColor(COLOR_GRAYTEXT, platform.SystemColor(COLOR_GRAYTEXT));

    TfrmTintwell frmTintwell(platform);
    // The picker after the main window, hidden, translated and placed; connected before the main
    // window shows, which registers its callbacks. A tool window over the main window: closing the
    // main window ends the program even while the picker is shown.
    TFormPtr<TfrmColorPicker> frmColorPicker = CreateForm<TfrmColorPicker>(platform, &frmTintwell);
    frmTintwell.SetColorPicker(frmColorPicker.get());
    frmTintwell.show();
    QTimer::singleShot(0, &frmTintwell, [&platform] {
        if (const std::optional<std::string> report = TakeTranslationReport())
            ShowException(platform, std::make_exception_ptr(EGnuGettextError(*report)));
    });
    const int exitCode = QApplication::exec();
    // The picker goes first, while the main window and the settings store still exist: its last
    // stop reaches the main window, and its placement is stored.
    frmColorPicker.reset();
    frmTintwell.SetColorPicker(nullptr);
    return exitCode;
}
