// The main window and the picker window wired to each other as start-up wires them, offscreen: the
// protocol of callbacks, stops by closing and hiding reaching the main window, the main preview's
// click, and the picker going before the main window at the end.
#include <gtest/gtest.h>

#include <QTest>

#include "colour/colour.h"
#include "settings/settings_store.h"
#include "support/fake_platform_services.h"
#include "support/screen_pattern.h"
#include "ui/main/main_window.h"
#include "ui/picker/color_picker_window.h"

namespace tintwell {
namespace {

using test::TFakePlatformServices;

using test::Encoded;
using test::EncodedColor;

// Stands between the main window and the real picker and counts what the picker calls back.
class TCountingPicker : public IColorPicker {
public:
    explicit TCountingPicker(IColorPicker& picker) : FPicker(picker) {}
    TColor GetColor() const override { return FPicker.GetColor(); }
    bool IsCapturing() const override { return FPicker.IsCapturing(); }
    void StopCapture() override { FPicker.StopCapture(); }
    void SetOnColorChange(TNotify callback) override {
        FPicker.SetOnColorChange(Counted(ColorChanges, callback));
    }
    void SetOnCaptureStart(TNotify callback) override {
        FPicker.SetOnCaptureStart(Counted(Starts, callback));
    }
    void SetOnCaptureStop(TNotify callback) override { FPicker.SetOnCaptureStop(Counted(Stops, callback)); }
    void ShowPicker() override { FPicker.ShowPicker(); }

    int ColorChanges = 0;
    int Starts = 0;
    int Stops = 0;

private:
    static TNotify Counted(int& count, TNotify callback) {
        return [&count, callback = std::move(callback)] {
            ++count;
            callback();
        };
    }
    IColorPicker& FPicker;
};

class WiredWindows : public ::testing::Test {
protected:
    WiredWindows() {
        FPlatform.Screen = QImage(1920, 1080, QImage::Format_RGB32);
        for (int y = 0; y < 1080; ++y)
            for (int x = 0; x < 1920; ++x)
                FPlatform.Screen.setPixel(x, y, Encoded(x, y));
        FMain->SetColorPicker(&FCounting);
        FMain->show();
    }
    ~WiredWindows() override {
        FPicker.reset();
        FMain->SetColorPicker(nullptr);
    }

    TfraColorPicker& Frame() { return *FPicker->fraColorPicker1; }
    TFakePlatformServices::TFakeTimer& Timer() {
        return static_cast<TFakePlatformServices::TFakeTimer&>(*Frame().Timer1);
    }

    // Opens the picker, starts it and lets one tick copy the square around the pointer.
    void CaptureAt(QPoint cursor) {
        FMain->pbColorPicker->click();
        FPlatform.Cursor = cursor;
        if (!Frame().Capturing())
            Frame().pbCapture->click();
        Timer().Fire();
    }

