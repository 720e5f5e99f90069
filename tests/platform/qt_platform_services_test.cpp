#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLocale>
#include <QPalette>
#include <QScreen>
#include <QTimer>

#include "platform/qt_platform_services.h"
#include "support/temp_dir.h"

namespace tintwell {
namespace {

TEST(QtPlatformServices, GrayTextIsTheDisabledTextColour) {
    const test::TempDir store;
    TQtPlatformServices platform(store.Path("settings.conf"));
    const QColor disabled = QApplication::palette().color(QPalette::Disabled, QPalette::Text);
    EXPECT_EQ(platform.SystemColor(COLOR_GRAYTEXT), RGB(disabled.red(), disabled.green(), disabled.blue()));
}

TEST(QtPlatformServices, MapsFilesReadOnly) {
    const test::TempDir dir;
    const test::TempDir store;
    TQtPlatformServices platform(store.Path("settings.conf"));
    const std::unique_ptr<TMappedFile> mapped = platform.MapFile(dir.Write("a.mo", {1, 2, 3, 250}));
    ASSERT_EQ(mapped->Size(), 4u);
    EXPECT_EQ(mapped->Data()[3], 250);
    EXPECT_EQ(platform.MapFile(dir.Write("empty.mo", {}))->Size(), 0u);
    try {
        platform.MapFile(dir.Path("missing.mo"));
        ADD_FAILURE() << "no error";
    } catch (const EPlatformError& e) {
        EXPECT_EQ(e.Message().rfind("Cannot open file \"", 0), 0u) << e.Message();
    }
}

// The per-user store is the file given: what one instance writes, a later one reads, typed.
TEST(QtPlatformServices, RegistryKeysLiveInTheGivenFile) {
    const test::TempDir store;
    const std::string file = store.Path("config/tintwell/settings.conf");
    {
        TQtPlatformServices platform(file);
        EXPECT_EQ(platform.OpenRegistryKey("\\Software\\zorVIK\\Quelm", TRegistryAccess::Read), nullptr);
        const auto key = platform.OpenRegistryKey("\\Software\\zorVIK\\Quelm\\Forms\\frmColorPicker",
                                                  TRegistryAccess::WriteCreate);
        ASSERT_NE(key, nullptr);
        key->WriteText("WindowState", "2");
        key->WriteInteger("Left", -300);
        key->WriteBinary("When", {0, 0, 0, 0, 0, 0, 0xf8, 0x3f});
    }
    TQtPlatformServices platform(file);
    // The parent exists because its child does; names compare without regard to case.
    ASSERT_NE(platform.OpenRegistryKey("\\SOFTWARE\\zorvik\\Quelm", TRegistryAccess::Read), nullptr);
    const auto key =
        platform.OpenRegistryKey("Software\\zorVIK\\Quelm\\Forms\\FRMCOLORPICKER", TRegistryAccess::Read);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->ValueType("windowstate"), TRegistryValueType::Text);
    EXPECT_EQ(key->ReadText("WindowState"), "2");
    EXPECT_EQ(key->ReadInteger("Left"), -300);
    EXPECT_EQ(key->ReadBinary("When"), (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0xf8, 0x3f}));
    EXPECT_FALSE(key->ValueExists("Top"));
    EXPECT_THROW(key->ReadInteger("WindowState"), EPlatformError);
    EXPECT_THROW(key->WriteInteger("Top", 1), EPlatformError); // opened for reading
    EXPECT_NE(test::ReadWholeFile(file).find("\"Left\"=dword:-300\n"), std::string::npos);
}

