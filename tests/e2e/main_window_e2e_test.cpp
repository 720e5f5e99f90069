// The real program on a real X server: start tintwell, find its window, read its swatches off a
// screenshot, type a colour into the HTML field with xdotool and read the swatches again.
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

#include "colour/colour.h"
#include "e2e/atspi.h"
#include "e2e/x_session.h"

using namespace std::chrono_literals;

namespace tintwell::test {
namespace {

// Where the command line put them: the program under test and the folder for screenshots.
QString gProgram;
QString gShotFolder;

// The main window's caption: the name and the version CMake's project gives the build, never one
// the program computes.
const QString kMainTitle = QStringLiteral("Tintwell " TINTWELL_PROJECT_VERSION);

QRgb ToQRgb(TColor color) { return qRgb(GetRValue(color), GetGValue(color), GetBValue(color)); }

// Whether an area holds more than one colour: a window mapped but not yet painted is one plain fill.
bool ShowsSeveralColours(const QImage& area) {
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            if (area.pixel(x, y) != area.pixel(0, 0))
                return true;
    return false;
}

std::string HexOf(QRgb pixel) { return ColorToHTML(RGB(qRed(pixel), qGreen(pixel), qBlue(pixel))); }

// A point well inside each swatch, in client coordinates; shpAvgInv is sampled away from the
// corner that shpAvgInvCorrected covers.
struct TSwatchPoint {
    const char* Name;
    QPoint Point;
};
constexpr QPoint kPaletteOrigin{16, 506};
const TSwatchPoint kAvg{"shpAvg", {338, 409}};
const TSwatchPoint kAvgInv{"shpAvgInv", {405, 372}};
const TSwatchPoint kAvgInvCorrected{"shpAvgInvCorrected", {470, 440}};
const TSwatchPoint kSchemes[5] = {{"shpScheme1", kPaletteOrigin + QPoint(38, 51)},
                                  {"shpScheme2", kPaletteOrigin + QPoint(136, 51)},
                                  {"shpScheme3", kPaletteOrigin + QPoint(234, 51)},
                                  {"shpScheme4", kPaletteOrigin + QPoint(332, 51)},
                                  {"shpScheme5", kPaletteOrigin + QPoint(430, 51)}};

// The eight swatch colours of one current colour in "Maximized" mode: original, inverse,
// corrected, then the palette. Written out (as tintwell-cli show prints them), so that this test
// checks the window against known values rather than against the code it runs.
struct TSwatchColours {
    const char* Codes[8];
};
const TSwatchColours kMidGray{
    {"#808080", "#7F7F7F", "#FFFFFF", "#CCCCCC", "#808080", "#CCCCCC", "#808080", "#808080"}};
const TSwatchColours kTyped{
    {"#3C9F4E", "#C360B1", "#FF9CED", "#59EB74", "#6B9E3C", "#9FEB59", "#616161", "#9E9E9E"}};
// The average of a plain RGB(50, 100, 150) image: one level above in each channel.
const TSwatchColours kPlainImage{
    {"#336597", "#CC9A68", "#FFCD9B", "#4D98E3", "#968633", "#E3B14D", "#696969", "#969696"}};

std::vector<std::pair<const TSwatchPoint*, QRgb>> ExpectedSwatches(const TSwatchColours& colours) {
    const TSwatchPoint* const points[8] = {&kAvg,        &kAvgInv,     &kAvgInvCorrected, &kSchemes[0],
                                           &kSchemes[1], &kSchemes[2], &kSchemes[3],      &kSchemes[4]};
    std::vector<std::pair<const TSwatchPoint*, QRgb>> expected;
    for (int i = 0; i < 8; ++i)
        expected.emplace_back(points[i], ToQRgb(HTMLToColor(colours.Codes[i])));
    return expected;
}

bool SwatchesShow(const QImage& screen, QPoint client,
                  const std::vector<std::pair<const TSwatchPoint*, QRgb>>& expected) {
    for (const auto& [swatch, rgb] : expected)
        if ((screen.pixel(client + swatch->Point) & 0xFFFFFF) != (rgb & 0xFFFFFF))
            return false;
    return true;
}

// The visible window titled exactly title, waited for up to timeout; 0 if none appeared. Unlike
// WaitForWindow it takes any title: xdotool's --name pattern does not match non-ASCII letters.
unsigned long WaitForTitle(const QString& title, std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    do {
        for (const QString& id :
             XDoTool({"search", "--onlyvisible", "--name", "."}).split('\n', Qt::SkipEmptyParts))
            if (XDoTool({"getwindowname", id}).trimmed() == title)
                return id.toULong();
        QThread::msleep(100);
    } while (clock.elapsed() < timeout.count());
    return 0;
}

bool WaitUntilTitleGone(const QString& title, std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    while (WaitForTitle(title, 0ms) != 0) {
        if (clock.elapsed() > timeout.count())
            return false;
        QThread::msleep(100);
    }
    return true;
}

class MainWindowOnX : public ::testing::Test {
protected:
    void SetUp() override {
        FProgram.setProgram(FProgramPath);
        // Qt offers its accessibility tree over AT-SPI only when asked; screen readers ask.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        environment.insert("LANG", FLang);
        // The program's settings go to a folder of the test's, never to the user's.
        environment.insert("XDG_CONFIG_HOME", FConfig.path());
        FProgram.setProcessEnvironment(environment);
        FProgram.setProcessChannelMode(QProcess::ForwardedChannels);
        FProgram.setArguments(FArguments);
        FProgram.start();
        ASSERT_TRUE(FProgram.waitForStarted(10000)) << FProgramPath.toStdString();
        FWindow = WaitForWindow(kMainTitle, 30s);
        ASSERT_NE(FWindow, 0UL) << "no window titled \"" << kMainTitle.toStdString() << "\" appeared";
        FClient = WindowGeometry(FWindow);
    }
    void TearDown() override { Stop(FProgram); }

