// The program from start to end against the fake platform, one run of it a test (CTest runs each
// test in a process of its own): the modules in their order, seen through what each leaves for the
// next; the windows; the shutdown that stores the picker's placement; and a window that cannot be
// made.
#include <QTimer>
#include <fstream>
#include <gtest/gtest.h>

#include "app/startup.h"
#include "colour/colour.h"
#include "core/exception.h"
#include "core/format_settings.h"
#include "i18n/translation.h"
#include "imaging/analysis.h"
#include "imaging/picture.h"
#include "settings/settings_store.h"
#include "support/bmp_builder.h"
#include "support/fake_platform_services.h"
#include "support/temp_dir.h"

// Fontconfig keeps a few blocks of its configuration's loading until the process ends; where start-up
// ends before Qt has used that configuration (arguments refused), the leak sanitizer reports them.
// They belong to the library, not to the code under test. (The sanitizer asks for this function;
// other builds never call it.)
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace tintwell {
namespace {

using test::TFakePlatformServices;

constexpr std::string_view kRoot = "\\Software\\zorVIK\\Quelm";
constexpr std::string_view kPickerKey = "\\Software\\zorVIK\\Quelm\\Forms\\frmColorPicker";

// The program's own windows, with a script that runs inside the message loop once the main window
// is up and what start-up queued for its first turn (a file to open) has run. The script ends the
// run by closing the main window.
TStartupWindows Scripted(std::function<void(TfrmTintwell&, TfrmColorPicker&)> script) {
    TStartupWindows windows;
    windows.MakePicker = [script = std::move(script)](TPlatformServices& platform, TfrmTintwell& owner) {
        TFormPtr<TfrmColorPicker> picker = CreateForm<TfrmColorPicker>(platform, &owner);
        QTimer::singleShot(0, &owner, [&owner, picker = picker.get(), script] {
            QTimer::singleShot(0, &owner, [&owner, picker, script] { script(owner, *picker); });
        });
        return picker;
    };
    return windows;
}

int RunProgram(TFakePlatformServices& platform, const TStartupWindows& windows,
               std::vector<std::string> arguments = {}) {
    arguments.insert(arguments.begin(), "tintwell");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    int count = static_cast<int>(arguments.size());
    return RunTintwell(count, argv.data(), platform, windows);
}

// Translation is up before the graphic formats register (their descriptions come translated), the
// store opens after the locale's formats (its date separator wins) and before the picker (which
// restores its placement from it); all of them go when the run ends.
TEST(StartUp, TheModulesComeUpInTheirOrderAndGoInReverse) {
    TFakePlatformServices platform;
    platform.Lang = "de_DE.UTF-8";
    platform.Formats.DateSeparator = '/';
    platform.Registry[std::string(kRoot)]["OrvDateSeparator"] = std::string("-");
    platform.Registry[std::string(kPickerKey)]["Left"] = std::int32_t{301};
    platform.Registry[std::string(kPickerKey)]["Top"] = std::int32_t{202};
    bool ran = false;
    const auto script = [&](TfrmTintwell& main, TfrmColorPicker& picker) {
        ran = true;
        // What the start does not need is not made: no screen copied for the picker, no dialog.
        EXPECT_EQ(platform.Grabs, 0);
        EXPECT_EQ(platform.Dialogs, 0);
        EXPECT_EQ(CurrentLanguage(), "de_DE");
        main.Button1->click(); // the open dialog lists the formats as they registered
        bool germanJpeg = false;
        for (const TFileFilterRow& row : platform.LastFilter)
            germanJpeg = germanJpeg || row.Text.find("JPEG-Bilddatei") != std::string::npos;
        EXPECT_TRUE(germanJpeg) << "the formats registered before the catalogue was open";
        EXPECT_EQ(FormatSettings().DateSeparator, '-');
        EXPECT_TRUE(main.isVisible());
        EXPECT_FALSE(picker.isVisible()) << "the picker starts hidden";
        EXPECT_EQ(QPoint(picker.Left(), picker.Top()), QPoint(301, 202));
        EXPECT_EQ(picker.windowTitle(), "Farbpipette") << "translated when made";
        main.close();
    };
    const int exitCode = RunProgram(platform, Scripted(script));
    EXPECT_TRUE(ran);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(CurrentLanguage(), "C") << "translation finalised";
    EXPECT_EQ(ReadSetting({}, "OrvDateSeparator", std::string("none")), TSettingValue(std::string("none")))
        << "the store closed";
}

// Closing the main window while the picker is open and capturing: the picker stops, is destroyed
// with its placement stored while the store is open, and the program exits with 0.
TEST(StartUp, ClosingTheMainWindowWhileThePickerCapturesStoresItsPlacement) {
    TFakePlatformServices platform;
    platform.Screen = QImage(1920, 1080, QImage::Format_RGB32);
    platform.Screen.fill(qRgb(12, 34, 56));
    const auto script = [&](TfrmTintwell& main, TfrmColorPicker& picker) {
        main.pbColorPicker->click();
        picker.fraColorPicker1->pbCapture->click();
        static_cast<TFakePlatformServices::TFakeTimer&>(*picker.fraColorPicker1->Timer1).Fire();
        EXPECT_TRUE(picker.isVisible());
        EXPECT_TRUE(picker.IsCapturing());
        picker.move(333, 222);
        main.close();
    };
    const int exitCode = RunProgram(platform, Scripted(script));
    EXPECT_EQ(exitCode, 0);
    const auto& stored = platform.Registry.at(std::string(kPickerKey));
    EXPECT_EQ(stored.at("Left"), TFakePlatformServices::TValue(std::int32_t{333}));
    EXPECT_EQ(stored.at("Top"), TFakePlatformServices::TValue(std::int32_t{222}));
    EXPECT_TRUE(platform.ErrorBoxes.empty());
}

// A store that cannot be read: the overrides and the placement are not had, and start-up goes on.
TEST(StartUp, AnUnreadableStoreDoesNotStopStartUp) {
    TFakePlatformServices platform;
    platform.Formats.DateSeparator = '/';
    platform.RegistryUnreadable = true;
    bool ran = false;
    const auto script = [&](TfrmTintwell& main, TfrmColorPicker& picker) {
        ran = true;
        EXPECT_TRUE(main.isVisible());
        EXPECT_EQ(FormatSettings().DateSeparator, '/') << "the locale's own";
        EXPECT_EQ(QPoint(picker.Left(), picker.Top()), QPoint(192, 114)) << "the designed place";
        main.close();
    };
    const int exitCode = RunProgram(platform, Scripted(script));
    EXPECT_TRUE(ran);
    EXPECT_EQ(exitCode, 0);
}

// A file on the command line (a file manager's "open with") takes the Open Image road once the
// window shows: its colour becomes current, or the error box says why it did not load.
TEST(StartUp, AFileOnTheCommandLineIsOpenedOnceTheWindowShows) {
    const test::TempDir folder;
    test::TBmpRecipe recipe;
    recipe.Pixel = [](int, int, std::uint8_t rgb[3]) {
        rgb[0] = 0x11;
        rgb[1] = 0x22;
        rgb[2] = 0x33;
    };
    const auto write = [&folder](const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = folder.Path(name);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    };
    const std::string good = write("solid.bmp", test::MakeBmp(recipe));
    const std::string bad = write("broken.bmp", {'B', 'M', 1, 2, 3});
    for (const std::string& file : {good, bad}) {
        TFakePlatformServices platform;
        std::string html;
        const auto script = [&](TfrmTintwell& main, TfrmColorPicker&) {
            html = main.dfHTML->text().toStdString();
            main.close();
        };
        EXPECT_EQ(RunProgram(platform, Scripted(script), {file}), 0);
        EXPECT_EQ(platform.Dialogs, 0) << "no dialog: the file was given";
        if (file == good) {
            // What Open Image shows for the same file.
            TPicture picture;
            picture.LoadFromFile(good);
            EXPECT_EQ(html, ColorToHTML(PictureAverageColor(*picture.Graphic())));
            EXPECT_NE(html, "#808080");
            EXPECT_TRUE(platform.ErrorBoxes.empty());
        } else {
            EXPECT_EQ(html, "#808080") << "the colour stays";
            ASSERT_EQ(platform.ErrorBoxes.size(), 1u);
            EXPECT_EQ(platform.ErrorBoxes[0].first, "Tintwell");
        }
    }
}

// Arguments it does not take end the program before any window, with exit code 2.
TEST(StartUp, ArgumentsItDoesNotTakeExitWith2) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"a.bmp", "b.bmp"}, std::vector<std::string>{"--open", "a.bmp"}}) {
        TFakePlatformServices platform;
        bool made = false;
        TStartupWindows windows;
        windows.MakeMainWindow = [&made](TPlatformServices& services) {
            made = true;
            return std::make_unique<TfrmTintwell>(services);
        };
        ::testing::internal::CaptureStderr();
        const int exitCode = RunProgram(platform, windows, arguments);
        const std::string errors = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(exitCode, 2);
        EXPECT_FALSE(made);
        EXPECT_NE(errors.find("tintwell: "), std::string::npos) << errors;
        EXPECT_NE(errors.find("Usage: tintwell [FILE]"), std::string::npos) << errors;
        EXPECT_TRUE(platform.ErrorBoxes.empty());
    }
}