    TFakePlatformServices FPlatform;
    TSettingsModule FSettings{FPlatform};
    std::unique_ptr<TfrmTintwell> FMain = std::make_unique<TfrmTintwell>(FPlatform);
    TFormPtr<TfrmColorPicker> FPicker = CreateForm<TfrmColorPicker>(FPlatform, FMain.get());
    TCountingPicker FCounting{*FPicker};
};

TEST_F(WiredWindows, TheButtonShowsThePickerWithoutStartingIt) {
    FPicker->setWindowState(Qt::WindowMinimized);
    FMain->pbColorPicker->click();
    EXPECT_TRUE(FPicker->isVisible());
    EXPECT_FALSE(FPicker->isMinimized()) << "a minimised picker comes back normal";
    EXPECT_FALSE(FPicker->IsCapturing());
    EXPECT_EQ(FCounting.Starts, 0);
}

// Showing the main window again registers the callbacks again; each still runs once an event.
TEST_F(WiredWindows, RegisteredTwiceEachCallbackRunsOnceAnEvent) {
    FMain->hide();
    FMain->show();
    CaptureAt({700, 300});
    EXPECT_EQ(FCounting.Starts, 1);
    Frame().pbCapture->click();
    EXPECT_EQ(FCounting.ColorChanges, 1);
    EXPECT_EQ(FCounting.Stops, 1);
    EXPECT_EQ(FMain->CurrentColor(), EncodedColor(700, 300));
    EXPECT_EQ(FMain->dfHTML->text().toStdString(), ColorToHTML(EncodedColor(700, 300)));
}

TEST_F(WiredWindows, ClosingWhileCapturingPicksTheLastCentreTwice) {
    CaptureAt({1000, 20});
    FPicker->close();
    EXPECT_FALSE(FPicker->isVisible());
    EXPECT_FALSE(FPicker->IsCapturing());
    EXPECT_EQ(Frame().pbCapture->text(), "&Capture");
    EXPECT_EQ(FMain->CurrentColor(), EncodedColor(1000, 20));
    EXPECT_EQ(FCounting.ColorChanges, 2) << "once from the close, once from the hide";
    EXPECT_EQ(FCounting.Stops, 2);
}

TEST_F(WiredWindows, ClosingWhileIdleReportsTheStoredCentreAgain) {
    CaptureAt({10, 10});
    Frame().pbCapture->click();
    FMain->shpAvgInv->OnMouseUp(Qt::LeftButton); // the user makes another colour current
    ASSERT_NE(FMain->CurrentColor(), EncodedColor(10, 10));
    FPicker->close();
    EXPECT_EQ(FMain->CurrentColor(), EncodedColor(10, 10));
}

TEST_F(WiredWindows, ALeftClickOnTheMainPreviewWhileCapturingPicks) {
    CaptureAt({1919, 1079});
    QTest::mouseClick(FMain->Image1, Qt::RightButton, {}, QPoint(50, 50));
    EXPECT_TRUE(FPicker->IsCapturing());
    QTest::mouseClick(FMain->Image1, Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_FALSE(FPicker->IsCapturing());
    EXPECT_EQ(FMain->CurrentColor(), EncodedColor(1919, 1079));
}

// At the end the picker goes first: hidden with a last stop that still reaches the main window,
// its placement stored, then nothing calls into the main window any more.
TEST_F(WiredWindows, GoingFirstItsLastStopReachesTheMainWindow) {
    CaptureAt({640, 480});
    FPicker->move(250, 260);
    FPicker.reset();
    FMain->SetColorPicker(nullptr);
    EXPECT_EQ(FMain->CurrentColor(), EncodedColor(640, 480));
    const auto& stored = FPlatform.Registry.at("\\Software\\zorVIK\\Quelm\\Forms\\frmColorPicker");
    EXPECT_EQ(stored.at("Left"), TFakePlatformServices::TValue(std::int32_t{250}));
    EXPECT_EQ(stored.at("Position"), TFakePlatformServices::TValue(std::string("0")));
    FMain->pbColorPicker->click(); // nothing left to show: no crash
}

// Through the desktop portal: its colour reaches the main window as a pick from the screen would;
// hiding the picker while the portal is asked ends the wait and keeps the main window's colour.
TEST(WiredWindowsThroughThePortal, ItsColourReachesTheMainWindowAndAHideEndsTheWait) {
    TFakePlatformServices platform;
    platform.PickChoice = {TScreenPickPath::Portal, {}};
    TSettingsModule settings{platform};
    auto main = std::make_unique<TfrmTintwell>(platform);
    TFormPtr<TfrmColorPicker> picker = CreateForm<TfrmColorPicker>(platform, main.get());
    main->SetColorPicker(picker.get());
    main->show();
    main->pbColorPicker->click();
    picker->fraColorPicker1->pbCapture->click();
    ASSERT_TRUE(picker->IsCapturing());
    ASSERT_TRUE(platform.AnswerScreenPick(TScreenPickOutcome::Picked, RGB(51, 102, 153)));
    EXPECT_FALSE(picker->IsCapturing());
    EXPECT_EQ(main->CurrentColor(), RGB(51, 102, 153));
    EXPECT_EQ(main->dfHTML->text(), "#336699");

    picker->fraColorPicker1->pbCapture->click();
    picker->hide();
    EXPECT_FALSE(picker->IsCapturing());
    EXPECT_EQ(platform.PickCancels, 1);
    EXPECT_FALSE(platform.AnswerScreenPick(TScreenPickOutcome::Picked, RGB(1, 1, 1)));
    EXPECT_EQ(main->dfHTML->text(), "#336699");
    EXPECT_TRUE(platform.ErrorBoxes.empty());
    picker.reset();
    main->SetColorPicker(nullptr);
}

} // namespace
} // namespace tintwell
