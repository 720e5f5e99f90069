#include "ui/common/swatch.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

#include "colour/colour.h"

namespace tintwell {

TShape::TShape(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleDescription(QString::fromStdString(ColorToHTML(FBrushColor)));
}

void TShape::SetBrushColor(TColor color, const QString& html) {
    if (color == FBrushColor)
        return;
    FBrushColor = color;
    setAccessibleDescription(html);
    update();
}

void TShape::SetBrushColor(TColor color) {
    if (color != FBrushColor)
        SetBrushColor(color, QString::fromStdString(ColorToHTML(color)));
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

void TShape::contextMenuEvent(QContextMenuEvent* event) {
    if (!OnContextMenu) {
        event->ignore();
        return;
    }
    OnContextMenu(event->globalPos());
}

} // namespace tintwell
