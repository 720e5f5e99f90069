#pragma once

#include <functional>
#include <memory>

#include "settings/zorvik_form.h"
#include "ui/main/main_window.h"
#include "ui/picker/color_picker_window.h"

namespace tintwell {

class TPlatformServices;

// The two windows start-up makes, main window first. Empty makers make the program's own; a test
// may make a window of its own in place of one (a window whose construction fails, or one it keeps
// a hand on).
struct TStartupWindows {
    std::function<std::unique_ptr<TfrmTintwell>(TPlatformServices& platform)> MakeMainWindow;
    std::function<TFormPtr<TfrmColorPicker>(TPlatformServices& platform, TfrmTintwell& owner)> MakePicker;
};

// The program from start to end: the application object, then the modules in their order
// (translation, the graphic formats with their translated descriptions, the locale's formats, the
// settings store with its date overrides, the display's properties), the main window, the picker
// (hidden, translated, its placement restored), the message loop with the standard error box; then
// the picker destroyed first (its last stop reaching the main window, its placement stored while the
// store is open), the main window, and the modules in reverse. A file among the arguments is opened
// once the main window shows. The exit code: the loop's (0 when the main window was closed); 0
// after --help or --version; 2 for arguments it does not take (told on standard error); 1 when a
// window could not be made, which is told on standard error and in the error box.
int RunTintwell(int& argc, char** argv, TPlatformServices& platform, const TStartupWindows& windows = {});

} // namespace tintwell
