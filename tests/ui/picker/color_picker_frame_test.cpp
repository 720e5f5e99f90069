// The capture frame offscreen, against a fake screen whose pixels encode their own coordinates:
// the square it copies, the centre it picks, the marker, the spin box, the stops and their
// callbacks, and the preview under the pointer. The same tests run at a device pixel ratio of 1 and
// of 2 (QT_SCALE_FACTOR=2, a second CTest run of this program).
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <functional>
#include <memory>

#include "colour/colour.h"
#include "support/fake_platform_services.h"
#include "support/screen_pattern.h"
#include "ui/picker/color_picker_frame.h"

namespace tintwell {
namespace {

using test::TFakePlatformServices;

using test::Encoded;
using test::EncodedColor;
QRgb Opaque(QRgb rgb) { return rgb | 0xff000000u; }

QImage EncodedScreen(QSize size) {
    QImage screen(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            screen.setPixel(x, y, Encoded(x, y));
    return screen;
}

const QImage& Screen1920() {
    static const QImage screen = EncodedScreen({1920, 1080});
    return screen;
}

class PickerFrame : public ::testing::Test {
protected:
    PickerFrame() {
        FPlatform.Screen = Screen1920();
        FHost.resize(219, 346);
        FFrame = new TfraColorPicker(FPlatform, &FHost);
        FTimer = FPlatform.Timers.back();
        FFrame->OnColorChange = [this](TfraColorPicker& sender) {
            EXPECT_EQ(&sender, FFrame);
            FEvents.push_back("color " + ColorToHTML(sender.PickedColor()));
        };
        FFrame->OnCaptureStart = [this](TfraColorPicker&) { FEvents.push_back("start"); };
        FFrame->OnCaptureStop = [this](TfraColorPicker&) { FEvents.push_back("stop"); };
    }

    void ShowAndActivate() {
        FHost.show();
        QApplication::setActiveWindow(&FHost);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&FHost));
    }

    // One capture with the pointer at cursor: start by the button, then a tick.
    void CaptureAt(QPoint cursor) {
        FPlatform.Cursor = cursor;
        if (!FFrame->Capturing())
            FFrame->pbCaptureClick();
        FTimer->Fire();
    }

