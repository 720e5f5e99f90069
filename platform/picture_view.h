#pragma once

#include <QFrame>
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>

namespace tintwell {

// A picture drawn centred in the contents area at FitPictureSize, or a centred text when there is
// none. The open dialog's pane and its "Preview" window show their pictures in it, and the main
// window's preview is one. The scaled copy is made when the picture or the area changes, never
// while painting, so a repaint only copies pixels, however large the picture.
class TPictureView : public QFrame {
public:
    // Makes the picture's copy at a target size; a null image when it cannot.
    using TScaler = std::function<QImage(QSize target)>;

    explicit TPictureView(QWidget* parent = nullptr);

    // A picture that Qt's smooth scaler shrinks.
    void SetPicture(const QImage& picture);
    // A picture of the given size whose copies the scaler makes (a metafile drawn at that size,
    // a large raster reduced by area averaging).
    void SetPicture(QSize size, TScaler scaler);
    void SetEmptyText(const QString& text);
    void Clear();

    bool HasPicture() const { return static_cast<bool>(FScaler); }
    // What is drawn when there is no picture ("" while one is shown).
    QString ShownText() const { return HasPicture() ? QString() : FEmptyText; }
    // The copy that paint draws, and where it goes (empty when nothing is drawn).
    const QImage& ScaledPicture() const noexcept { return FScaled; }
    QSize ShownPictureSize() const { return FScaled.size(); }
    QRect PictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Rescale() noexcept;

    QSize FPictureSize;
    TScaler FScaler;
    QImage FScaled;
    QString FEmptyText;
};

} // namespace tintwell
