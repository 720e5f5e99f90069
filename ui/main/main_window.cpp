#include "ui/main/main_window.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFont>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QShowEvent>
#include <QTimer>
#include <QUrl>
#include <cmath>

#include "colour/colour.h"
#include "colour/readouts.h"
#include "core/conversions.h"
#include "core/file_name.h"
#include "core/format_settings.h"
#include "core/resource_text.h"
#include "core/version.h"
#include "imaging/analysis.h"
#include "imaging/bitmap.h"
#include "imaging/picture.h"
#include "imaging/registry.h"
#include "ui/common/design_font.h"
#include "ui/common/error_box.h"
#include "ui/main/picture_preview.h"

namespace tintwell {
namespace {

constexpr QSize kClientSize{511, 652};
// The frame's outer size, which the centring uses, as the window manager's frame is unknown
// until the window is shown.
constexpr QSize kOuterSize{519, 686};
constexpr int kStatusBarHeight = 24;

template <typename T> T* Make(QWidget* parent, const char* name) {
    auto* widget = new T(parent);
    widget->setObjectName(name);
    return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* label = Make<QLabel>(parent, name);
    label->setText(text);
    label->adjustSize();
    label->move(left, top);
    return label;
}

TEdit* MakeField(QWidget* parent, const char* name, int left, int top, bool readOnly,
                 const QString& accessibleName) {
    auto* field = Make<TEdit>(parent, name);
    field->setGeometry(left, top, 60, 21);
    field->setReadOnly(readOnly);
    field->setAccessibleName(accessibleName);
    return field;
}

TShape* MakeSwatch(QWidget* parent, const char* name, QRect geometry, const QString& hint,
                   const QString& accessibleName) {
    auto* swatch = Make<TShape>(parent, name);
    swatch->setGeometry(geometry);
    swatch->setToolTip(hint);
    swatch->setAccessibleName(accessibleName);
    return swatch;
}

// A 13 x 13 picture of a pipette, drawn rather than shipped so it follows the palette.
QIcon PickerGlyph(const QPalette& palette) {
    QPixmap pixmap(13, 13);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink = palette.color(QPalette::ButtonText);
    painter.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(2.0, 11.0), QPointF(8.0, 5.0));
    painter.setBrush(ink);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(9.8, 3.2), 2.4, 2.4);
    painter.setPen(QPen(ink, 1.4));
    painter.drawLine(QPointF(6.5, 4.0), QPointF(9.0, 6.5));
    painter.end();
    return QIcon(pixmap);
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

// Red, green, blue, then HTML: the order the fields are written in, so that a handler running on
// one of them sees the others already current.
void WriteReadout(const TColorReadout& readout, TEdit& r, TEdit& g, TEdit& b, TEdit& html) {
    r.setText(Text(readout.R));
    g.setText(Text(readout.G));
    b.setText(Text(readout.B));
    html.setText(Text(readout.HTML));
}

void SetLabelText(QLabel& label, const std::string& text) {
    label.setText(Text(text));
    label.adjustSize();
}

// One Open Image at a time: repainting while an image loads lets pending events run, a second
// click or drop among them, which then does nothing. The flag is cleared on every way out.
class TOpening {
public:
    explicit TOpening(bool& flag) : FFlag(flag), FFirst(!flag) { flag = true; }
    ~TOpening() {
        if (FFirst)
            FFlag = false;
    }
    TOpening(const TOpening&) = delete;
    TOpening& operator=(const TOpening&) = delete;
    bool First() const noexcept { return FFirst; }

private:
    bool& FFlag;
    bool FFirst;
};

// The hourglass of one Open Image, restored on every way out, before any error box shows.
class TBusyCursor {
public:
    explicit TBusyCursor(TPlatformServices& platform) : FPlatform(platform) { FPlatform.SetBusyCursor(true); }
    ~TBusyCursor() { FPlatform.SetBusyCursor(false); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
    TPlatformServices& FPlatform;
};

} // namespace

TfrmTintwell::TfrmTintwell(TPlatformServices& platform, QWidget* parent)
    : QWidget(parent), FPlatform(platform) {
    setObjectName("frmTintwell");
    std::string caption(kApplicationTitle);
    caption.append(" ").append(ProgramVersion());
    setWindowTitle(Text(caption));
    setFont(DesignFont());
    resize(kClientSize);
    CreateComponents();
    ConnectHandlers();
    FormCreate();
}

TfrmTintwell::~TfrmTintwell() = default;

void TfrmTintwell::CreateComponents() {
    // Made in the designed order, which is also the order the siblings stack in and Qt's first
    // focus chain: moving a call changes what covers what.
    CreatePreview();
    CreateCommandRow();
    CreateAverageSwatches();
    CreateReadoutGrid();
    CreatePalette();
    CreateStatusBar();
    CreatePasteAction();

    // The designed keyboard order; labels, swatches and the flat picker button take no focus.
    QWidget* const order[] = {Button1, dfR,     dfG,  dfB,  dfHTML, dfRi,    dfGi,
                              dfBi,    dfHTMLi, dfRc, dfGc, dfBc,   dfHTMLc, cmbCorrection};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

void TfrmTintwell::CreatePreview() {
    Panel1 = Make<QFrame>(this, "Panel1");
    Panel1->setGeometry(16, 15, 480, 320);
    // A lowered outer and a raised inner bevel: two pixels, inside which Image1 sits at (2, 2).
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Panel1->setLineWidth(1);
    Panel1->setMidLineWidth(0);
    Image1 = Make<TImage>(Panel1, "Image1");
    Image1->setGeometry(2, 2, 476, 316);
    Image1->setAccessibleName("Image preview");
}

void TfrmTintwell::CreateCommandRow() {
    pbColorPicker = Make<QToolButton>(this, "pbColorPicker");
    pbColorPicker->setGeometry(0, 0, 17, 17);
    pbColorPicker->setAutoRaise(true);
    pbColorPicker->setFocusPolicy(Qt::NoFocus);
    pbColorPicker->setIcon(PickerGlyph(palette()));
    pbColorPicker->setIconSize(QSize(13, 13));
    pbColorPicker->setToolTip("pick a color from screen...");
    pbColorPicker->setAccessibleName("Pick a color from screen");

    Button1 = Make<QPushButton>(this, "Button1");
    Button1->setGeometry(16, 338, 75, 25);
    Button1->setText("&Open Image");
    Button1->setAccessibleName("Open Image");

    Label9 = MakeLabel(this, "Label9", "Gray correction", 104, 344);
    {
        // At the design font the caption ends exactly where the selector begins (75 pixels between
        // them); a hair of tracking keeps a visible gap without moving either.
        QFont tight = Label9->font();
        tight.setLetterSpacing(QFont::AbsoluteSpacing, -0.2);
        Label9->setFont(tight);
        Label9->adjustSize();
    }
    cmbCorrection = Make<QComboBox>(this, "cmbCorrection");
    cmbCorrection->setGeometry(179, 340, 89, 21);
    cmbCorrection->addItems({"Maximized", "Average", "Partial"});
    cmbCorrection->setCurrentIndex(0);
    cmbCorrection->setAccessibleName("Gray correction");
    Label9->setBuddy(cmbCorrection);
}

void TfrmTintwell::CreateAverageSwatches() {
    Label6 = MakeLabel(this, "Label6", "original average", 288, 341);
    shpAvg = MakeSwatch(this, "shpAvg", {288, 359, 100, 100}, "original color...", "original average");
    Label7 = MakeLabel(this, "Label7", "inverse", 392, 341);
    shpAvgInv = MakeSwatch(this, "shpAvgInv", {392, 359, 60, 60}, "inversed color...", "inverse");
    shpAvgInvCorrected = MakeSwatch(this, "shpAvgInvCorrected", {432, 399, 60, 60},
                                    "inversed color with gray correction...", "corrected");
    shpAvgInvCorrected->raise();
    for (TShape* swatch : {shpAvgInv, shpAvgInvCorrected})
        swatch->setCursor(Qt::PointingHandCursor);
}

void TfrmTintwell::CreateReadoutGrid() {
    Label4 = MakeLabel(this, "Label4", "original", 53, 378);
    Label5 = MakeLabel(this, "Label5", "inverse", 127, 378);
    Label8 = MakeLabel(this, "Label8", "corrected", 195, 378);
    Label1 = MakeLabel(this, "Label1", "Red", 16, 396);
    Label2 = MakeLabel(this, "Label2", "Green", 16, 420);
    Label3 = MakeLabel(this, "Label3", "Blue", 16, 444);
    HTML = MakeLabel(this, "HTML", "HTML", 16, 476);

    // The three readouts side by side, each a column of red, green, blue and HTML under its
    // caption; only the original colour's column takes typing.
    struct TFieldRow {
        TEdit* TfrmTintwell::*Field;
        const char* Name;
        int Left;
        int Top;
        bool ReadOnly;
        const char* AccessibleName;
    };
    static constexpr TFieldRow kFields[] = {
        {&TfrmTintwell::dfR, "dfR", 53, 392, false, "Red original"},
        {&TfrmTintwell::dfG, "dfG", 53, 416, false, "Green original"},
        {&TfrmTintwell::dfB, "dfB", 53, 440, false, "Blue original"},
        {&TfrmTintwell::dfHTML, "dfHTML", 53, 472, false, "HTML original"},
        {&TfrmTintwell::dfRi, "dfRi", 127, 392, true, "Red inverse"},
        {&TfrmTintwell::dfGi, "dfGi", 127, 416, true, "Green inverse"},
        {&TfrmTintwell::dfBi, "dfBi", 127, 440, true, "Blue inverse"},
        {&TfrmTintwell::dfHTMLi, "dfHTMLi", 127, 472, true, "HTML inverse"},
        {&TfrmTintwell::dfRc, "dfRc", 195, 392, true, "Red corrected"},
        {&TfrmTintwell::dfGc, "dfGc", 195, 416, true, "Green corrected"},
        {&TfrmTintwell::dfBc, "dfBc", 195, 440, true, "Blue corrected"},
        {&TfrmTintwell::dfHTMLc, "dfHTMLc", 195, 472, true, "HTML corrected"},
    };
    for (const TFieldRow& row : kFields)
        this->*row.Field = MakeField(this, row.Name, row.Left, row.Top, row.ReadOnly, row.AccessibleName);
}

void TfrmTintwell::CreatePalette() {
    gbPallette = Make<QGroupBox>(this, "gbPallette");
    gbPallette->setGeometry(16, 506, 481, 118);
    gbPallette->setTitle(" Palette ");
    gbPallette->setAccessibleName("Palette");
    static constexpr int kLefts[5] = {8, 106, 204, 302, 400};
    static constexpr const char* kSwatchNames[5] = {"shpScheme1", "shpScheme2", "shpScheme3", "shpScheme4",
                                                    "shpScheme5"};
    static constexpr const char* kHTMLNames[5] = {"lblHTML1", "lblHTML2", "lblHTML3", "lblHTML4", "lblHTML5"};
    static constexpr const char* kRGBNames[5] = {"lblRGB1", "lblRGB2", "lblRGB3", "lblRGB4", "lblRGB5"};
    TShape** swatches[5] = {&shpScheme1, &shpScheme2, &shpScheme3, &shpScheme4, &shpScheme5};
    QLabel** htmlLabels[5] = {&lblHTML1, &lblHTML2, &lblHTML3, &lblHTML4, &lblHTML5};
    QLabel** rgbLabels[5] = {&lblRGB1, &lblRGB2, &lblRGB3, &lblRGB4, &lblRGB5};
    for (int i = 0; i < 5; ++i) {
        const QString number = QString::number(i + 1);
        *swatches[i] =
            MakeSwatch(gbPallette, kSwatchNames[i], {kLefts[i], 21, 60, 60}, QString(), "Palette " + number);
        (*swatches[i])->setCursor(Qt::PointingHandCursor);
        *htmlLabels[i] = MakeLabel(gbPallette, kHTMLNames[i], number, kLefts[i], 84);
        *rgbLabels[i] = MakeLabel(gbPallette, kRGBNames[i], number, kLefts[i], 100);
    }
}

void TfrmTintwell::CreateStatusBar() {
    pnlStatusBar = Make<THtmlStatusBar>(this, "pnlStatusBar");
    pnlStatusBar->setGeometry(0, height() - kStatusBarHeight, width(), kStatusBarHeight);
    const QString address =
        QString::fromUtf8(kVendorWebAddress.data(), static_cast<qsizetype>(kVendorWebAddress.size()));
    pnlStatusBar->SetHtml("<p align=\"center\"><a href=\"" + address.toHtmlEscaped() + "\">" +
                          address.toHtmlEscaped() + "</a></p>");
    pnlStatusBar->setAccessibleName("Web site " + address);
}

void TfrmTintwell::CreatePasteAction() {
    // Pictures come in by a drop on the window or by Ctrl+V anywhere in it; a code field that has the
    // keyboard takes its own Ctrl+V first.
    setAcceptDrops(true);
    actPaste = new QAction(this);
    actPaste->setObjectName("actPaste");
    actPaste->setShortcut(QKeySequence::Paste);
    actPaste->setShortcutContext(Qt::WindowShortcut);
    addAction(actPaste);
}
void TfrmTintwell::ConnectHandlers() {
    QObject::connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    QObject::connect(actPaste, &QAction::triggered, this,
                     [this] { Guarded(FPlatform, [this] { actPasteExecute(); }); });
    QObject::connect(cmbCorrection, &QComboBox::activated, this, [this] { cmbCorrectionChange(); });
    QObject::connect(pbColorPicker, &QToolButton::clicked, this, [this] { pbColorPickerClick(); });
    dfR->OnExit = [this] { dfRExit(); };
    dfG->OnExit = [this] { dfGExit(); };
    dfB->OnExit = [this] { dfBExit(); };
    dfHTML->OnExit = [this] { dfHTMLExit(); };
    for (TShape* swatch :
         {shpAvgInv, shpAvgInvCorrected, shpScheme1, shpScheme2, shpScheme3, shpScheme4, shpScheme5})
        swatch->OnMouseUp = [this, swatch](Qt::MouseButton button) { SwatchMouseUp(*swatch, button); };
    pnlStatusBar->OnLinkClick = [this](const std::string& target) { pnlStatusBarLinkClick(target); };
    // Copying a colour: from any swatch, and from a code field for the colour of its column.
    for (TShape* swatch :
         {shpAvg, shpAvgInv, shpAvgInvCorrected, shpScheme1, shpScheme2, shpScheme3, shpScheme4, shpScheme5})
        swatch->OnContextMenu = [this, swatch](QPoint at) {
            QMenu menu(this);
            AddCopyActions(menu, swatch->BrushColor());
            menu.exec(at);
        };
    const std::pair<TShape*, std::array<TEdit*, 4>> kColumns[] = {
        {shpAvg, {dfR, dfG, dfB, dfHTML}},
        {shpAvgInv, {dfRi, dfGi, dfBi, dfHTMLi}},
        {shpAvgInvCorrected, {dfRc, dfGc, dfBc, dfHTMLc}}};
    for (const auto& [swatch, fields] : kColumns)
        for (TEdit* field : fields)
            field->OnExtendMenu = [this, swatch](QMenu& menu) {
                menu.addSeparator();
                AddCopyActions(menu, swatch->BrushColor());
            };
    Image1->OnMouseUp = [this](Qt::MouseButton button) { Image1MouseUp(button); };
}

void TfrmTintwell::FormCreate() {
    FCurrentColor = RGB(128, 128, 128);
    // Centred on the primary screen at every start; no placement is kept between runs.
    const QSize screen = FPlatform.PrimaryScreenSize();
    if (screen.isValid())
        move((screen.width() - kOuterSize.width()) / 2, (screen.height() - kOuterSize.height()) / 2);
}

void TfrmTintwell::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        Guarded(FPlatform, [this] { FormShow(); });
}

void TfrmTintwell::FormShow() {
    // Registered at every show, before the colour is shown; a later registration replaces this one.
    if (FPicker != nullptr) {
        FPicker->SetOnColorChange([this] { PickerColorChanged(); });
        FPicker->SetOnCaptureStart([this] { PickerStarted(); });
        FPicker->SetOnCaptureStop([this] { PickerStopped(); });
    }
    ShowColor(FCurrentColor);
}

void TfrmTintwell::PickerColorChanged() { ShowColor(FPicker->GetColor()); }

// The main window reacts to colours only.
void TfrmTintwell::PickerStarted() {}
void TfrmTintwell::PickerStopped() {}

void TfrmTintwell::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    pnlStatusBar->setGeometry(0, height() - kStatusBarHeight, width(), kStatusBarHeight);
}

