#pragma once

#include <QWidget>
#include <functional>

#include "core/tcolor.h"

namespace tintwell {

// A swatch: a plain rectangle filled with one colour inside a one-pixel black outline. Reports a
// mouse button released over it; its accessible description is the colour's HTML code, so a
// screen reader can tell the colours apart.
class TShape : public QWidget {
public:
    explicit TShape(QWidget* parent = nullptr);

    TColor BrushColor() const noexcept { return FBrushColor; }
    // The fill and the HTML code it shows as its description; the caller usually has the code
    // already. A system colour is resolved when painting.
    void SetBrushColor(TColor color, const QString& html);
    void SetBrushColor(TColor color);

    // Called with the button when one is released while the pointer is still over the swatch.
    std::function<void(Qt::MouseButton)> OnMouseUp;
    // Called for the context menu (right button, menu key), with where it opens on the screen.
    std::function<void(QPoint globalPosition)> OnContextMenu;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    TColor FBrushColor = 0xFFFFFF;
};

} // namespace tintwell
