#include "ui/picker/color_picker_frame.h"

#include <QApplication>
#include <QPainter>

#include "colour/colour.h"
#include "core/resource_text.h"
#include "i18n/translation.h"
#include "ui/common/error_box.h"

namespace tintwell {
namespace {

constexpr std::chrono::milliseconds kTickInterval{100};

template <class TWidget> TWidget* Place(TWidget* widget, const char* name, QRect geometry) {
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

QString WithoutAccelerator(QString caption) { return caption.remove('&'); }

TColor FromQRgb(QRgb rgb) { return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb)); }

// The message for a session that cannot pick from the screen, and why.
std::string UnavailableText(const std::string& reason) {
    return FormatText(ResString(N_("Picking from the screen is not available in this session: %s")),
                      {ResString(reason)});
}

// What the status bar says of how the screen is read.
QString PathTip(const TScreenPickChoice& choice) {
    switch (choice.Path) {
    case TScreenPickPath::X11Copy:
        return QString::fromStdString(
            ResString(N_("Picks from the screen by copying what the X server shows")));
    case TScreenPickPath::Portal:
        return QString::fromStdString(ResString(N_("Picks from the screen through the desktop portal, which "
                                                   "asks you to click the color")));
    case TScreenPickPath::None: break;
    }
    return QString::fromStdString(UnavailableText(choice.Reason));
}

QColor ToQColor(TColor color) {
    const TColor rgb = ColorToRGB(color);
    return {GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)};
}

} // namespace

TfraColorPicker::TfraColorPicker(TPlatformServices& platform, QWidget* parent)
    : QWidget(parent), FPlatform(platform), FPick(platform.ScreenPickChoice()) {
    setObjectName("fraColorPicker");
    resize(219, 346);

    // A text box that serves as the spin box's label: no border, the face colour behind it.
    Edit1 = Place(new QLineEdit(QString::fromUtf8(N_("Matrix").data()), this), "Edit1", {8, 13, 65, 13});
    Edit1->setFrame(false);
    Edit1->setReadOnly(true);
    Edit1->setFocusPolicy(Qt::NoFocus);
    QPalette face = Edit1->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Window));
    Edit1->setPalette(face);

    seMatrixSize = Place(new TMatrixSpinBox(this), "seMatrixSize", {79, 8, 73, 22});
    seMatrixSize->setRange(3, 201);
    seMatrixSize->setValue(21);
    seMatrixSize->setAccessibleName("Matrix size");

    pnlCapture = Place(new QFrame(this), "pnlCapture", {7, 40, 203, 203});
    pnlCapture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlCapture->setLineWidth(2);

    Image1 = Place(new TMagnifier(pnlCapture), "Image1", {2, 2, 199, 199});
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setToolTip(QString::fromUtf8(N_("click this preview to select a color...").data()));
    Image1->setAccessibleName("Magnified preview");
    Image1->OnMouseMove = [this](QPoint position) { Guarded(FPlatform, [&] { Image1MouseMove(position); }); };
    Image1->OnMouseUp = [this](Qt::MouseButton button) {
        Guarded(FPlatform, [&] { Image1MouseUp(button); });
    };

    cbShowMarker = Place(new QCheckBox(QString::fromUtf8(N_("&show marker").data()), this), "cbShowMarker",
                         {7, 248, 98, 20});
    cbShowMarker->setChecked(true);
    cbShowMarker->setAccessibleName("show marker");
    connect(cbShowMarker, &QCheckBox::clicked, this,
            [this] { Guarded(FPlatform, [this] { cbShowMarkerClick(); }); });

    shpColor = Place(new TShape(this), "shpColor", {7, 272, 49, 49});
    shpColor->setAccessibleName("picked color");

    pbCapture = Place(new QPushButton(this), "pbCapture", {135, 296, 75, 25});
    pbCapture->setFlat(true);
    pbCapture->setStyleSheet("QPushButton { border: 1px solid gray; }");
    SetCaptureCaption(N_("&Capture").data());
    connect(pbCapture, &QPushButton::clicked, this,
            [this] { Guarded(FPlatform, [this] { pbCaptureClick(); }); });

    StatusBar1 = Place(new QStatusBar(this), "StatusBar1", {0, 346 - 19, 219, 19});
    StatusBar1->setSizeGripEnabled(false);
    // Its panels have no tip of their own, so hovering anywhere on the bar tells the path.
    StatusBar1->setToolTip(PathTip(FPick));
    StatusBar1->setAccessibleName("Screen picking");
    for (QLabel*& panel : Panels) {
        panel = new QLabel(StatusBar1);
        panel->setFixedWidth(50);
        StatusBar1->addWidget(panel);
    }

    // Enter (either key) and Esc stop while the keyboard is anywhere in the hosting window.
    alColorPicker = new QActionGroup(this);
    alColorPicker->setObjectName("alColorPicker");
    alColorPicker->setExclusive(false);
    actStop = new QAction(QString::fromUtf8(N_("&Stop (Esc)").data()), alColorPicker);
    actStop->setObjectName("actStop");
    actStop->setShortcuts(
        {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter), QKeySequence(Qt::Key_Escape)});
    actStop->setShortcutContext(Qt::WindowShortcut);
    addAction(actStop);
    connect(actStop, &QAction::triggered, this, [this] { Guarded(FPlatform, [this] { actStopExecute(); }); });

    Timer1 = FPlatform.CreateMessageTimer(kTickInterval,
                                          [this] { Guarded(FPlatform, [this] { Timer1Timer(); }); });
    Timer1->SetEnabled(false);
}