void TfrmTintwell::ShowColor(TColor color) {
    FCurrentColor = color;
    const TColorReadouts readouts =
        ComputeReadouts(color, GrayCorrectionModeFromIndex(cmbCorrection->currentIndex()));
    WriteReadout(readouts.Current, *dfR, *dfG, *dfB, *dfHTML);
    WriteReadout(readouts.Inverse, *dfRi, *dfGi, *dfBi, *dfHTMLi);
    WriteReadout(readouts.Corrected, *dfRc, *dfGc, *dfBc, *dfHTMLc);
    shpAvg->SetBrushColor(readouts.Current.Color, Text(readouts.Current.HTML));
    shpAvgInv->SetBrushColor(readouts.Inverse.Color, Text(readouts.Inverse.HTML));
    shpAvgInvCorrected->SetBrushColor(readouts.Corrected.Color, Text(readouts.Corrected.HTML));
    TShape* const swatches[5] = {shpScheme1, shpScheme2, shpScheme3, shpScheme4, shpScheme5};
    for (std::size_t i = 0; i < 5; ++i)
        swatches[i]->SetBrushColor(readouts.Palette[i].Color, Text(readouts.Palette[i].HTML));
    // The cells' label texts are those of the swatch fills just written.
    QLabel* const htmlLabels[5] = {lblHTML1, lblHTML2, lblHTML3, lblHTML4, lblHTML5};
    for (std::size_t i = 0; i < 5; ++i)
        SetLabelText(*htmlLabels[i], readouts.Palette[i].HTML);
    QLabel* const rgbLabels[5] = {lblRGB1, lblRGB2, lblRGB3, lblRGB4, lblRGB5};
    for (std::size_t i = 0; i < 5; ++i)
        SetLabelText(*rgbLabels[i], readouts.Palette[i].RGB);
}

