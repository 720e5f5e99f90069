#include "ui/main/widgets.h"

#include <QAbstractTextDocumentLayout>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QPainter>

#include "app/platform/open_picture_dialog.h"
#include "colour/colour.h"
#include "imaging/graphic.h"
#include "ui/main/picture_preview.h"

namespace tintwell {

// ---- TShape

TShape::TShape(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleDescription(QString::fromStdString(ColorToHTML(FBrushColor)));
}

void TShape::SetBrushColor(TColor color) {
    if (color == FBrushColor)
        return;
    FBrushColor = color;
    setAccessibleDescription(QString::fromStdString(ColorToHTML(color)));
    update();
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const TColor rgb = ColorToRGB(FBrushColor);
    painter.fillRect(rect(), Qt::black);
    painter.fillRect(rect().adjusted(1, 1, -1, -1), QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)));
}

void TShape::mouseReleaseEvent(QMouseEvent* event) {
    if (OnMouseUp && rect().contains(event->position().toPoint()))
        OnMouseUp(event->button());
}

// ---- TEdit

TEdit::TEdit(QWidget* parent) : QLineEdit(parent) {}

void TEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
        return;
    if (OnExit)
        OnExit();
}

// ---- THtmlStatusBar

bool IsOpenableLinkTarget(std::string_view target) noexcept {
    return target.find("://") != std::string_view::npos || target.find("mailto:") != std::string_view::npos;
}

THtmlStatusBar::THtmlStatusBar(QWidget* parent) : QFrame(parent) {
    // The same two-pixel bevel as the preview's panel: lowered outside, raised inside.
    setFrameStyle(QFrame::Box | QFrame::Sunken);
    setLineWidth(1);
    setMidLineWidth(0);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    FDocument.setDocumentMargin(0);
    FDocument.setDefaultStyleSheet("a { color: #0000FF; }");
}

void THtmlStatusBar::SetHtml(const QString& html) {
    FHtml = html;
    FDocument.setHtml(html);
    FDocument.setDefaultFont(font());
    FDocument.setTextWidth(contentsRect().width());
    update();
}

QPointF THtmlStatusBar::DocumentOrigin() const {
    const QRect area = contentsRect();
    return {static_cast<qreal>(area.left()), area.top() + (area.height() - FDocument.size().height()) / 2};
}

QString THtmlStatusBar::AnchorAt(const QPoint& position) const {
    return FDocument.documentLayout()->anchorAt(QPointF(position) - DocumentOrigin());
}

void THtmlStatusBar::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.translate(DocumentOrigin());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = palette();
    FDocument.documentLayout()->draw(&painter, context);
}

void THtmlStatusBar::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    FDocument.setTextWidth(contentsRect().width());
}

void THtmlStatusBar::mousePressEvent(QMouseEvent* event) {
    const std::string target = AnchorAt(event->position().toPoint()).toStdString();
    if (!target.empty() && IsOpenableLinkTarget(target) && OnLinkClick)
        OnLinkClick(target);
    QFrame::mousePressEvent(event);
}

void THtmlStatusBar::mouseMoveEvent(QMouseEvent* event) {
    if (AnchorAt(event->position().toPoint()).isEmpty())
        unsetCursor();
    else
        setCursor(Qt::PointingHandCursor);
    QFrame::mouseMoveEvent(event);
}

// ---- TImage

TImage::TImage(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::NoFocus); }

TImage::~TImage() = default;

void TImage::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    FGraphic = std::move(graphic);
    FPrepared = false;
    FScaled = QImage();
    update();
    if (FGraphic) {
        FGraphic->Prepare();
        FPrepared = true;
        Rescale();
    }
}

QRect TImage::PictureRect() const {
    const QSize size = FScaled.size();
    return {(width() - size.width()) / 2, (height() - size.height()) / 2, size.width(), size.height()};
}

void TImage::Rescale() noexcept {
    FScaled = QImage();
    update();
    if (!FGraphic || !FPrepared)
        return;
    const QSize target = FitPictureSize(QSize(FGraphic->Width(), FGraphic->Height()), size());
    if (target.isEmpty())
        return;
    try {
        FScaled = ScaleGraphic(*FGraphic, target);
    } catch (...) {
        // Out of memory for a copy of the preview's size: the preview stays empty.
        FScaled = QImage();
    }
}

void TImage::paintEvent(QPaintEvent*) {
    if (FScaled.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(PictureRect().topLeft(), FScaled);
}

void TImage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Rescale();
}

} // namespace tintwell