TfraColorPicker::~TfraColorPicker() {
    // An answer after this would reach a frame that is gone.
    if (FAskingPortal)
        FPlatform.CancelScreenPick();
}

void TfraColorPicker::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    StatusBar1->setGeometry(0, height() - 19, width(), 19);
}

TColor TfraColorPicker::CenterPixel(const QImage& bitmap) {
    return FromQRgb(bitmap.pixel((bitmap.width() - 1) / 2, (bitmap.height() - 1) / 2));
}

void TfraColorPicker::DrawMarker(QImage& bitmap) const {
    const int cx = (bitmap.width() - 1) / 2;
    const int cy = (bitmap.height() - 1) / 2;
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(ToQColor(clGrayText), 1, Qt::SolidLine));
    painter.setBrush(ToQColor(CenterPixel(FCaptureBitmap)));
    // Qt's rectangle reaches one pixel past its width with a one-pixel pen: the same three pixels
    // across as an ellipse from (cx - 1, cy - 1) to (cx + 2, cy + 2), right and bottom exclusive.
    painter.drawEllipse(QRect(cx - 1, cy - 1, 2, 2));
}

void TfraColorPicker::ShowPreview() {
    if (FCaptureBitmap.isNull() || !cbShowMarker->isChecked()) {
        Image1->SetPicture(FCaptureBitmap);
        return;
    }
    // The marker on a small copy of the capture around its centre, which the preview lays over the
    // capture: the same picture as a marked copy of the whole capture, without copying it.
    const QPoint centre((FCaptureBitmap.width() - 1) / 2, (FCaptureBitmap.height() - 1) / 2);
    const QPoint at = centre - QPoint(2, 2);
    QImage patch = FCaptureBitmap.copy(QRect(at, QSize(5, 5)));
    DrawMarker(patch);
    Image1->SetPicture(FCaptureBitmap, patch, at);
}

void TfraColorPicker::CaptureScreen(QPoint cursor) {
    const int n = seMatrixSize->value();
    const QRect area(cursor - QPoint((n - 1) / 2, (n - 1) / 2), QSize(n, n));
    // Straight into the stored capture, whose buffer is reused from tick to tick.
    if (!FPlatform.GrabScreen(area, FCaptureBitmap))
        return;
    // Taken as it is: Qt 6 drives no 8-bit screen, so there is no system palette to map it to.
    shpColor->SetBrushColor(CenterPixel(FCaptureBitmap));
    ShowPreview();
}

void TfraColorPicker::SetPickedColor(TColor color) {
    FPickedColor = color;
    shpColor->SetBrushColor(color);
    if (OnColorChange)
        OnColorChange(*this);
}

bool TfraColorPicker::FrameHasFocus() const {
    const QWidget* focus = QApplication::focusWidget();
    return window()->isActiveWindow() && focus != nullptr && (focus == this || isAncestorOf(focus));
}

void TfraColorPicker::SetCaptureCaption(const char* caption) {
    const QString translated = TranslateText(QString::fromUtf8(caption));
    pbCapture->setText(translated);
    pbCapture->setAccessibleName(WithoutAccelerator(translated));
}