void TfrmTintwell::Button1Click() {
    const TOpening opening(FOpeningImage);
    if (!opening.First())
        return;
    Guarded(FPlatform, [this] {
        const QSize screen = FPlatform.PrimaryScreenSize();
        const QSize previewLimit(std::max(1, screen.width() * 3 / 4), std::max(1, screen.height() * 3 / 4));
        const std::optional<std::string> fileName = FPlatform.OpenPictureDialog(
            this, GraphicFormats().BuildGraphicFilter(),
            [previewLimit](const std::string& name) { return LoadFilePreview(name, previewLimit); });
        if (fileName)
            LoadImage(*fileName);
    });
}

void TfrmTintwell::AddCopyActions(QMenu& menu, TColor colour) {
    const TColor rgb = ColorToRGB(colour);
    const std::string html = ColorToHTML(rgb);
    const std::string decimal = std::to_string(GetRValue(rgb)) + "," + std::to_string(GetGValue(rgb)) + "," +
                                std::to_string(GetBValue(rgb));
    for (const std::string& text : {html, decimal}) {
        QAction* copy = menu.addAction(QString::fromStdString(FormatText(ResString(N_("Copy %s")), {text})));
        QObject::connect(copy, &QAction::triggered, this,
                         [this, text] { Guarded(FPlatform, [&] { FPlatform.SetClipboardText(text); }); });
    }
}