    QImage WaitForSwatches(const TSwatchColours& colours, std::chrono::milliseconds timeout = 20s) {
        const auto expected = ExpectedSwatches(colours);
        return WaitForScreen([&](const QImage& s) { return SwatchesShow(s, FClient.topLeft(), expected); },
                             timeout);
    }

    // Alt+O on the window at mid gray; the open dialog's window, or 0.
    unsigned long OpenDialogWithAltO(const QString& title = "Open") {
        WaitForSwatches(kMidGray);
        const QString window = QString::number(FWindow);
        XDoTool({"windowfocus", "--sync", window});
        XDoTool({"key", "--window", window, "alt+o"});
        return WaitForTitle(title, 20s);
    }

    // Clicks into a field of the window, replaces its text by typing and leaves it with Tab.
    void TypeInto(QPoint fieldTopLeft, const QString& text) {
        const QString window = QString::number(FWindow);
        XDoTool({"windowfocus", "--sync", window});
        const QPoint field = FClient.topLeft() + fieldTopLeft + QPoint(30, 10);
        XDoTool({"mousemove", "--sync", QString::number(field.x()), QString::number(field.y())});
        XDoTool({"click", "1"});
        // Keys as a keyboard gives them (XTEST), in order with the click, into the window that now
        // has the focus. Keys sent to a window directly may be dropped by the input method that
        // Qt loads for a German locale.
        XDoTool({"key", "ctrl+a"});
        XDoTool({"type", "--delay", "20", text});
        XDoTool({"key", "Tab"});
    }

    void ExpectSwatches(const QImage& screen, const TSwatchColours& colours) {
        for (const auto& [swatch, rgb] : ExpectedSwatches(colours))
            EXPECT_EQ(HexOf(screen.pixel(FClient.topLeft() + swatch->Point)), HexOf(rgb)) << swatch->Name;
    }

