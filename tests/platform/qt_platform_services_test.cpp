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
    TQtPlatformServices platform;
    const QColor disabled = QApplication::palette().color(QPalette::Disabled, QPalette::Text);
    EXPECT_EQ(platform.SystemColor(COLOR_GRAYTEXT), RGB(disabled.red(), disabled.green(), disabled.blue()));
}

TEST(QtPlatformServices, MapsFilesReadOnly) {
    const test::TempDir dir;
    TQtPlatformServices platform;
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

TEST(QtPlatformServices, ServicesOfLaterVersionsSaySo) {
    TQtPlatformServices platform;
    try {
        platform.OpenRegistryKey("Software\\zorVIK\\Quelm", TRegistryAccess::Read);
        ADD_FAILURE() << "no error";
    } catch (const EPlatformError& e) {
        EXPECT_EQ(e.Message(), "The per-user settings store is not available in this version");
    }
}

TEST(QtPlatformServices, BusyCursorNests) {
    TQtPlatformServices platform;
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
    TQtPlatformServices platform;
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
    TQtPlatformServices platform;
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(platform.DisplayBitsPerPixel(), screen->depth());
    EXPECT_EQ(platform.DisplayDpi(),
              QSize(qRound(screen->logicalDotsPerInchX()), qRound(screen->logicalDotsPerInchY())));
    EXPECT_EQ(platform.PrimaryScreenSize(), screen->geometry().size());
}

TEST(QtPlatformServices, NamesTheLocaleAsLanguageAndCountry) {
    TQtPlatformServices platform;
    const QStringList parts = QLocale::system().name().split(u'_');
    const auto [language, country] = platform.LocaleIsoNames();
    EXPECT_EQ(language, parts.value(0).toStdString());
    EXPECT_EQ(country, parts.value(1).toStdString());
    EXPECT_FALSE(language.empty());
}

TEST(QtPlatformServices, SystemColoursFollowThePalette) {
    TQtPlatformServices platform;
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

} // namespace
} // namespace tintwell