void TfrmTintwell::ShowImage(const QImage& image) {
    const TOpening opening(FOpeningImage);
    if (!opening.First())
        return;
    Guarded(FPlatform, [&] {
        auto bitmap = std::make_unique<TBitmap>(image);
        FCurrentColor = PictureAverageColor(*bitmap);
        Image1->SetGraphic(std::move(bitmap));
        ShowColor(FCurrentColor);
    });
}

std::optional<std::string> TfrmTintwell::PictureFileOf(const QMimeData& data) {
    QList<QUrl> urls = data.urls();
    if (urls.isEmpty() && data.hasText()) {
        // A name copied as text: a file URL, or an absolute path.
        const QString text = data.text().trimmed();
        if (text.startsWith(QLatin1String("file:")))
            urls.push_back(QUrl(text));
        else if (text.startsWith(QLatin1Char('/')) && !text.contains(QLatin1Char('\n')))
            urls.push_back(QUrl::fromLocalFile(text));
    }
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return std::nullopt;
    const std::string file = urls.front().toLocalFile().toStdString();
    const std::string extension = ExtractFileExt(file);
    if (extension.empty() || GraphicFormats().FindGraphicClass(extension) == nullptr)
        return std::nullopt;
    return file;
}

namespace {

// A drop is taken as a copy whatever the source proposes: a move taken would let a file manager
// delete the file. Refused, the drag's cursor says so and the drop never comes.
bool TakeAsCopy(QDropEvent& event) {
    if (event.mimeData() == nullptr || !(event.possibleActions() & Qt::CopyAction) ||
        !TfrmTintwell::PictureFileOf(*event.mimeData())) {
        event.ignore();
        return false;
    }
    event.setDropAction(Qt::CopyAction);
    event.accept();
    return true;
}

} // namespace