TEST(QtPlatformServices, BusyCursorNests) {
    const test::TempDir store;
    TQtPlatformServices platform(store.Path("settings.conf"));
    platform.SetBusyCursor(true);
    platform.SetBusyCursor(true);
    platform.SetBusyCursor(false);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    platform.SetBusyCursor(false);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    platform.SetBusyCursor(false); // one too many changes nothing
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(QtPlatformServices, MessageTimerTicksOnlyWhileEnabled) {
    const test::TempDir store;
    TQtPlatformServices platform(store.Path("settings.conf"));
    int ticks = 0;
    QEventLoop loop;
    const std::unique_ptr<TMessageTimer> timer =
        platform.CreateMessageTimer(std::chrono::milliseconds(1), [&] {
            ++ticks;
            loop.quit();
        });
    EXPECT_FALSE(timer->Enabled());
    timer->SetEnabled(true);
    EXPECT_TRUE(timer->Enabled());
    QTimer::singleShot(5000, &loop, &QEventLoop::quit); // a guard, not a wait: the tick ends the loop
    loop.exec();
    EXPECT_GE(ticks, 1);
    timer->SetEnabled(false);
    EXPECT_FALSE(timer->Enabled());
}

// What start-up hands to the loaders comes from the screen Qt reports, not from the fallbacks
// for a machine without one.
TEST(QtPlatformServices, DescribesThePrimaryScreen) {
    const test::TempDir store;
    TQtPlatformServices platform(store.Path("settings.conf"));
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(platform.DisplayBitsPerPixel(), screen->depth());
    EXPECT_EQ(platform.DisplayDpi(),
              QSize(qRound(screen->logicalDotsPerInchX()), qRound(screen->logicalDotsPerInchY())));
    EXPECT_EQ(platform.PrimaryScreenSize(), screen->geometry().size());
}

TEST(QtPlatformServices, NamesTheLocaleAsLanguageAndCountry) {
    const test::TempDir store;
    TQtPlatformServices platform(store.Path("settings.conf"));
    const QStringList parts = QLocale::system().name().split(u'_');
    const auto [language, country] = platform.LocaleIsoNames();
    EXPECT_EQ(language, parts.value(0).toStdString());
    EXPECT_EQ(country, parts.value(1).toStdString());
    EXPECT_FALSE(language.empty());
}

TEST(QtPlatformServices, SystemColoursFollowThePalette) {
    const test::TempDir store;
    TQtPlatformServices platform(store.Path("settings.conf"));
    const QPalette palette = QApplication::palette();
    const auto rgb = [](const QColor& c) { return RGB(c.red(), c.green(), c.blue()); };
    EXPECT_EQ(platform.SystemColor(COLOR_WINDOW), rgb(palette.color(QPalette::Active, QPalette::Base)));
    EXPECT_EQ(platform.SystemColor(COLOR_HIGHLIGHT),
              rgb(palette.color(QPalette::Active, QPalette::Highlight)));
    EXPECT_EQ(platform.SystemColor(COLOR_BTNTEXT),
              rgb(palette.color(QPalette::Active, QPalette::ButtonText)));
    EXPECT_EQ(platform.SystemColor(99), rgb(palette.color(QPalette::Active, QPalette::Window)))
        << "an index without a palette role gives the window colour";
}

// These tests run on Qt's offscreen platform, which can neither copy the screen nor ask a portal:
// the path is None with its reason, chosen at the first ask and kept when the session changes.
TEST(QtPlatformServices, TheScreenPickPathIsChosenOnce) {
    const test::TempDir store;
    TQtPlatformServices platform(store.Path("settings.conf"));
    ASSERT_EQ(QGuiApplication::platformName(), "offscreen");
    const TScreenPickChoice first = platform.ScreenPickChoice();
    EXPECT_EQ(first.Path, TScreenPickPath::None);
    EXPECT_EQ(first.Reason, "the program does not run on an X11 or Wayland display");
    qputenv("WAYLAND_DISPLAY", "wayland-9");
    const TScreenPickChoice again = platform.ScreenPickChoice();
    qunsetenv("WAYLAND_DISPLAY");
    EXPECT_EQ(again.Path, first.Path);
    EXPECT_EQ(again.Reason, first.Reason);
    EXPECT_THROW(platform.StartScreenPick([](TScreenPickOutcome, TColor, const std::string&) {}),
                 EPlatformError);
    platform.CancelScreenPick(); // nothing pending: nothing happens
}

} // namespace
} // namespace tintwell
