#pragma once

#include "settings/zorvik_form.h"
#include "ui/common/color_picker.h"
#include "ui/picker/color_picker_frame.h"

namespace tintwell {

// The picker tool window, captioned "Color Picker": it hosts the capture frame, passes the main
// window's callbacks on to it and stops any capture when it is closed or hidden by the program or
// the user (a minimise or a desktop switch is the window system's, and picks nothing). It keeps its
// placement under "Forms\frmColorPicker". Made with CreateForm, hidden until ShowPicker.
class TfrmColorPicker : public TzorvikForm, public IColorPicker {
public:
    TfrmColorPicker(TPlatformServices& platform, QWidget* owner);

    TColor GetColor() const override;
    bool IsCapturing() const override;
    void StopCapture() override;
    void SetOnColorChange(TNotify callback) override;
    void SetOnCaptureStart(TNotify callback) override;
    void SetOnCaptureStop(TNotify callback) override;
    void ShowPicker() override;

    TfraColorPicker* fraColorPicker1;

protected:
    void DoCreate() override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    void FormHide();
};

} // namespace tintwell