TEST(StartUp, VersionAndHelpAnswerWithoutAWindow) {
    TFakePlatformServices platform;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(RunProgram(platform, {}, {"--version"}), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Tintwell " TINTWELL_PROJECT_VERSION "\n");
}

// A main window whose construction fails after its base was made.
class TFailingMainWindow : public TfrmTintwell {
public:
    explicit TFailingMainWindow(TPlatformServices& platform) : TfrmTintwell(platform) {
        throw Exception("The window could not be made");
    }
};

struct TFailureCase {
    const char* Name;
    bool MainFails; // else the picker's
};
void PrintTo(const TFailureCase& c, std::ostream* out) { *out << c.Name; }

class StartUpFailure : public ::testing::TestWithParam<TFailureCase> {};

// A window that cannot be made ends the program before the loop: the message on standard error and
// in the error box, exit code 1.
TEST_P(StartUpFailure, EndsTheProgramWithTheMessageAndExitCode1) {
    TFakePlatformServices platform;
    bool loopRan = false;
    TStartupWindows windows;
    if (GetParam().MainFails) {
        windows.MakeMainWindow = [&loopRan](TPlatformServices& services) -> std::unique_ptr<TfrmTintwell> {
            QTimer::singleShot(0, [&loopRan] { loopRan = true; });
            return std::make_unique<TFailingMainWindow>(services);
        };
    } else {
        windows.MakePicker = [&loopRan](TPlatformServices&, TfrmTintwell&) -> TFormPtr<TfrmColorPicker> {
            QTimer::singleShot(0, [&loopRan] { loopRan = true; });
            throw Exception("The window could not be made");
        };
    }
    ::testing::internal::CaptureStderr();
    const int exitCode = RunProgram(platform, windows);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(exitCode, 1);
    EXPECT_NE(errors.find("Tintwell: The window could not be made.\n"), std::string::npos) << errors;
    ASSERT_EQ(platform.ErrorBoxes.size(), 1u);
    EXPECT_EQ(platform.ErrorBoxes[0],
              std::make_pair(std::string("Tintwell"), std::string("The window could not be made.")));
    EXPECT_FALSE(loopRan) << "the message loop is not entered";
}

const TFailureCase kFailures[] = {{"main_window", true}, {"picker", false}};
INSTANTIATE_TEST_SUITE_P(, StartUpFailure, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<TFailureCase>& c) { return c.param.Name; });

} // namespace
} // namespace tintwell
