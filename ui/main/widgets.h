#pragma once

#include <QFrame>
#include <QImage>
#include <QLineEdit>
#include <QTextDocument>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "core/tcolor.h"

namespace tintwell {

class TGraphic;

// A swatch: a plain rectangle filled with one colour inside a one-pixel black outline. Reports a
// mouse button released over it; its accessible description is the colour's HTML code, so a
// screen reader can tell the colours apart.
class TShape : public QWidget {
public:
    explicit TShape(QWidget* parent = nullptr);

    TColor BrushColor() const noexcept { return FBrushColor; }
    void SetBrushColor(TColor color);

    // Called with the button when one is released while the pointer is still over the swatch.
    std::function<void(Qt::MouseButton)> OnMouseUp;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TColor FBrushColor = 0xFFFFFF;
};

// An edit field whose OnExit runs every time the keyboard focus leaves it, changed or not (Qt's
// editingFinished skips unchanged fields). Losing the focus to another window or to a popup (an
// error box, a context menu) is not an exit: the focus has not moved inside this window, and the
// rule would otherwise run again behind the box it just opened.
class TEdit : public QLineEdit {
public:
    explicit TEdit(QWidget* parent = nullptr);

    std::function<void()> OnExit;

protected:
    void focusOutEvent(QFocusEvent* event) override;
};

// A bevelled strip that renders one line of HTML, vertically centred, with links in blue. A mouse
// press on a link whose target contains "://" or "mailto:" goes to OnLinkClick; other targets
// (relative names, script-like schemes) are ignored.
class THtmlStatusBar : public QFrame {
public:
    explicit THtmlStatusBar(QWidget* parent = nullptr);

    void SetHtml(const QString& html);
    QString Html() const { return FHtml; }
    // The link target under a point of the widget, or an empty text.
    QString AnchorAt(const QPoint& position) const;

    std::function<void(const std::string& target)> OnLinkClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QPointF DocumentOrigin() const;

    QString FHtml;
    QTextDocument FDocument;
};

// Whether a link target is handed to the desktop: it names a scheme ("://") or a mail address.
bool IsOpenableLinkTarget(std::string_view target) noexcept;

// The image preview. It keeps its own copy of a picture and draws it centred: a picture larger
// than the widget scaled down with its aspect ratio kept, a smaller one at its own size. The
// scaled copy is made once when the picture or the widget's size changes, never while painting,
// so a large picture costs nothing on a repaint.
class TImage : public QWidget {
public:
    explicit TImage(QWidget* parent = nullptr);
    ~TImage() override;

    // Takes the picture, then makes it ready to draw (a JPEG decodes here). The picture is kept
    // even when that raises; it then shows nothing until the next one.
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    const TGraphic* Graphic() const noexcept { return FGraphic.get(); }

    // What paint draws, and where.
    const QImage& ScaledPicture() const noexcept { return FScaled; }
    QRect PictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Rescale() noexcept;

    std::unique_ptr<TGraphic> FGraphic;
    bool FPrepared = false;
    QImage FScaled;
};

} // namespace tintwell
