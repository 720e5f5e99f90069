#include "ui/main/widgets.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "imaging/graphic.h"
#include "ui/main/picture_preview.h"

namespace tintwell {

// ---- TEdit

TEdit::TEdit(QWidget* parent) : QLineEdit(parent) {}

void TEdit::contextMenuEvent(QContextMenuEvent* event) {
    const std::unique_ptr<QMenu> menu(createStandardContextMenu());
    if (OnExtendMenu)
        OnExtendMenu(*menu);
    menu->exec(event->globalPos());
}

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

namespace {

// Without a meta-object of its own the preview would reach screen readers as a frame's border;
// it is the picture's client area, as a plain widget was.
QAccessibleInterface* PreviewAccessible(const QString&, QObject* object) {
    if (auto* preview = dynamic_cast<TImage*>(object))
        return new QAccessibleWidget(preview, QAccessible::Client);
    return nullptr;
}

} // namespace

TImage::TImage(QWidget* parent) : TPictureView(parent) {
    static const bool factoryInstalled = (QAccessible::installFactory(PreviewAccessible), true);
    (void)factoryInstalled;
}

// The view's scaler reads the graphic, which goes first.
TImage::~TImage() { Clear(); }

void TImage::mouseReleaseEvent(QMouseEvent* event) {
    if (OnMouseUp && rect().contains(event->position().toPoint()))
        OnMouseUp(event->button());
}

void TImage::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    // The view's scaler reads the graphic: let go of it before the graphic goes.
    Clear();
    FGraphic = std::move(graphic);
    if (!FGraphic)
        return;
    FGraphic->Prepare();
    const TGraphic& shown = *FGraphic;
    SetPicture(QSize(shown.Width(), shown.Height()),
               [&shown](QSize target) { return ScaleGraphic(shown, target); });
}

} // namespace tintwell