    QString FProgramPath = gProgram;
    QStringList FArguments;
    QString FLang = "C.UTF-8"; // English, whatever the machine says
    QTemporaryDir FConfig;
    QProcess FProgram;
    unsigned long FWindow = 0;
    QRect FClient;
};

TEST_F(MainWindowOnX, OpensCentredWithTheDesignedClientSize) {
    EXPECT_EQ(FClient.size(), QSize(511, 652));
    // Centred by its outer size 519 x 686 on the 1920 x 1080 screen; no window manager adds a frame.
    EXPECT_EQ(FClient.topLeft(), QPoint((1920 - 519) / 2, (1080 - 686) / 2));
}

TEST_F(MainWindowOnX, StartsWithMidGrayAndItsDerivedColours) {
    const QImage screen = WaitForSwatches(kMidGray);
    EXPECT_EQ(HexOf(screen.pixel(FClient.topLeft() + kAvg.Point)), "#808080");
    ExpectSwatches(screen, kMidGray);
    screen.copy(FClient).save(gShotFolder + "/main_window_start.png");
}

TEST_F(MainWindowOnX, TypingAnHtmlCodeAndTabbingShowsItsColours) {
    WaitForSwatches(kMidGray);
    TypeInto({53, 472}, "3c9f4e"); // dfHTML
    const QImage screen = WaitForSwatches(kTyped);
    ExpectSwatches(screen, kTyped);
    screen.copy(FClient).save(gShotFolder + "/main_window_typed.png");
}

// Alt+O opens the real open dialog over the window; Esc cancels it and nothing changes.
TEST_F(MainWindowOnX, AltOOpensTheDialogAndEscCancelsIt) {
    const unsigned long dialog = OpenDialogWithAltO();
    ASSERT_NE(dialog, 0UL) << "Alt+O opened no dialog";
    // Mapped is not yet painted: wait until the dialog's area shows something else than the window.
    const QRect area = WindowGeometry(dialog);
    const QImage under = GrabScreen().copy(area);
    WaitForScreen([&](const QImage& s) { return s.copy(area) != under; }, 20s);
    QThread::msleep(300); // let the file list settle for the picture
    GrabScreen().copy(area).save(gShotFolder + "/open_dialog.png");
    XDoTool({"windowfocus", "--sync", QString::number(dialog)});
    XDoTool({"key", "--window", QString::number(dialog), "Escape"});
    EXPECT_TRUE(WaitUntilGone("Open", 10s)) << "Esc left the dialog open";
    ExpectSwatches(WaitForSwatches(kMidGray), kMidGray);
}

// The whole road through the real dialog: type a file name, press Enter, see the picture and its
// average colour.
// A plain picture of (50, 100, 150), as the file tests below use it.
QString WritePlainPicture(const QString& name) {
    const QString file = QDir(gShotFolder).filePath(name);
    QImage plain(200, 100, QImage::Format_RGB888);
    plain.fill(QColor(50, 100, 150));
    return plain.save(file, "BMP") ? file : QString();
}

TEST_F(MainWindowOnX, OpeningAnImageShowsItAndItsAverageColour) {
    const QString file = WritePlainPicture("plain.bmp");
    ASSERT_FALSE(file.isEmpty());
    const unsigned long dialog = OpenDialogWithAltO();
    ASSERT_NE(dialog, 0UL);
    XDoTool({"windowfocus", "--sync", QString::number(dialog)});
    XDoTool({"type", "--window", QString::number(dialog), "--delay", "10", file});
    XDoTool({"key", "--window", QString::number(dialog), "Return"});

    const auto expected = ExpectedSwatches(kPlainImage);
    // The 200 x 100 picture sits at its own size in the middle of the 476 x 316 preview.
    const QPoint pictureCentre = FClient.topLeft() + QPoint(16 + 2 + 238, 15 + 2 + 158);
    const QImage screen = WaitForScreen(
        [&](const QImage& s) {
            return SwatchesShow(s, FClient.topLeft(), expected) &&
                   s.pixel(pictureCentre) == qRgb(50, 100, 150);
        },
        20s);
    ExpectSwatches(screen, kPlainImage);
    EXPECT_EQ(HexOf(screen.pixel(pictureCentre)), "#326496");
    screen.copy(FClient).save(gShotFolder + "/main_window_image.png");
}

// Started with a file, as a file manager's "open with" starts it: the file is opened once the window
// shows, as Open Image would.
class OpenedWithAFileOnX : public MainWindowOnX {
protected:
    void SetUp() override {
        const QString file = WritePlainPicture("argument.bmp");
        ASSERT_FALSE(file.isEmpty());
        FArguments = {file};
        MainWindowOnX::SetUp();
    }
};

TEST_F(OpenedWithAFileOnX, ShowsTheFilesColour) {
    ExpectSwatches(WaitForSwatches(kPlainImage), kPlainImage);
    EXPECT_EQ(ReadAccessibleText("Tintwell", "HTML original", 10s), kPlainImage.Codes[0]);
}

// Ctrl+V with an image on the clipboard (this test process owns it): its average becomes current.
TEST_F(MainWindowOnX, APastedImageIsAnalysed) {
    WaitForSwatches(kMidGray);
    QImage plain(120, 80, QImage::Format_RGB32);
    plain.fill(QColor(50, 100, 150));
    QGuiApplication::clipboard()->setImage(plain);
    const QString window = QString::number(FWindow);
    XDoTool({"windowfocus", "--sync", window});
    XDoTool({"key", "ctrl+v"});
    // The screen waits pump this process's events, so the program's request for the image is answered.
    ExpectSwatches(WaitForSwatches(kPlainImage), kPlainImage);
}

// A channel text that is no whole number reaches the real error box once; closing it leaves the
// text for correction and opens no second box.
TEST_F(MainWindowOnX, AConversionErrorShowsOneBoxAndKeepsTheText) {
    WaitForSwatches(kMidGray);
    TypeInto({53, 392}, "1.0"); // dfR
    const unsigned long box = WaitForWindow("Tintwell", 20s);
    ASSERT_NE(box, 0UL) << "no error box";
    // A second box would come from the focus moving into this one, which happens as it is shown,
    // before its modal loop first paints it: once the box shows its text and button, the count
    // of boxes is final.
    const QRect area = WindowGeometry(box);
    const QImage painted =
        WaitForScreen([&](const QImage& s) { return ShowsSeveralColours(s.copy(area)); }, 20s);
    ASSERT_TRUE(ShowsSeveralColours(painted.copy(area))) << "the box was never painted";
    EXPECT_EQ(XDoTool({"search", "--onlyvisible", "--name", "^Tintwell$"}).split('\n').size(), 1);
    painted.copy(area).save(gShotFolder + "/error_box.png");
    // OK sits in the box's lower right corner; a real click there closes it whatever holds the
    // keyboard focus (with no window manager, nothing hands it to the box reliably).
    const QPoint ok = area.bottomRight() - QPoint(56, 20);
    XDoTool({"mousemove", "--sync", QString::number(ok.x()), QString::number(ok.y())});
    XDoTool({"click", "1"});
    EXPECT_TRUE(WaitUntilGone("Tintwell", 10s)) << "a box is still open";
    // One box at a time: a second could only open now. The program answers the read of the field
    // in its event loop, after whatever the close set going, so by then a second box would be up.
    EXPECT_EQ(ReadAccessibleText("Tintwell", "Red original", 10s), "1.0") << "the text stays for correction";
    EXPECT_EQ(XDoTool({"search", "--onlyvisible", "--name", "^Tintwell$"}), "") << "a second box";
    const QImage screen = WaitForSwatches(kMidGray, 5s);
    ExpectSwatches(screen, kMidGray);
    screen.copy(FClient).save(gShotFolder + "/main_window_after_error.png");
}

// What a screen reader hears: the names (and the swatches' colour codes) arrive over AT-SPI.
TEST_F(MainWindowOnX, ScreenReadersGetEveryControlsName) {
    const auto names = ReadAccessibleNames("Tintwell", 25, 30s);
    ASSERT_FALSE(names.empty()) << "no application named Tintwell on the accessibility bus";
    // The column labels carry the same words as the swatches; the swatch is the one described.
    const auto hasSwatch = [&](const char* name, const char* colour) {
        const auto [first, last] = names.equal_range(name);
        for (auto it = first; it != last; ++it)
            if (it->second == colour)
                return true;
        return false;
    };
    for (const char* field : {"Red original", "Green original", "Blue original", "HTML original",
                              "Red inverse", "Green inverse", "Blue inverse", "HTML inverse", "Red corrected",
                              "Green corrected", "Blue corrected", "HTML corrected", "Open Image"})
        EXPECT_EQ(names.count(field), 1U) << field;
    EXPECT_TRUE(hasSwatch("original average", "#808080"));
    EXPECT_TRUE(hasSwatch("inverse", "#7F7F7F"));
    EXPECT_TRUE(hasSwatch("corrected", "#FFFFFF"));
    const char* const schemes[5] = {"#CCCCCC", "#808080", "#CCCCCC", "#808080", "#808080"};
    for (int i = 0; i < 5; ++i) {
        const std::string name = "Palette " + std::to_string(i + 1);
        EXPECT_TRUE(hasSwatch(name.c_str(), schemes[i])) << name;
    }
}

// ---- The program in German: a copy beside its own locale folder (a copy, not a link: the program
// finds its catalogues beside the file /proc/self/exe names, which a link resolves away).

// Every accessible name the application shows, read until all of wanted are among them.
std::multimap<QString, QString> WaitForNames(const QStringList& wanted, std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    std::multimap<QString, QString> names;
    do {
        names = ReadAccessibleNames("Tintwell", 1, 5s);
        if (std::all_of(wanted.begin(), wanted.end(),
                        [&](const QString& name) { return names.count(name) > 0; }))
            break;
        QThread::msleep(300);
    } while (clock.elapsed() < timeout.count());
    return names;
}

std::string MissingNames(const QStringList& wanted, const std::multimap<QString, QString>& names) {
    std::string missing;
    for (const QString& name : wanted)
        if (names.count(name) == 0)
            missing.append(1, '"').append(name.toStdString()).append("\" ");
    return missing;
}

// Presses Esc on a dialog until it is gone (a dialog just mapped may not take keys yet); whether
// it went within timeout.
bool EscapeCloses(unsigned long dialog, const QString& title, std::chrono::milliseconds timeout) {
    QElapsedTimer clock;
    clock.start();
    do {
        XDoTool({"windowfocus", "--sync", QString::number(dialog)});
        XDoTool({"key", "--window", QString::number(dialog), "Escape"});
        if (WaitUntilTitleGone(title, 1s))
            return true;
    } while (clock.elapsed() < timeout.count());
    return false;
}

class TranslatedOnX : public MainWindowOnX {
protected:
    void SetUp() override {
        ASSERT_TRUE(FFolder.isValid());
        FProgramPath = FFolder.filePath("tintwell");
        ASSERT_TRUE(QFile::copy(gProgram, FProgramPath));
        QFile::setPermissions(FProgramPath, QFile::permissions(gProgram));
        PrepareLocale(FFolder.filePath("locale/de/LC_MESSAGES"));
        FLang = "de_DE.UTF-8";
        MainWindowOnX::SetUp();
    }
    // The shipped German catalogue, as the build wrote it beside the program.
    virtual void PrepareLocale(const QString& folder) {
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString shipped = QFileInfo(gProgram).dir().filePath("locale/de/LC_MESSAGES/default.mo");
        ASSERT_TRUE(QFile::copy(shipped, folder + "/default.mo")) << shipped.toStdString();
    }
    // Clicks the OK button of an error box (lower right corner) and waits until it is gone.
    void CloseErrorBox(unsigned long box) {
        const QPoint ok = WindowGeometry(box).bottomRight() - QPoint(56, 20);
        XDoTool({"mousemove", "--sync", QString::number(ok.x()), QString::number(ok.y())});
        XDoTool({"click", "1"});
        EXPECT_TRUE(WaitUntilGone("Tintwell", 10s)) << "the box is still open";
    }
    QTemporaryDir FFolder;
};

TEST_F(TranslatedOnX, TheOpenDialogSpeaksGermanAndTheMainWindowStaysEnglish) {
    // The main window's own captions are never translated.
    const QStringList english = {"Open Image", "Red original", "HTML corrected"};
    const auto mainNames = WaitForNames(english, 30s);
    EXPECT_EQ(MissingNames(english, mainNames), "");

    const unsigned long dialog = OpenDialogWithAltO("Öffnen");
    ASSERT_NE(dialog, 0UL) << "Alt+O opened no dialog titled \"Öffnen\"";
    // Qt's labels and buttons, and our pane's label: what a screen reader hears (mnemonics dropped).
    const QStringList german = {"Suchen in:", "Dateiname:", "Dateityp:", "Öffnen", "Abbrechen", "Bild:"};
    const auto names = WaitForNames(german, 30s);
    EXPECT_EQ(MissingNames(german, names), "");
    GrabScreen().copy(WindowGeometry(dialog)).save(gShotFolder + "/open_dialog_de.png");
    EXPECT_TRUE(EscapeCloses(dialog, "Öffnen", 10s));
}

TEST_F(TranslatedOnX, ARefusedConversionIsReportedInGerman) {
    WaitForSwatches(kMidGray);
    TypeInto({53, 392}, "1.0"); // dfR
    const unsigned long box = WaitForWindow("Tintwell", 20s);
    ASSERT_NE(box, 0UL) << "no error box";
    const QStringList wanted = {"„1.0“ ist kein gültiger Ganzzahlwert.", "OK"};
    const auto names = WaitForNames(wanted, 30s);
    EXPECT_EQ(MissingNames(wanted, names), "");
    GrabScreen().copy(WindowGeometry(box)).save(gShotFolder + "/error_box_de.png");
    CloseErrorBox(box);
    ExpectSwatches(WaitForSwatches(kMidGray, 5s), kMidGray);
}

// A catalogue that is not UTF-8: the program starts, says once why translations are off, and then
// runs in English.
class Latin1CatalogueOnX : public TranslatedOnX {
protected:
    void PrepareLocale(const QString& folder) override {
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString po = folder + "/latin1.po";
        QFile file(po);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n\n"
            "msgid \"'%s' is not a valid integer value\"\nmsgstr \"'%s' ist kein g\xfcltiger Wert\"\n");
        file.close();
        ASSERT_EQ(QProcess::execute(TINTWELL_MSGFMT, {"-o", folder + "/default.mo", po}), 0);
    }
};

TEST_F(Latin1CatalogueOnX, StartsAndSaysOnceWhyTranslationsAreOff) {
    const unsigned long box = WaitForWindow("Tintwell", 30s);
    ASSERT_NE(box, 0UL) << "no box about the catalogue";
    const QString expected = "The translation for the language code de_DE (in " + FFolder.filePath("locale") +
                             "/de/LC_MESSAGES/default.mo) does not have charset=utf-8 in its Content-Type. "
                             "Translations are turned off.";
    const auto reported = WaitForNames({expected}, 30s);
    EXPECT_EQ(MissingNames({expected}, reported), "");
    CloseErrorBox(box);
    // Once only, and the program goes on in English: Qt's own dialog is titled "Open". Making the
    // dialog looks its texts up in the catalogue again. A second report made then would open a box
    // first, whose modality keeps the dialog from coming; one made while the dialog is up is on
    // screen, and in the names, by the time the program has answered for the dialog's labels.
    const unsigned long dialog = OpenDialogWithAltO("Open");
    ASSERT_NE(dialog, 0UL) << "no dialog titled \"Open\" (a second box in its way?)";
    const QStringList english = {"Look in:", "File name:", "Cancel"};
    const auto names = WaitForNames(english, 30s);
    EXPECT_EQ(MissingNames(english, names), "");
    EXPECT_EQ(names.count(expected), 0U) << "the report came again";
    EXPECT_EQ(XDoTool({"search", "--onlyvisible", "--name", "^Tintwell$"}), "") << "a second box";
    EXPECT_TRUE(EscapeCloses(dialog, "Open", 10s));
}

} // namespace
} // namespace tintwell::test

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: main_window_e2e_test PROGRAM SCREENSHOT_FOLDER [gtest options]\n");
        return 2;
    }
    tintwell::test::gProgram = QString::fromLocal8Bit(argv[1]);
    tintwell::test::gShotFolder = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(tintwell::test::gShotFolder);

    tintwell::test::TSessionBus session;
    if (!session.Started()) {
        std::fprintf(stderr, "dbus-daemon did not start\n");
        return 1;
    }
    tintwell::test::TXServer server;
    if (!tintwell::test::UseXServer(server))
        return 1;
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
