#include "ui/picker/widgets.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tintwell {
namespace {

// The picture as 32-bit pixels, shared (not copied) when it already is.
QImage AsRgb32(const QImage& picture) {
    if (picture.isNull() || picture.format() == QImage::Format_RGB32 ||
        picture.format() == QImage::Format_ARGB32)
        return picture;
    return picture.convertToFormat(QImage::Format_RGB32);
}

} // namespace

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
    // Only a margin shows the background; the rest is overwritten below, tick after tick.
    if (target != FEnlarged.rect())
        FEnlarged.fill(palette().color(QPalette::Window));
    const QImage source = AsRgb32(picture);
    const QImage patch = AsRgb32(overlay);
    const QRect overlayRect(overlayAt, patch.size());

    // The picture column of each target column is the same on every row: worked out once, not
    // divided out again per pixel.
    FColumns.resize(static_cast<std::size_t>(target.width()));
    for (int x = 0; x < target.width(); ++x)
        FColumns[static_cast<std::size_t>(x)] =
            static_cast<int>(static_cast<long long>(x) * w / target.width());
    const std::size_t rowBytes = static_cast<std::size_t>(target.width()) * sizeof(QRgb);
    int madeFrom = -1; // the picture row the previous target row was made from
    const QRgb* made = nullptr;
    for (int y = 0; y < target.height(); ++y) {
        const int sy = static_cast<int>(static_cast<long long>(y) * h / target.height());
        auto* out = reinterpret_cast<QRgb*>(FEnlarged.scanLine(target.top() + y)) + target.left();
        // A block is as many rows high as the enlargement: every row after its first is a copy.
        if (sy == madeFrom) {
            std::memcpy(out, made, rowBytes);
            continue;
        }
        const auto* row = reinterpret_cast<const QRgb*>(source.constScanLine(sy));
        const bool overlaid = !patch.isNull() && sy >= overlayRect.top() && sy <= overlayRect.bottom();
        const auto* overlayRow =
            overlaid ? reinterpret_cast<const QRgb*>(patch.constScanLine(sy - overlayAt.y())) : nullptr;
        for (int x = 0; x < target.width(); ++x) {
            const int sx = FColumns[static_cast<std::size_t>(x)];
            const QRgb pixel = overlaid && sx >= overlayRect.left() && sx <= overlayRect.right()
                                   ? overlayRow[sx - overlayAt.x()]
                                   : row[sx];
            out[x] = pixel | 0xff000000u;
        }
        madeFrom = sy;
        made = out;
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
