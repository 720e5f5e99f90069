#include "ui/picker/color_picker_window.h"

#include <QCloseEvent>
#include <QHideEvent>

#include "core/resource_text.h"
#include "i18n/translation.h"
#include "ui/common/design_font.h"
#include "ui/common/error_box.h"

namespace tintwell {

TfrmColorPicker::TfrmColorPicker(TPlatformServices& platform, QWidget* owner)
    : TzorvikForm(platform, owner, Qt::Tool) {
    setObjectName("frmColorPicker");
    setWindowTitle(QString::fromUtf8(N_("Color Picker").data()));
    setFont(DesignFont());
    move(192, 114);
    setFixedSize(218, 348); // not resizable
    fraColorPicker1 = new TfraColorPicker(platform, this);
    fraColorPicker1->setObjectName("fraColorPicker1");
    fraColorPicker1->setGeometry(0, 0, 218, 348);
}

void TfrmColorPicker::DoCreate() { FormCreate(); }

void TfrmColorPicker::FormCreate() {
    TranslateForm(*this);
    // The button's accessible name is its caption without the accelerator, in the language shown.
    QPushButton& capture = *fraColorPicker1->pbCapture;
    capture.setAccessibleName(capture.text().remove('&'));
}

TColor TfrmColorPicker::GetColor() const { return fraColorPicker1->PickedColor(); }

bool TfrmColorPicker::IsCapturing() const { return fraColorPicker1->Capturing(); }

void TfrmColorPicker::StopCapture() { fraColorPicker1->StopCapture(); }

void TfrmColorPicker::SetOnColorChange(TNotify callback) {
    fraColorPicker1->OnColorChange = [callback = std::move(callback)](TfraColorPicker&) {
        if (callback)
            callback();
    };
}

void TfrmColorPicker::SetOnCaptureStart(TNotify callback) {
    fraColorPicker1->OnCaptureStart = [callback = std::move(callback)](TfraColorPicker&) {
        if (callback)
            callback();
    };
}

void TfrmColorPicker::SetOnCaptureStop(TNotify callback) {
    fraColorPicker1->OnCaptureStop = [callback = std::move(callback)](TfraColorPicker&) {
        if (callback)
            callback();
    };
}

void TfrmColorPicker::ShowPicker() {
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    Platform().BringToForeground(*this);
}

void TfrmColorPicker::FormClose() { StopCapture(); }

void TfrmColorPicker::FormHide() { StopCapture(); }

void TfrmColorPicker::closeEvent(QCloseEvent* event) {
    // The close only hides the window; the hide that follows stops a second time.
    Guarded(Platform(), [this] { FormClose(); });
    event->accept();
}

void TfrmColorPicker::hideEvent(QHideEvent* event) {
    TzorvikForm::hideEvent(event);
    // A minimise or a desktop switch is the window system's doing, not a user's stop.
    if (!event->spontaneous())
        Guarded(Platform(), [this] { FormHide(); });
}

} // namespace tintwell
