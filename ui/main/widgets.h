#pragma once

#include <QFrame>
#include <QLineEdit>
#include <QTextDocument>
#include <functional>
#include <memory>
#include <string>

#include "platform/picture_view.h"

class QMenu;

namespace tintwell {

class TGraphic;

// An edit field whose OnExit runs every time the keyboard focus leaves it, changed or not (Qt's
// editingFinished skips unchanged fields). Losing the focus to another window or to a popup (an
// error box, a context menu) is not an exit: the focus has not moved inside this window, and the
// rule would otherwise run again behind the box it just opened.
class TEdit : public QLineEdit {
public:
    explicit TEdit(QWidget* parent = nullptr);

    std::function<void()> OnExit;
    // Adds to the field's standard context menu (undo, cut, copy, paste...) before it opens.
    std::function<void(QMenu& menu)> OnExtendMenu;

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
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

// The image preview: a picture view that keeps its own copy of a picture. A picture larger than
// the view is reduced by area averaging (a metafile drawn at the shown size), a smaller one shown
// at its own size.
class TImage : public TPictureView {
public:
    explicit TImage(QWidget* parent = nullptr);
    ~TImage() override;

    // Takes the picture, then makes it ready to draw (a JPEG decodes here). The picture is kept
    // even when that raises; it then shows nothing until the next one.
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    const TGraphic* Graphic() const noexcept { return FGraphic.get(); }

    // Called with the button when one is released over the preview.
    std::function<void(Qt::MouseButton)> OnMouseUp;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<TGraphic> FGraphic;
};

} // namespace tintwell