void TfrmTintwell::dragEnterEvent(QDragEnterEvent* event) { TakeAsCopy(*event); }

void TfrmTintwell::dragMoveEvent(QDragMoveEvent* event) { TakeAsCopy(*event); }

void TfrmTintwell::dropEvent(QDropEvent* event) {
    if (!TakeAsCopy(*event))
        return;
    const std::optional<std::string> file = PictureFileOf(*event->mimeData());
    // After the drop has finished: the source waits for it, and loading may take a while or end in
    // the error box.
    if (file)
        QTimer::singleShot(0, this, [this, file = *file] { OpenImage(file); });
}

void TfrmTintwell::actPasteExecute() {
    const QMimeData* clipboard = FPlatform.ClipboardData();
    if (clipboard != nullptr && clipboard->hasImage()) {
        const QImage image = qvariant_cast<QImage>(clipboard->imageData());
        // An image the clipboard could not hand over (empty, or in a form Qt does not read).
        if (image.isNull())
            FPlatform.Beep();
        else
            ShowImage(image);
        return;
    }
    if (clipboard != nullptr)
        if (const std::optional<std::string> file = PictureFileOf(*clipboard)) {
            OpenImage(*file);
            return;
        }
    FPlatform.Beep();
}

void TfrmTintwell::OpenImage(const std::string& fileName) {
    const TOpening opening(FOpeningImage);
    if (!opening.First())
        return;
    Guarded(FPlatform, [&] { LoadImage(fileName); });
}

