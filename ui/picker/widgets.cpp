#include "ui/picker/widgets.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

namespace tintwell {

TMatrixSpinBox::TMatrixSpinBox(QWidget* parent) : QSpinBox(parent) {
    setSingleStep(2);
    setKeyboardTracking(false);
    // The line edit alone refuses typing; the spin box itself stays writable so its keys step.
    lineEdit()->setReadOnly(true);
}

void TMatrixSpinBox::stepBy(int steps) {
    // Qt asks for ten single steps on Page Up and Page Down; the design pages by 10.
    const int delta = std::abs(steps) == 10 ? (steps > 0 ? 10 : -10) : steps * singleStep();
    const long long wanted = static_cast<long long>(value()) + delta;
    setValue(static_cast<int>(std::clamp<long long>(wanted, minimum(), maximum())));
}

QAbstractSpinBox::StepEnabled TMatrixSpinBox::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (value() < maximum())
        enabled |= StepUpEnabled;
    if (value() > minimum())
        enabled |= StepDownEnabled;
    return enabled;
}

TMagnifier::TMagnifier(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TMagnifier::SetPicture(const QImage& picture, const QImage& overlay, QPoint overlayAt) {
    const qreal ratio = devicePixelRatioF();
    const QSize device = (QSizeF(size()) * ratio).toSize();
    if (picture.isNull() || device.isEmpty()) {
        FEnlarged = QImage();
        update();
        return;
    }
    if (FEnlarged.size() != device || FEnlarged.format() != QImage::Format_RGB32)
        FEnlarged = QImage(device, QImage::Format_RGB32);
    FEnlarged.setDevicePixelRatio(ratio);
    FEnlarged.fill(palette().color(QPalette::Window));

    // Proportional and centred: the largest whole size of the picture's shape that fits.
    const int w = picture.width();
    const int h = picture.height();
    const bool wide =
        static_cast<long long>(w) * device.height() >= static_cast<long long>(h) * device.width();
    const int targetWidth =
        wide ? device.width() : static_cast<int>(static_cast<long long>(w) * device.height() / h);
    const int targetHeight =
        wide ? static_cast<int>(static_cast<long long>(h) * device.width() / w) : device.height();
    const QRect target((device.width() - targetWidth) / 2, (device.height() - targetHeight) / 2, targetWidth,
                       targetHeight);
    const QRect overlayRect(overlayAt, overlay.size());
    const QImage source =
        picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
            ? picture
            : picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < target.height(); ++y) {
        const int sy = static_cast<int>(static_cast<long long>(y) * h / target.height());
        const auto* row = reinterpret_cast<const QRgb*>(source.constScanLine(sy));
        auto* out = reinterpret_cast<QRgb*>(FEnlarged.scanLine(target.top() + y)) + target.left();
        for (int x = 0; x < target.width(); ++x) {
            const int sx = static_cast<int>(static_cast<long long>(x) * w / target.width());
            if (!overlay.isNull() && overlayRect.contains(sx, sy))
                out[x] = overlay.pixel(sx - overlayAt.x(), sy - overlayAt.y()) | 0xff000000u;
            else
                out[x] = row[sx] | 0xff000000u;
        }
    }
    update();
}

void TMagnifier::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (FEnlarged.isNull())
        painter.fillRect(rect(), palette().color(QPalette::Window));
    else
        painter.drawImage(QPoint(0, 0), FEnlarged);
}

void TMagnifier::mouseMoveEvent(QMouseEvent* event) {
    if (OnMouseMove)
        OnMouseMove(event->position().toPoint());
}

void TMagnifier::mouseReleaseEvent(QMouseEvent* event) {
    if (OnMouseUp)
        OnMouseUp(event->button());
}

} // namespace tintwell
