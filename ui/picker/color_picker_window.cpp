#include "ui/picker/color_picker_window.h"

#include <QCloseEvent>
#include <QHideEvent>

#include "core/resource_text.h"
#include "i18n/translation.h"
#include "ui/common/design_font.h"
#include "ui/common/error_box.h"

namespace tintwell {
namespace {

// The host's callback as the frame calls it: the host knows its picker, not the frame, and an
// empty one is never called.
std::function<void(TfraColorPicker&)> ForFrame(IColorPicker::TNotify callback) {
    return [callback = std::move(callback)](TfraColorPicker&) {
        if (callback)
            callback();
    };
}

} // namespace

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

// The capture button's caption comes translated from the frame, with its accessible name, so the
// walk finds nothing of it left to translate.
void TfrmColorPicker::FormCreate() { TranslateForm(*this); }

TColor TfrmColorPicker::GetColor() const { return fraColorPicker1->PickedColor(); }

bool TfrmColorPicker::IsCapturing() const { return fraColorPicker1->Capturing(); }

void TfrmColorPicker::StopCapture() { fraColorPicker1->StopCapture(); }

void TfrmColorPicker::SetOnColorChange(TNotify callback) {
    fraColorPicker1->OnColorChange = ForFrame(std::move(callback));
}

void TfrmColorPicker::SetOnCaptureStart(TNotify callback) {
    fraColorPicker1->OnCaptureStart = ForFrame(std::move(callback));
}

void TfrmColorPicker::SetOnCaptureStop(TNotify callback) {
    fraColorPicker1->OnCaptureStop = ForFrame(std::move(callback));
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
