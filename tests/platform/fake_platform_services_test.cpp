// The fake stands in for the platform in every widget test, so its own behaviour must hold.
#include <gtest/gtest.h>

#include "support/fake_platform_services.h"

namespace tintwell {
namespace {

using test::TFakePlatformServices;

TEST(FakePlatformServices, ScreenGrabsAreUnclippedWithBlackOutside) {
    TFakePlatformServices platform;
    QImage grab;
    EXPECT_FALSE(platform.GrabScreen(QRect(0, 0, 3, 3), grab)) << "no screen, no capture";
    platform.Screen = QImage(4, 4, QImage::Format_RGB32);
    platform.Screen.fill(qRgb(10, 20, 30));
    ASSERT_TRUE(platform.GrabScreen(QRect(-1, 2, 3, 3), grab));
    ASSERT_EQ(grab.size(), QSize(3, 3));
    EXPECT_EQ(grab.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(grab.pixel(1, 0), qRgb(10, 20, 30));
    EXPECT_EQ(grab.pixel(1, 2), qRgb(0, 0, 0));
}

TEST(FakePlatformServices, RegistryKeepsTypedValues) {
    TFakePlatformServices platform;
    EXPECT_EQ(platform.OpenRegistryKey("A\\B", TRegistryAccess::Read), nullptr);
    {
        const auto key = platform.OpenRegistryKey("A\\B", TRegistryAccess::WriteCreate);
        key->WriteText("Name", "x");
        key->WriteInteger("Left", -5);
        key->WriteBinary("State", {1, 2});
    }
    const auto key = platform.OpenRegistryKey("A\\B", TRegistryAccess::Read);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->ReadText("Name"), "x");
    EXPECT_EQ(key->ReadInteger("Left"), -5);
    EXPECT_EQ(key->ReadBinary("State"), (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(key->ValueType("Left"), TRegistryValueType::Integer);
    EXPECT_EQ(key->ValueType("Missing"), TRegistryValueType::None);
    EXPECT_THROW(key->ReadInteger("Name"), EPlatformError);
}

TEST(FakePlatformServices, TimersTickOnlyWhenFiredAndEnabled) {
    TFakePlatformServices platform;
    int ticks = 0;
    const auto timer = platform.CreateMessageTimer(std::chrono::milliseconds(100), [&] { ++ticks; });
    platform.Timers.front()->Fire();
    EXPECT_EQ(ticks, 0);
    timer->SetEnabled(true);
    platform.Timers.front()->Fire();
    EXPECT_EQ(ticks, 1);
}

TEST(FakePlatformServices, RecordsWhatWidgetsAsk) {
    TFakePlatformServices platform;
    platform.Beep();
    platform.ShowErrorBox("Tintwell", "Bitmap image is not valid.");
    platform.ChosenFile = "/tmp/a.jpg";
    EXPECT_EQ(platform.OpenPictureDialog(nullptr, {{"All (*.jpg)", "*.jpg"}}, {}), "/tmp/a.jpg");
    EXPECT_EQ(platform.Beeps, 1);
    ASSERT_EQ(platform.ErrorBoxes.size(), 1u);
    EXPECT_EQ(platform.ErrorBoxes.front().second, "Bitmap image is not valid.");
    EXPECT_EQ(platform.LastFilter.front().Masks, "*.jpg");
}

} // namespace
} // namespace tintwell
