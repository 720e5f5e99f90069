#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPalette>
#include <QTimer>

#include "platform/qt_platform_services.h"
#include "support/temp_dir.h"

namespace tintwell {
namespace {

TEST(QtPlatformServices, GrayTextIsTheDisabledTextColour) {
    TQtPlatformServices platform;
    const QColor disabled = QApplication::palette().color(QPalette::Disabled, QPalette::Text);
    EXPECT_EQ(platform.SystemColor(17), RGB(disabled.red(), disabled.green(), disabled.blue()));
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
    const std::unique_ptr<TMessageTimer> timer = platform.CreateMessageTimer(std::chrono::milliseconds(1), [&] {
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

TEST(QtPlatformServices, DescribesTheDisplay) {
    TQtPlatformServices platform;
    EXPECT_GT(platform.DisplayBitsPerPixel(), 0);
    EXPECT_GT(platform.DisplayDpi().width(), 0);
    EXPECT_FALSE(platform.PrimaryScreenSize().isEmpty());
    EXPECT_FALSE(platform.LocaleIsoNames().first.empty());
}

} // namespace
} // namespace tintwell
