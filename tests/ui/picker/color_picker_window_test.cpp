// The picker tool window on its own, offscreen: the window as designed, and which hides stop a
// capture. How the main window and the picker work together is start-up's wiring, tested in
// tests/app.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHideEvent>
#include <QtTest/qtestspontaneevent.h>

#include "i18n/translation.h"
#include "settings/settings_store.h"
#include "support/fake_platform_services.h"
#include "support/screen_pattern.h"
#include "ui/picker/color_picker_window.h"

namespace tintwell {
namespace {

using test::Encoded;
using test::EncodedColor;
using test::TFakePlatformServices;

class PickerWindow : public ::testing::Test {
protected:
    PickerWindow() {
        FPlatform.Screen = QImage(1920, 1080, QImage::Format_RGB32);
        for (int y = 0; y < 1080; ++y)
            for (int x = 0; x < 1920; ++x)
                FPlatform.Screen.setPixel(x, y, Encoded(x, y));
        FPicker->SetOnColorChange([this] { FPicked.push_back(FPicker->GetColor()); });
    }
    // The picker goes first: its last stop still calls back into what the test records.
    ~PickerWindow() override { FPicker.reset(); }

    TfraColorPicker& Frame() { return *FPicker->fraColorPicker1; }

    // Shows the picker, starts it and lets one tick copy the square around the pointer.
    void CaptureAt(QPoint cursor) {
        FPicker->ShowPicker();
        FPlatform.Cursor = cursor;
        Frame().pbCapture->click();
        static_cast<TFakePlatformServices::TFakeTimer&>(*Frame().Timer1).Fire();
    }

    TFakePlatformServices FPlatform;
    TSettingsModule FSettings{FPlatform};
    QWidget FOwner;
    std::vector<TColor> FPicked;
    TFormPtr<TfrmColorPicker> FPicker = CreateForm<TfrmColorPicker>(FPlatform, &FOwner);
};

TEST_F(PickerWindow, IsAHiddenToolWindowAsDesigned) {
    EXPECT_FALSE(FPicker->isVisible());
    EXPECT_EQ(FPicker->objectName(), "frmColorPicker");
    EXPECT_EQ(FPicker->windowTitle(), "Color Picker");
    EXPECT_EQ(FPicker->windowType(), Qt::Tool);
    EXPECT_EQ(FPicker->Key(), "frmColorPicker");
    EXPECT_EQ(FPicker->size(), QSize(218, 348));
    EXPECT_EQ(FPicker->minimumSize(), FPicker->maximumSize()) << "not resizable";
    EXPECT_EQ(QPoint(FPicker->Left(), FPicker->Top()), QPoint(192, 114))
        << "nothing stored: the designed place";
    EXPECT_EQ(FPicker->Position(), TPosition::poDesigned);
    EXPECT_NE(FPicker->findChild<QObject*>("GNUgettextMarker"), nullptr) << "translated when made";
    FPicker->ShowPicker();
    EXPECT_EQ(Frame().geometry(), QRect(0, 0, 218, 348));
    EXPECT_EQ(Frame().StatusBar1->geometry(), QRect(0, 329, 218, 19));
}

TEST_F(PickerWindow, AHideByTheWindowSystemIsNoStopButTheProgramsIs) {
    CaptureAt({300, 400});
    // Delivered as the window system's (sendEvent would mark it the program's).
    QHideEvent hide;
    QSpontaneKeyEvent::setSpontaneous(&hide);
    QApplication::instance()->notify(FPicker.get(), &hide);
    EXPECT_TRUE(FPicker->IsCapturing());
    EXPECT_TRUE(FPicked.empty());
    FPicker->hide();
    EXPECT_FALSE(FPicker->IsCapturing());
    EXPECT_EQ(FPicked, std::vector<TColor>{EncodedColor(300, 400)});
}

// In the language shown, the capture button's accessible name is its caption without the
// accelerator, before a start, while capturing and after the stop: what a screen reader says is
// what the button reads.
TEST(PickerWindowInGerman, TheCaptureButtonIsNamedAsItReads) {
    const TTranslationModule module(TINTWELL_LOCALE_DIR, "de_DE");
    TFakePlatformServices platform;
    platform.Screen = QImage(64, 64, QImage::Format_RGB32);
    TSettingsModule settings{platform};
    TFormPtr<TfrmColorPicker> picker = CreateForm<TfrmColorPicker>(platform, nullptr);
    QPushButton& capture = *picker->fraColorPicker1->pbCapture;
    const struct {
        const char* Text;
        const char* Name;
    } kSteps[] = {
        {"&Erfassen", "Erfassen"}, {"Anhalten (&Esc)", "Anhalten (Esc)"}, {"&Erfassen", "Erfassen"}};
    for (const auto& step : kSteps) {
        EXPECT_EQ(capture.text().toStdString(), step.Text);
        EXPECT_EQ(capture.accessibleName().toStdString(), step.Name);
        capture.click();
    }
    EXPECT_TRUE(platform.ErrorBoxes.empty());
}

} // namespace
} // namespace tintwell