    TFakePlatformServices FPlatform;
    QWidget FHost;
    TfraColorPicker* FFrame;
    TFakePlatformServices::TFakeTimer* FTimer;
    std::vector<std::string> FEvents;
};

TEST_F(PickerFrame, StartsIdleWithItsDesignedControls) {
    EXPECT_EQ(FFrame->PickedColor(), clNone);
    EXPECT_TRUE(FFrame->FollowMouse());
    EXPECT_FALSE(FFrame->Capturing());
    EXPECT_TRUE(FFrame->CaptureBitmap().isNull());
    EXPECT_FALSE(FTimer->Enabled());
    EXPECT_EQ(FFrame->shpColor->BrushColor(), RGB(255, 255, 255));
    EXPECT_EQ(FFrame->Edit1->text(), "Matrix");
    EXPECT_EQ(FFrame->seMatrixSize->value(), 21);
    EXPECT_EQ(FFrame->seMatrixSize->minimum(), 3);
    EXPECT_EQ(FFrame->seMatrixSize->maximum(), 201);
    EXPECT_TRUE(FFrame->cbShowMarker->isChecked());
    EXPECT_EQ(FFrame->cbShowMarker->text(), "&show marker");
    EXPECT_EQ(FFrame->pbCapture->text(), "&Capture");
    EXPECT_EQ(FFrame->actStop->text(), "&Stop (Esc)");
    EXPECT_EQ(FFrame->Image1->toolTip(), "click this preview to select a color...");
    const struct {
        QWidget* widget;
        const char* name;
        QRect geometry;
    } kPlaces[] = {
        {FFrame->Edit1, "Edit1", {8, 13, 65, 13}},
        {FFrame->seMatrixSize, "seMatrixSize", {79, 8, 73, 22}},
        {FFrame->pnlCapture, "pnlCapture", {7, 40, 203, 203}},
        {FFrame->Image1, "Image1", {2, 2, 199, 199}},
        {FFrame->cbShowMarker, "cbShowMarker", {7, 248, 98, 20}},
        {FFrame->shpColor, "shpColor", {7, 272, 49, 49}},
        {FFrame->pbCapture, "pbCapture", {135, 296, 75, 25}},
    };
    for (const auto& place : kPlaces) {
        EXPECT_EQ(place.widget->objectName(), place.name);
        EXPECT_EQ(place.widget->geometry(), place.geometry) << place.name;
    }
    // What screen readers (and the end-to-end tests) read.
    EXPECT_EQ(FFrame->seMatrixSize->accessibleName(), "Matrix size");
    EXPECT_EQ(FFrame->pbCapture->accessibleName(), "Capture");
    EXPECT_EQ(FFrame->cbShowMarker->accessibleName(), "show marker");
    EXPECT_EQ(FFrame->shpColor->accessibleName(), "picked color");
    EXPECT_EQ(FFrame->Image1->accessibleName(), "Magnified preview");
}

struct SquareCase {
    const char* name;
    int size;
    QPoint cursor;
};

const SquareCase kSquares[] = {
    {"three", 3, {500, 400}},
    {"default_21", 21, {500, 400}},
    {"corner_origin", 21, {0, 0}},
    {"far_corner", 21, {1919, 1079}},
    {"largest_even_after_a_start", 1920, {960, 540}},
};

class PickerFrameSquare : public PickerFrame, public ::testing::WithParamInterface<SquareCase> {};

// The N x N square whose centre is the pointer's pixel, neither clipped nor shifted at the screen's
// edges: what lies outside the screen is black.
TEST_P(PickerFrameSquare, CentresThePointersPixel) {
    const SquareCase& row = GetParam();
    FFrame->pbCaptureClick(); // the maximum rises with the start
    FFrame->seMatrixSize->setValue(row.size);
    ASSERT_EQ(FFrame->seMatrixSize->value(), row.size);
    CaptureAt(row.cursor);
    const QImage& capture = FFrame->CaptureBitmap();
    ASSERT_EQ(capture.size(), QSize(row.size, row.size));
    const int half = (row.size - 1) / 2;
    const QPoint origin = row.cursor - QPoint(half, half);
    for (const QPoint corner : {QPoint(0, 0), QPoint(row.size - 1, 0), QPoint(0, row.size - 1),
                                QPoint(row.size - 1, row.size - 1), QPoint(half, half)}) {
        const QPoint onScreen = origin + corner;
        const QRgb expected =
            QRect(0, 0, 1920, 1080).contains(onScreen) ? Encoded(onScreen.x(), onScreen.y()) : qRgb(0, 0, 0);
        EXPECT_EQ(Opaque(capture.pixel(corner)), expected) << corner.x() << "," << corner.y();
    }
    EXPECT_EQ(TfraColorPicker::CenterPixel(capture), EncodedColor(row.cursor.x(), row.cursor.y()));
    EXPECT_EQ(FFrame->shpColor->BrushColor(), EncodedColor(row.cursor.x(), row.cursor.y()));
    EXPECT_EQ(FFrame->PickedColor(), clNone) << "a capture alone picks nothing";
}

INSTANTIATE_TEST_SUITE_P(, PickerFrameSquare, ::testing::ValuesIn(kSquares),
                         [](const auto& row) { return std::string(row.param.name); });

// The preview pixel at the middle of the block that shows capture pixel (x, y), N x N in D x D.
QPoint BlockMiddle(int x, int y, int n, int d) {
    const auto first = [&](int s) {
        int p = s * d / n;
        while (p * n / d < s)
            ++p;
        return p;
    };
    return {(first(x) + first(x + 1) - 1) / 2, (first(y) + first(y + 1) - 1) / 2};
}

TEST_F(PickerFrame, TheMarkerIsOnThePreviewOnlyAndTheSwitchRedrawsAtOnce) {
    CaptureAt({500, 400});
    const QImage& capture = FFrame->CaptureBitmap();
    const int n = capture.width();
    const int c = (n - 1) / 2;
    const QImage& shown = FFrame->Image1->Enlarged();
    const int d = shown.width();
    ASSERT_EQ(d, qRound(199 * FFrame->devicePixelRatioF()));
    // The second run of this program is at a device pixel ratio of 2: make sure it is.
    EXPECT_EQ(FFrame->devicePixelRatioF(), qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? 2.0 : 1.0);
    const QRgb gray = Opaque(qRgb(GetRValue(ColorToRGB(clGrayText)), GetGValue(ColorToRGB(clGrayText)),
                                  GetBValue(ColorToRGB(clGrayText))));
    // The ring: the centre's four neighbours in clGrayText, the centre and the corners as captured.
    for (const QPoint ring : {QPoint(c, c - 1), QPoint(c - 1, c), QPoint(c + 1, c), QPoint(c, c + 1)}) {
        EXPECT_EQ(Opaque(shown.pixel(BlockMiddle(ring.x(), ring.y(), n, d))), gray);
        EXPECT_EQ(Opaque(capture.pixel(ring)), Encoded(500 - c + ring.x(), 400 - c + ring.y()))
            << "the stored capture never holds the marker";
    }
    EXPECT_EQ(Opaque(shown.pixel(BlockMiddle(c, c, n, d))), Encoded(500, 400));
    EXPECT_EQ(Opaque(shown.pixel(BlockMiddle(c - 1, c - 1, n, d))), Encoded(499, 399));
    EXPECT_EQ(Opaque(shown.pixel(BlockMiddle(0, n - 1, n, d))), Encoded(500 - c, 400 - c + n - 1));

    FFrame->pbCaptureClick(); // idle now
    FFrame->cbShowMarker->click();
    EXPECT_EQ(Opaque(FFrame->Image1->Enlarged().pixel(BlockMiddle(c, c - 1, n, d))), Encoded(500, 399));
    FFrame->cbShowMarker->click();
    EXPECT_EQ(Opaque(FFrame->Image1->Enlarged().pixel(BlockMiddle(c, c - 1, n, d))), gray);
}

struct SpinCase {
    const char* name;
    int from;
    int maximum;
    Qt::Key key;
    int expected;
};

const SpinCase kSpinCases[] = {
    {"up_by_two", 21, 201, Qt::Key_Up, 23},
    {"down_by_two", 21, 201, Qt::Key_Down, 19},
    {"page_up_by_ten", 21, 201, Qt::Key_PageUp, 31},
    {"page_down_by_ten", 21, 201, Qt::Key_PageDown, 11},
    {"page_down_clamps_at_three", 11, 201, Qt::Key_PageDown, 3},
    {"down_clamps_at_three", 3, 201, Qt::Key_Down, 3},
    {"up_clamps_at_the_design_maximum", 201, 201, Qt::Key_Up, 201},
    {"up_reaches_the_raised_even_maximum", 1919, 1920, Qt::Key_Up, 1920},
    {"page_up_clamps_at_the_raised_maximum", 1915, 1920, Qt::Key_PageUp, 1920},
    {"typing_refused", 21, 201, Qt::Key_5, 21},
    {"deleting_refused", 21, 201, Qt::Key_Backspace, 21},
};

class PickerFrameSpin : public PickerFrame, public ::testing::WithParamInterface<SpinCase> {};

TEST_P(PickerFrameSpin, StepsByTwoPagesByTenAndClamps) {
    const SpinCase& row = GetParam();
    ShowAndActivate();
    FFrame->seMatrixSize->setMaximum(row.maximum);
    FFrame->seMatrixSize->setValue(row.from);
    FFrame->seMatrixSize->setFocus();
    QTest::keyClick(FFrame->seMatrixSize, row.key);
    EXPECT_EQ(FFrame->seMatrixSize->value(), row.expected);
    EXPECT_EQ(FFrame->seMatrixSize->text(), QString::number(row.expected));
}

INSTANTIATE_TEST_SUITE_P(, PickerFrameSpin, ::testing::ValuesIn(kSpinCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(PickerFrame, TheStartRaisesTheMaximumToTheScreensLargerSide) {
    FPlatform.ScreenPixels = QSize(1080, 2560); // a portrait screen
    FFrame->seMatrixSize->setValue(201);
    FFrame->pbCaptureClick();
    EXPECT_EQ(FFrame->seMatrixSize->maximum(), 2560);
    EXPECT_EQ(FFrame->seMatrixSize->value(), 201);
    EXPECT_TRUE(FFrame->Capturing());
    EXPECT_TRUE(FTimer->Enabled());
    EXPECT_EQ(FFrame->pbCapture->text(), "Stop (Es&c)");
    EXPECT_EQ(FFrame->pbCapture->accessibleName(), "Stop (Esc)");
    EXPECT_EQ(FEvents, std::vector<std::string>{"start"});
}

TEST_F(PickerFrame, AStopPicksTheCentreThenReports) {
    CaptureAt({700, 300});
    FPlatform.Cursor = {5, 5}; // where the pointer went last does not matter
    FEvents.clear();
    FFrame->actStop->trigger();
    EXPECT_FALSE(FFrame->Capturing());
    EXPECT_FALSE(FTimer->Enabled());
    EXPECT_EQ(FFrame->PickedColor(), EncodedColor(700, 300));
    EXPECT_EQ(FFrame->shpColor->BrushColor(), EncodedColor(700, 300));
    EXPECT_EQ(FFrame->shpColor->accessibleDescription().toStdString(), ColorToHTML(EncodedColor(700, 300)));
    EXPECT_EQ(FEvents, (std::vector<std::string>{"color " + ColorToHTML(EncodedColor(700, 300)), "stop"}));
    EXPECT_EQ(FFrame->pbCapture->text(), "&Capture");

    // Idle, a stop reports the same centre again.
    FEvents.clear();
    FFrame->StopCapture();
    EXPECT_EQ(FEvents, (std::vector<std::string>{"color " + ColorToHTML(EncodedColor(700, 300)), "stop"}));
}

TEST_F(PickerFrame, AStopBeforeAnyCaptureReportsNoColour) {
    FFrame->StopCapture();
    EXPECT_EQ(FEvents, std::vector<std::string>{"stop"});
    EXPECT_EQ(FFrame->PickedColor(), clNone);
    FFrame->pbCaptureClick();
    FFrame->pbCaptureClick(); // started and stopped before the first tick
    EXPECT_EQ(FEvents, (std::vector<std::string>{"stop", "start", "stop"}));
}

TEST_F(PickerFrame, EnterAndEscStopThroughTheAction) {
    ShowAndActivate();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        CaptureAt({40, 50});
        FFrame->seMatrixSize->setFocus();
        FEvents.clear();
        QTest::keyClick(FFrame->seMatrixSize, key);
        EXPECT_FALSE(FFrame->Capturing()) << key;
        EXPECT_EQ(FEvents, (std::vector<std::string>{"color " + ColorToHTML(EncodedColor(40, 50)), "stop"}))
            << key;
    }
}

TEST_F(PickerFrame, TheTickShowsThePointerAndEveryStopClearsIt) {
    CaptureAt({1024, 7});
    EXPECT_EQ(FFrame->Panels[0]->text(), "X 1024");
    EXPECT_EQ(FFrame->Panels[1]->text(), "Y 7");
    EXPECT_TRUE(FFrame->Panels[2]->text().isEmpty());
    EXPECT_TRUE(FTimer->Enabled()) << "the tick enables the timer again";
    FPlatform.Cursor = {10, -5}; // on a monitor above the primary one
    FTimer->Fire();
    EXPECT_EQ(FFrame->Panels[1]->text(), "Y -5");
    FFrame->StopCapture();
    EXPECT_TRUE(FFrame->Panels[0]->text().isEmpty());
    EXPECT_TRUE(FFrame->Panels[1]->text().isEmpty());
}

// A pointer that moves on between two reads would leave the panels naming one pixel and the square
// centred on another: a tick reads it once and shows that one place everywhere.
TEST_F(PickerFrame, TheTickShowsAndCopiesAroundOnePointerRead) {
    FFrame->pbCaptureClick();
    FPlatform.Cursor = {600, 200};
    FPlatform.AfterCursorRead = [this] { FPlatform.Cursor += QPoint(7, 3); };
    FTimer->Fire();
    EXPECT_EQ(FFrame->Panels[0]->text(), "X 600");
    EXPECT_EQ(FFrame->Panels[1]->text(), "Y 200");
    EXPECT_EQ(TfraColorPicker::CenterPixel(FFrame->CaptureBitmap()), EncodedColor(600, 200));
    EXPECT_EQ(FFrame->shpColor->BrushColor(), EncodedColor(600, 200));
    // The next tick reads where the pointer went, once again.
    FTimer->Fire();
    EXPECT_EQ(FFrame->Panels[0]->text(), "X 607");
    EXPECT_EQ(TfraColorPicker::CenterPixel(FFrame->CaptureBitmap()), EncodedColor(607, 203));
}

TEST_F(PickerFrame, TheTickBringsTheKeyboardBackToTheSpinBox) {
    FHost.show();
    CaptureAt({1, 1});
    EXPECT_EQ(FPlatform.Foreground, &FHost) << "the window was not active";
    EXPECT_EQ(FHost.focusWidget(), FFrame->seMatrixSize);
}

TEST_F(PickerFrame, APointerThatCannotBeReadIsReportedOnceARun) {
    CaptureAt({1, 1});
    FPlatform.CursorFails = true;
    FTimer->Fire();
    FTimer->Fire();
    FTimer->Fire();
    EXPECT_EQ(FPlatform.ErrorBoxes.size(), 1u);
    EXPECT_TRUE(FTimer->Enabled()) << "the next tick tries again";
    FFrame->pbCaptureClick();
    FFrame->pbCaptureClick(); // a new run
    FTimer->Fire();
    EXPECT_EQ(FPlatform.ErrorBoxes.size(), 2u);
}

TEST_F(PickerFrame, NoScreenSkipsTheCaptureButNotThePanels) {
    CaptureAt({30, 40});
    FPlatform.Screen = QImage();
    FPlatform.Cursor = {31, 41};
    FTimer->Fire();
    EXPECT_EQ(FFrame->Panels[0]->text(), "X 31");
    EXPECT_EQ(FFrame->shpColor->BrushColor(), EncodedColor(30, 40)) << "the last capture stays";
    FFrame->StopCapture();
    EXPECT_EQ(FFrame->PickedColor(), EncodedColor(30, 40));
}

// Pointing into the preview picks the displayed pixel under the pointer, marker ring included;
// a left click freezes that, a second one lets it follow again; other buttons change nothing.
TEST_F(PickerFrame, ThePreviewPicksTheDisplayedPixelUnderThePointer) {
    ShowAndActivate();
    CaptureAt({500, 400});
    FFrame->pbCaptureClick();
    const int n = FFrame->CaptureBitmap().width();
    const int c = (n - 1) / 2;
    const qreal ratio = FFrame->devicePixelRatioF();
    const int d = qRound(199 * ratio);
    const auto logical = [&](QPoint device) {
        return QPoint(static_cast<int>(device.x() / ratio), static_cast<int>(device.y() / ratio));
    };
    FEvents.clear();
    QTest::mouseMove(FFrame->Image1, logical(BlockMiddle(3, 17, n, d)));
    EXPECT_EQ(FFrame->PickedColor(), EncodedColor(500 - c + 3, 400 - c + 17));
    const TColor ring = FFrame->PickedColor();
    QTest::mouseMove(FFrame->Image1, logical(BlockMiddle(c + 1, c, n, d)));
    EXPECT_EQ(FFrame->PickedColor(), ColorToRGB(clGrayText)) << "the displayed ring, not the capture";
    EXPECT_EQ(FEvents.size(), 2u) << "every move reports";

    QTest::mouseClick(FFrame->Image1, Qt::RightButton, {}, logical(BlockMiddle(c + 1, c, n, d)));
    EXPECT_TRUE(FFrame->FollowMouse());
    QTest::mouseClick(FFrame->Image1, Qt::LeftButton, {}, logical(BlockMiddle(c + 1, c, n, d)));
    EXPECT_FALSE(FFrame->FollowMouse());
    QTest::mouseMove(FFrame->Image1, logical(BlockMiddle(3, 17, n, d)));
    EXPECT_EQ(FFrame->PickedColor(), ColorToRGB(clGrayText)) << "frozen";
    QTest::mouseClick(FFrame->Image1, Qt::LeftButton, {}, logical(BlockMiddle(3, 17, n, d)));
    EXPECT_TRUE(FFrame->FollowMouse());
    QTest::mouseMove(FFrame->Image1, logical(BlockMiddle(3, 16, n, d)));
    EXPECT_NE(FFrame->PickedColor(), ring);
    EXPECT_EQ(FFrame->PickedColor(), EncodedColor(500 - c + 3, 400 - c + 16));
}

// ---- The screen-picking paths: the portal's answers through the same stop, and no path at all.

class PickerFrameOnPath : public PickerFrame {
protected:
    // A frame made anew for the path, as start-up makes it once the platform has chosen.
    void UsePath(TScreenPickPath path, std::string reason = {}) {
        FPlatform.PickChoice = {path, std::move(reason)};
        FPlatform.PickChoices = 0;
        delete FFrame;
        FFrame = new TfraColorPicker(FPlatform, &FHost);
        FTimer = FPlatform.Timers.back();
        FFrame->OnColorChange = [this](TfraColorPicker& sender) {
            FEvents.push_back("color " + ColorToHTML(sender.PickedColor()));
        };
        FFrame->OnCaptureStart = [this](TfraColorPicker&) { FEvents.push_back("start"); };
        FFrame->OnCaptureStop = [this](TfraColorPicker&) { FEvents.push_back("stop"); };
    }
    using TEvents = std::vector<std::string>;
    static constexpr const char* kUnavailable = "Picking from the screen is not available in this session: ";
};

// The portal's colour becomes a 1 x 1 capture and is picked by the stop, exactly as an X11 pick:
// the colour reported, then the stop; the button back to Capture; no screen copied meanwhile.
TEST_F(PickerFrameOnPath, ThePortalsColourIsPickedThroughTheStop) {
    UsePath(TScreenPickPath::Portal);
    FFrame->pbCaptureClick();
    EXPECT_TRUE(FFrame->Capturing());
    EXPECT_TRUE(FFrame->AskingPortal());
    EXPECT_EQ(FFrame->pbCapture->text(), "Stop (Es&c)");
    EXPECT_EQ(FPlatform.PickStarts, 1);
    EXPECT_FALSE(FTimer->Enabled()) << "nothing to copy while the portal is asked";
    EXPECT_EQ(FEvents, TEvents{"start"});

    ASSERT_TRUE(FPlatform.AnswerScreenPick(TScreenPickOutcome::Picked, RGB(51, 102, 153)));
    EXPECT_EQ(FEvents, (TEvents{"start", "color #336699", "stop"}));
    EXPECT_FALSE(FFrame->Capturing());
    EXPECT_FALSE(FFrame->AskingPortal());
    EXPECT_EQ(FFrame->pbCapture->text(), "&Capture");
    EXPECT_EQ(FFrame->PickedColor(), RGB(51, 102, 153));
    EXPECT_EQ(FFrame->shpColor->BrushColor(), RGB(51, 102, 153));
    ASSERT_EQ(FFrame->CaptureBitmap().size(), QSize(1, 1));
    EXPECT_EQ(FFrame->CaptureBitmap().pixel(0, 0), qRgb(51, 102, 153));
    EXPECT_FALSE(FFrame->Image1->Enlarged().isNull()) << "the preview shows the picked pixel";
    EXPECT_EQ(FPlatform.Grabs, 0);
    EXPECT_TRUE(FPlatform.ErrorBoxes.empty());

    // Idle, a stop reports the same colour again, as after a copy.
    FEvents.clear();
    FFrame->StopCapture();
    EXPECT_EQ(FEvents, (TEvents{"color #336699", "stop"}));
}

// A cancel, a stop of ours before the answer, and a portal that fails all end the capture without
// a colour, keeping the one picked before; only the failure says so, once, in the error box.
struct TNoColourCase {
    const char* Name;
    std::function<void(TfraColorPicker&, test::TFakePlatformServices&)> End;
    int Cancels;     // picks we ended at the platform
    const char* Box; // the error box's text, or nothing
};
void PrintTo(const TNoColourCase& c, std::ostream* out) { *out << c.Name; }

class PickerFrameNoColour : public PickerFrameOnPath, public ::testing::WithParamInterface<TNoColourCase> {};

TEST_P(PickerFrameNoColour, EndsTheCaptureAndKeepsTheColour) {
    UsePath(TScreenPickPath::Portal);
    FFrame->pbCaptureClick();
    ASSERT_TRUE(FPlatform.AnswerScreenPick(TScreenPickOutcome::Picked, RGB(1, 2, 3)));
    FFrame->pbCaptureClick();
    FEvents.clear();
    GetParam().End(*FFrame, FPlatform);
    EXPECT_EQ(FEvents, TEvents{"stop"}) << "a stop that reports no colour";
    EXPECT_FALSE(FFrame->Capturing());
    EXPECT_FALSE(FFrame->AskingPortal());
    EXPECT_EQ(FFrame->pbCapture->text(), "&Capture");
    EXPECT_EQ(FFrame->PickedColor(), RGB(1, 2, 3));
    EXPECT_EQ(FFrame->shpColor->BrushColor(), RGB(1, 2, 3));
    EXPECT_EQ(FPlatform.PickCancels, GetParam().Cancels);
    EXPECT_FALSE(FPlatform.AnswerScreenPick(TScreenPickOutcome::Picked, RGB(9, 9, 9))) << "nothing pending";
    EXPECT_EQ(FFrame->PickedColor(), RGB(1, 2, 3));
    if (GetParam().Box == nullptr) {
        EXPECT_TRUE(FPlatform.ErrorBoxes.empty());
    } else {
        ASSERT_EQ(FPlatform.ErrorBoxes.size(), 1u);
        EXPECT_EQ(FPlatform.ErrorBoxes[0].first, "Tintwell");
        EXPECT_EQ(FPlatform.ErrorBoxes[0].second, GetParam().Box);
    }
    // The picker stays usable: the next capture asks the portal again.
    FFrame->pbCaptureClick();
    EXPECT_TRUE(FFrame->AskingPortal());
    EXPECT_TRUE(static_cast<bool>(FPlatform.PendingPick));
}

const TNoColourCase kNoColourCases[] = {
    {"cancelled_by_the_user",
     [](TfraColorPicker&, test::TFakePlatformServices& platform) {
         platform.AnswerScreenPick(TScreenPickOutcome::Cancelled);
     },
     0, nullptr},
    {"stopped_by_the_button",
     [](TfraColorPicker& frame, test::TFakePlatformServices&) { frame.pbCaptureClick(); }, 1, nullptr},
    {"stopped_by_esc", [](TfraColorPicker& frame, test::TFakePlatformServices&) { frame.actStop->trigger(); },
     1, nullptr},
    {"portal_timed_out",
     [](TfraColorPicker&, test::TFakePlatformServices& platform) {
         platform.AnswerScreenPick(TScreenPickOutcome::Failed, 0,
                                   "the desktop portal did not answer in time");
     },
     0,
     "Picking from the screen is not available in this session: the desktop portal did not answer in time."},
    {"no_portal_on_the_bus",
     [](TfraColorPicker&, test::TFakePlatformServices& platform) {
         platform.AnswerScreenPick(
             TScreenPickOutcome::Failed, 0,
             "The name org.freedesktop.portal.Desktop was not provided by any .service files");
     },
     0,
     "Picking from the screen is not available in this session: The name org.freedesktop.portal.Desktop was "
     "not provided by any .service files."},
};

INSTANTIATE_TEST_SUITE_P(, PickerFrameNoColour, ::testing::ValuesIn(kNoColourCases),
                         [](const ::testing::TestParamInfo<TNoColourCase>& c) { return c.param.Name; });

// Without a path, a start says why in the error box, once a click, and changes nothing else.
TEST_F(PickerFrameOnPath, WithoutAPathAStartExplainsAndChangesNothing) {
    UsePath(TScreenPickPath::None, "the program does not run on an X11 or Wayland display");
    FFrame->pbCapture->click(); // through the handler's guard, which shows the box
    ASSERT_EQ(FPlatform.ErrorBoxes.size(), 1u);
    EXPECT_EQ(FPlatform.ErrorBoxes[0].second,
              std::string(kUnavailable) + "the program does not run on an X11 or Wayland display.");
    EXPECT_FALSE(FFrame->Capturing());
    EXPECT_EQ(FFrame->pbCapture->text(), "&Capture");
    EXPECT_TRUE(FEvents.empty());
    EXPECT_EQ(FFrame->PickedColor(), clNone);
    EXPECT_FALSE(FTimer->Enabled());
    EXPECT_EQ(FPlatform.PickStarts, 0);
    FFrame->pbCapture->click();
    EXPECT_EQ(FPlatform.ErrorBoxes.size(), 2u) << "each attempt is answered";
}

// The path is asked for once, when the frame is made, and shown as the status bar's tip.
struct TPathTipCase {
    TScreenPickPath Path;
    const char* Reason;
    const char* Tip;
};

TEST_F(PickerFrameOnPath, TheStatusBarTellsThePathChosenOnce) {
    const TPathTipCase kCases[] = {
        {TScreenPickPath::X11Copy, "", "Picks from the screen by copying what the X server shows"},
        {TScreenPickPath::Portal, "",
         "Picks from the screen through the desktop portal, which asks you to click the color"},
        {TScreenPickPath::None, "the program does not run on an X11 or Wayland display",
         "Picking from the screen is not available in this session: the program does not run on an X11 or "
         "Wayland display"},
    };
    for (const TPathTipCase& c : kCases) {
        UsePath(c.Path, c.Reason);
        EXPECT_EQ(FFrame->StatusBar1->toolTip().toStdString(), c.Tip);
        EXPECT_EQ(FFrame->StatusBar1->accessibleName(), "Screen picking");
        EXPECT_TRUE(FFrame->Panels[2]->toolTip().isEmpty()) << "the panels show the bar's tip";
        if (c.Path != TScreenPickPath::None) {
            FFrame->pbCaptureClick();
            FFrame->pbCaptureClick();
        }
        EXPECT_EQ(FPlatform.PickChoices, 1);
    }
}

// A frame that goes while the portal is asked ends the pick: its answer reaches no one.
TEST_F(PickerFrameOnPath, AFrameThatGoesEndsItsPick) {
    UsePath(TScreenPickPath::Portal);
    FFrame->pbCaptureClick();
    delete FFrame;
    FFrame = nullptr;
    EXPECT_EQ(FPlatform.PickCancels, 1);
    EXPECT_FALSE(FPlatform.AnswerScreenPick(TScreenPickOutcome::Picked, RGB(1, 1, 1)));
}

// The X11 path never asks the portal.
TEST_F(PickerFrameOnPath, TheX11PathNeverAsksThePortal) {
    UsePath(TScreenPickPath::X11Copy);
    CaptureAt({10, 20});
    FFrame->StopCapture();
    EXPECT_EQ(FPlatform.PickStarts, 0);
    EXPECT_EQ(FFrame->PickedColor(), EncodedColor(10, 20));
}

} // namespace
} // namespace tintwell
