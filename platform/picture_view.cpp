#include "platform/picture_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include "core/geometry.h"

namespace tintwell {

TPictureView::TPictureView(QWidget* parent) : QFrame(parent) {}

void TPictureView::SetPicture(const QImage& picture) {
    if (picture.isNull()) {
        Clear();
        return;
    }
    SetPicture(picture.size(), [picture](QSize target) {
        const QImage scaled = target == picture.size()
                                  ? picture
                                  : picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        // In the format painting blends fastest, so a repaint copies rather than converts.
        return scaled.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    });
}

void TPictureView::SetPicture(QSize size, TScaler scaler) {
    FPictureSize = size;
    FScaler = std::move(scaler);
    Rescale();
}

void TPictureView::SetEmptyText(const QString& text) {
    FEmptyText = text;
    update();
}

void TPictureView::Clear() {
    FPictureSize = QSize();
    FScaler = nullptr;
    FScaled = QImage();
    update();
}

QRect TPictureView::PictureRect() const {
    const QRect area = contentsRect();
    const QSize size = FScaled.size();
    return {area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2,
            size.width(), size.height()};
}

void TPictureView::Rescale() noexcept {
    FScaled = QImage();
    update();
    if (!FScaler)
        return;
    const QSize area = contentsRect().size();
    const TSize fitted =
        FitPictureSize({FPictureSize.width(), FPictureSize.height()}, {area.width(), area.height()});
    if (fitted.IsEmpty())
        return;
    try {
        FScaled = FScaler(QSize(fitted.Width, fitted.Height));
    } catch (...) {
        // No memory for a copy of the view's size: the view stays empty.
        FScaled = QImage();
    }
}

void TPictureView::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    if (event->size() != event->oldSize())
        Rescale();
}

void TPictureView::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    if (HasPicture()) {
        if (!FScaled.isNull())
            painter.drawImage(PictureRect().topLeft(), FScaled);
    } else if (!FEmptyText.isEmpty()) {
        painter.drawText(contentsRect(), Qt::AlignCenter, FEmptyText);
    }
}

} // namespace tintwell