void TfrmTintwell::LoadImage(const std::string& fileName) {
    FPlatform.RepaintNow(*this);
    TPicture picture;
    TBusyCursor busy(FPlatform);
    picture.LoadFromFile(fileName);
    Image1->SetGraphic(picture.Graphic()->Clone());
    FCurrentColor = PictureAverageColor(*picture.Graphic());
    ShowColor(FCurrentColor);
}

void TfrmTintwell::dfRExit() {
    Guarded(FPlatform, [this] { ChannelExit(*dfR, 0); });
}
void TfrmTintwell::dfGExit() {
    Guarded(FPlatform, [this] { ChannelExit(*dfG, 1); });
}
void TfrmTintwell::dfBExit() {
    Guarded(FPlatform, [this] { ChannelExit(*dfB, 2); });
}

void TfrmTintwell::ChannelExit(TEdit& field, int channel) {
    const std::string text = field.text().toStdString();
    bool accepted = !text.empty() && text.size() <= 3 && IsNumber(text, false);
    // The conversions raise for texts the character test lets through but that are no number
    // ("--1", "1.0", "5 "); that error reaches the error box and the text stays for correction.
    if (accepted) {
        const long double value = StrToFloat(text);
        accepted = value == std::truncl(value);
    }
    if (accepted) {
        const std::int32_t value = StrToInt(text);
        accepted = value >= 0 && value <= 255;
    }
    if (!accepted) {
        FPlatform.Beep();
        const int levels[3] = {GetRValue(FCurrentColor), GetGValue(FCurrentColor), GetBValue(FCurrentColor)};
        field.setText(QString::fromStdString(IntToStr(levels[channel])));
        return;
    }
    const std::int32_t r = StrToInt(dfR->text().toStdString());
    const std::int32_t g = StrToInt(dfG->text().toStdString());
    const std::int32_t b = StrToInt(dfB->text().toStdString());
    ShowColor(RGB(r, g, b));
}

void TfrmTintwell::dfHTMLExit() {
    Guarded(FPlatform, [this] {
        QString text = dfHTML->text();
        if (text.size() == 6 && !text.startsWith(u'#')) {
            text.prepend(u'#');
            dfHTML->setText(text);
        }
        ShowColor(HTMLToColor(text.toStdString()));
    });
}

void TfrmTintwell::cmbCorrectionChange() {
    Guarded(FPlatform, [this] { ShowColor(FCurrentColor); });
}

void TfrmTintwell::SwatchMouseUp(const TShape& swatch, Qt::MouseButton button) {
    if (button != Qt::LeftButton)
        return;
    Guarded(FPlatform, [this, &swatch] { ShowColor(swatch.BrushColor()); });
}

void TfrmTintwell::pbColorPickerClick() {
    Guarded(FPlatform, [this] {
        if (FPicker != nullptr)
            FPicker->ShowPicker();
    });
}

// A left click on the preview while the picker captures picks the pixel under it: the last tick
// copied the square around the pointer, which was there.
void TfrmTintwell::Image1MouseUp(Qt::MouseButton button) {
    Guarded(FPlatform, [this, button] {
        if (button == Qt::LeftButton && FPicker != nullptr && FPicker->IsCapturing())
            FPicker->StopCapture();
    });
}

void TfrmTintwell::pnlStatusBarLinkClick(const std::string& target) {
    Guarded(FPlatform, [this, &target] { FPlatform.ShellOpen(target); });
}

} // namespace tintwell
