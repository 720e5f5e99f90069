#pragma once

#include <QActionGroup>
#include <QCheckBox>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "core/tcolor.h"
#include "platform/platform_services.h"
#include "ui/common/swatch.h"
#include "ui/picker/widgets.h"

namespace tintwell {

// The capture frame: while it captures, every 100 ms it copies the N x N square of screen pixels
// whose centre is the pixel under the pointer, shows it magnified with the centre marked, and fills
// the swatch with the centre's colour; a stop makes that colour the picked one. Where the screen
// cannot be copied (a Wayland session) a capture asks the desktop portal instead, and its colour
// becomes a 1 x 1 capture picked by the same stop; a cancel or a stop before the answer picks
// nothing. Pointing into the preview picks the displayed pixel under the pointer instead. It knows nothing of
// its host, which it tells through three callbacks, each called with the frame and only when assigned. Every
// component is a public member named as designed, with the same objectName; each handler catches at
// its boundary and hands errors to the standard error box.
class TfraColorPicker : public QWidget {
public:
    explicit TfraColorPicker(TPlatformServices& platform, QWidget* parent = nullptr);
    ~TfraColorPicker() override;

    TColor PickedColor() const noexcept { return FPickedColor; }
    bool Capturing() const noexcept { return FCapturing; }
    bool FollowMouse() const noexcept { return FFollowMouse; }
    // The last screen copy, never with the marker; empty until the first capture.
    const QImage& CaptureBitmap() const noexcept { return FCaptureBitmap; }

    // The stop, also when not capturing: the stored capture's centre becomes the picked colour
    // (when there is a capture), then OnCaptureStop runs. While the portal is asked, it ends the
    // wait instead and picks nothing.
    void StopCapture();
    // Whether a capture waits for the desktop portal's answer.
    bool AskingPortal() const noexcept { return FAskingPortal; }

    std::function<void(TfraColorPicker&)> OnColorChange;
    std::function<void(TfraColorPicker&)> OnCaptureStart;
    std::function<void(TfraColorPicker&)> OnCaptureStop;

    // The colour of a bitmap's centre pixel, ((W - 1) div 2, (H - 1) div 2).
    static TColor CenterPixel(const QImage& bitmap);
    // Draws the marker on a bitmap: around its centre pixel, a ring three pixels across in
    // clGrayText, filled with the stored capture's centre colour.
    void DrawMarker(QImage& bitmap) const;

    QLineEdit* Edit1;
    TMatrixSpinBox* seMatrixSize;
    QFrame* pnlCapture;
    TMagnifier* Image1;
    QCheckBox* cbShowMarker;
    TShape* shpColor;
    QPushButton* pbCapture;
    QStatusBar* StatusBar1;
    QActionGroup* alColorPicker;
    QAction* actStop;
    std::unique_ptr<TMessageTimer> Timer1;

    // The status bar's three panels, 50 wide each: the pointer's x, its y, nothing.
    std::array<QLabel*, 3> Panels{};

    // The handlers, as the controls call them.
    void Timer1Timer();
    void pbCaptureClick();
    void actStopExecute();
    void Image1MouseMove(QPoint position);
    void Image1MouseUp(Qt::MouseButton button);
    void cbShowMarkerClick();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Copies the square around cursor, the pointer as the tick read it.
    void CaptureScreen(QPoint cursor);
    void SetPickedColor(TColor color);
    void StartCapture();
    void PortalAnswered(TScreenPickOutcome outcome, TColor colour, const std::string& reason);
    void EndCapture(bool pick);
    bool FrameHasFocus() const;
    void SetCaptureCaption(const char* caption);
    void ShowPreview();

    TPlatformServices& FPlatform;
    TScreenPickChoice FPick;
    bool FAskingPortal = false;
    TColor FPickedColor = clNone;
    bool FFollowMouse = true;
    bool FCapturing = false;
    bool FCursorFailureReported = false;
    QImage FCaptureBitmap;
};

} // namespace tintwell