void TfraColorPicker::Timer1Timer() {
    Timer1->SetEnabled(false);
    // On every way out, errors included; a stop that ran meanwhile (from an error box's loop) has
    // the last word.
    struct TReenable {
        TfraColorPicker& Frame;
        ~TReenable() {
            if (Frame.FCapturing)
                Frame.Timer1->SetEnabled(true);
        }
    } reenable{*this};

    QPoint cursor;
    try {
        cursor = FPlatform.CursorPos();
    } catch (const EPlatformError&) {
        // A pointer that cannot be read (a locked desktop) fails every tick: say so once a run.
        if (FCursorFailureReported)
            return;
        FCursorFailureReported = true;
        throw;
    }
    // Screen coordinates, not translated.
    Panels[0]->setText("X " + QString::number(cursor.x()));
    Panels[1]->setText("Y " + QString::number(cursor.y()));
    if (!FrameHasFocus()) {
        FPlatform.BringToForeground(*window());
        FPlatform.SetFocus(*seMatrixSize);
    }
    // The same point as the panels: a second read could find the pointer a move further on.
    CaptureScreen(cursor);
}

void TfraColorPicker::StartCapture() {
    // Nothing changes: the preview and the picked colour stay as they are.
    if (FPick.Path == TScreenPickPath::None)
        throw EPlatformError(UnavailableText(FPick.Reason));
    const QSize screen = FPlatform.PrimaryScreenPixels();
    seMatrixSize->setMaximum(std::max({screen.width(), screen.height(), seMatrixSize->maximum()}));
    FCapturing = true;
    FCursorFailureReported = false;
    if (FPick.Path == TScreenPickPath::X11Copy)
        Timer1->SetEnabled(true);
    SetCaptureCaption(N_("Stop (Es&c)").data());
    if (OnCaptureStart)
        OnCaptureStart(*this);
    if (FPick.Path != TScreenPickPath::Portal || !FCapturing)
        return; // a stop in the callback ended it already
    FAskingPortal = true;
    try {
        FPlatform.StartScreenPick(
            [this](TScreenPickOutcome outcome, TColor colour, const std::string& reason) {
                Guarded(FPlatform, [&] { PortalAnswered(outcome, colour, reason); });
            });
    } catch (...) {
        FAskingPortal = false;
        EndCapture(false);
        throw;
    }
}

void TfraColorPicker::PortalAnswered(TScreenPickOutcome outcome, TColor colour, const std::string& reason) {
    FAskingPortal = false;
    if (!FCapturing)
        return;
    switch (outcome) {
    case TScreenPickOutcome::Picked:
        // A capture of one pixel, so the preview, the marker and the stop treat it as any other.
        if (FCaptureBitmap.size() != QSize(1, 1) || FCaptureBitmap.format() != QImage::Format_RGB32)
            FCaptureBitmap = QImage(1, 1, QImage::Format_RGB32);
        FCaptureBitmap.setPixel(0, 0, qRgb(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
        ShowPreview();
        EndCapture(true);
        return;
    case TScreenPickOutcome::Cancelled: EndCapture(false); return;
    case TScreenPickOutcome::Failed: EndCapture(false); throw EPlatformError(UnavailableText(reason));
    }
}

void TfraColorPicker::StopCapture() {
    if (FAskingPortal) {
        FAskingPortal = false;
        FPlatform.CancelScreenPick();
        EndCapture(false);
        return;
    }
    EndCapture(true);
}

void TfraColorPicker::EndCapture(bool pick) {
    FCapturing = false;
    Timer1->SetEnabled(false);
    SetCaptureCaption(N_("&Capture").data());
    Panels[0]->clear();
    Panels[1]->clear();
    // Before any capture there is no centre to read: the user's colour stays as it is.
    if (pick && !FCaptureBitmap.isNull())
        SetPickedColor(CenterPixel(FCaptureBitmap));
    if (OnCaptureStop)
        OnCaptureStop(*this);
}

void TfraColorPicker::pbCaptureClick() {
    Timer1->SetEnabled(false);
    FPlatform.SetFocus(*pbCapture);
    if (FCapturing)
        StopCapture();
    else
        StartCapture();
    FPlatform.SetFocus(*seMatrixSize);
}

void TfraColorPicker::actStopExecute() { StopCapture(); }

void TfraColorPicker::Image1MouseMove(QPoint position) {
    if (!FFollowMouse)
        return;
    const QImage rendered = FPlatform.RenderWidget(*this);
    const QPoint logical = pnlCapture->pos() + Image1->pos() + position;
    const qreal ratio = rendered.devicePixelRatio();
    const QPoint device(static_cast<int>(logical.x() * ratio), static_cast<int>(logical.y() * ratio));
    if (rendered.rect().contains(device))
        SetPickedColor(FromQRgb(rendered.pixel(device)));
}

void TfraColorPicker::Image1MouseUp(Qt::MouseButton button) {
    if (button == Qt::LeftButton)
        FFollowMouse = !FFollowMouse;
}

void TfraColorPicker::cbShowMarkerClick() { ShowPreview(); }

} // namespace tintwell
