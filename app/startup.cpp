#include "app/startup.h"

#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fontconfig/fontconfig.h>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "app/application.h"
#include "app/command_line.h"
#include "colour/colour.h"
#include "core/format_settings.h"
#include "core/version.h"
#include "i18n/translation.h"
#include "imaging/display_info.h"
#include "imaging/registry.h"
#include "settings/settings_store.h"
#include "ui/common/error_box.h"

namespace tintwell {
namespace {

// The windows, made in their order. An error in either ends start-up: the caller tells it.
void MakeWindows(TPlatformServices& platform, const TStartupWindows& makers,
                 std::unique_ptr<TfrmTintwell>& main, TFormPtr<TfrmColorPicker>& picker) {
    main = makers.MakeMainWindow ? makers.MakeMainWindow(platform) : std::make_unique<TfrmTintwell>(platform);
    // The picker after the main window, hidden, translated and placed: a tool window over the main
    // window, so closing the main window ends the program even while the picker is shown.
    picker = makers.MakePicker ? makers.MakePicker(platform, *main)
                               : CreateForm<TfrmColorPicker>(platform, main.get());
}

// A window that could not be made: the program cannot go on. Told on standard error, for a start
// from a terminal or a desktop's log, and in the error box, for a start from the desktop.
void TellStartFailed(TPlatformServices& platform, std::exception_ptr error) noexcept {
    if (const std::optional<std::string> message = ErrorMessage(error))
        std::fprintf(stderr, "%s: %s\n", kApplicationTitle.data(), ErrorBoxText(*message).c_str());
    ShowException(platform, error);
}

// Reads the font configuration and maps its caches on another core while the application object
// connects to the display: the main window's first label needs them, the display does not. Qt's own
// FcInit then finds the configuration loaded. Joined before any window is made.
class TFontConfigLoad {
public:
    TFontConfigLoad() {
        try {
            FThread = std::thread([] { FcInit(); });
        } catch (const std::system_error&) {
            // No thread to spare: Qt loads the configuration itself, a little later.
        }
    }
    ~TFontConfigLoad() { Wait(); }
    TFontConfigLoad(const TFontConfigLoad&) = delete;
    TFontConfigLoad& operator=(const TFontConfigLoad&) = delete;
    void Wait() {
        if (FThread.joinable())
            FThread.join();
    }

private:
    std::thread FThread;
};

// --help and --version: answered on standard output, with exit code 0.
int Answer(TCommandLine::TAction action) {
    if (action == TCommandLine::TAction::Help)
        std::fputs(UsageText(), stdout);
    else
        std::printf("%s %s\n", kApplicationTitle.data(), std::string(ProgramVersion()).c_str());
    return 0;
}

std::vector<std::string> ArgumentsAfterQt() {
    std::vector<std::string> arguments;
    const QStringList all = QCoreApplication::arguments();
    for (qsizetype i = 1; i < all.size(); ++i)
        arguments.push_back(all[i].toLocal8Bit().toStdString());
    return arguments;
}

} // namespace

int RunTintwell(int& argc, char** argv, TPlatformServices& platform, const TStartupWindows& windows) {
    // --help and --version need no display.
    if (const std::optional<TCommandLine::TAction> early =
            EarlyAction({argv + std::min(argc, 1), argv + argc}))
        return Answer(*early);

    // The framework first: the application object, whose title is the error box's caption. It takes
    // its own arguments; the rest are ours, checked before anything else is made.
    TFontConfigLoad fontConfig;
    TApplication application(argc, argv, platform);
    QApplication::setApplicationName(
        QString::fromUtf8(kApplicationTitle.data(), static_cast<qsizetype>(kApplicationTitle.size())));
    const TCommandLine line = ParseCommandLine(ArgumentsAfterQt());
    if (line.Action == TCommandLine::TAction::Error) {
        std::fprintf(stderr, "tintwell: %s\n%s", line.Message.c_str(), UsageText());
        return 2;
    }
    if (line.Action != TCommandLine::TAction::Run)
        return Answer(line.Action);

    // Translation, then the graphic formats, whose descriptions are translated when they register:
    // the first lookup opens the catalogue, so a catalogue that cannot be used is known before any
    // window shows (it is reported once the main window is up).
    const TTranslationModule translation(platform, QCoreApplication::applicationFilePath().toStdString());
    GraphicFormats();

    // The settings store opens after the locale's formats are in place (its date overrides replace
    // them) and before any window (the picker restores its placement from it).
    SetFormatSettings(platform.LocaleFormats());
    const TSettingsModule settings(platform);
    const QSize dpi = platform.DisplayDpi();
    SetDisplayInfo({platform.DisplayBitsPerPixel(), dpi.width(), dpi.height()});
    SetSystemColor(COLOR_GRAYTEXT, platform.SystemColor(COLOR_GRAYTEXT));

    fontConfig.Wait();
    std::unique_ptr<TfrmTintwell> frmTintwell;
    TFormPtr<TfrmColorPicker> frmColorPicker;
    try {
        MakeWindows(platform, windows, frmTintwell, frmColorPicker);
    } catch (...) {
        // The message loop is not entered; what was made goes, picker first.
        TellStartFailed(platform, std::current_exception());
        return 1;
    }
    // Connected before the main window shows, which registers its callbacks.
    frmTintwell->SetColorPicker(frmColorPicker.get());
    frmTintwell->show();
    QTimer::singleShot(0, frmTintwell.get(), [&platform] {
        if (const std::optional<std::string> report = TakeTranslationReport())
            ShowException(platform, std::make_exception_ptr(EGnuGettextError(*report)));
    });
    // The file of the command line (a file manager's "open with") once the window shows, as if it
    // had been chosen in the dialog.
    if (line.File)
        QTimer::singleShot(0, frmTintwell.get(),
                           [window = frmTintwell.get(), file = *line.File] { window->OpenImage(file); });
    const int exitCode = QApplication::exec();

    // The picker goes first, while the main window and the settings store still exist: its last
    // stop reaches the main window, and its placement is stored. Then the main window, then the
    // modules in reverse.
    frmColorPicker.reset();
    frmTintwell->SetColorPicker(nullptr);
    frmTintwell.reset();
    return exitCode;
}

} // namespace tintwell
