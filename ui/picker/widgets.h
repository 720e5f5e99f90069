#pragma once

#include <QImage>
#include <QSpinBox>
#include <QWidget>
#include <functional>
#include <vector>

namespace tintwell {

// The matrix size's spin box: the arrows and Up/Down move the value by 2, Page Up/Page Down by 10,
// always clamped to the minimum and maximum (which the program may change); typing is refused,
// while the keys and arrows still work. Qt's own spin box pages by ten single steps (21 would go
// to 41) and, when read-only, ignores the keys too.
class TMatrixSpinBox : public QSpinBox {
public:
    explicit TMatrixSpinBox(QWidget* parent = nullptr);

    void stepBy(int steps) override;

protected:
    StepEnabled stepEnabled() const override;
};

// The magnified preview: a picture enlarged without smoothing (each picture pixel a solid block),
// proportionally and centred, at the screen's device resolution; empty until a picture is set.
// It keeps only the enlargement, never the picture, whose buffer its owner reuses.
class TMagnifier : public QWidget {
public:
    explicit TMagnifier(QWidget* parent = nullptr);

    // Shows the picture with the overlay's pixels in place of the picture's where the overlay
    // (placed at overlayAt in picture pixels) covers it. An empty picture shows nothing.
    void SetPicture(const QImage& picture, const QImage& overlay = {}, QPoint overlayAt = {});
    // What the widget shows, at its device resolution.
    const QImage& Enlarged() const noexcept { return FEnlarged; }

    std::function<void(QPoint position)> OnMouseMove;
    std::function<void(Qt::MouseButton button)> OnMouseUp;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage FEnlarged;
    std::vector<int> FColumns; // the picture column of each target column, kept to spare an allocation a tick
};

} // namespace tintwell
