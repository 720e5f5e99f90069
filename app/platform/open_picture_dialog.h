#pragma once

#include <QDialog>
#include <QFileDialog>
#include <QFrame>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/platform/platform_services.h"

class QFileSystemModel;
class QLabel;
class QScreen;
class QToolButton;

namespace tintwell {

// The size a picture is shown at inside an area: its own size when it fits, otherwise scaled
// down proportionally until it does (never below one pixel a side). Empty for an empty picture
// or area.
QSize FitPictureSize(QSize picture, QSize area);

// The preview window's client size for a picture of its original size on a screen: the picture
// with a 5-pixel border and 5 pixels more on each side (20 in all per direction), but at most
// three quarters of the screen's width and height.
QSize PreviewClientSize(QSize picture, QSize screen);

// A picture drawn centred in its contents area at FitPictureSize, or a centred text when there
// is none. The scaled copy is made when the picture or the area changes, never while painting.
class TPictureView : public QFrame {
public:
    explicit TPictureView(QWidget* parent = nullptr);

    void SetPicture(const QImage& picture);
    void SetEmptyText(const QString& text);
    void Clear();

    bool HasPicture() const { return !FPicture.isNull(); }
    // What is drawn when there is no picture ("" while one is shown).
    QString ShownText() const { return HasPicture() ? QString() : FEmptyText; }
    // The size the picture is drawn at (empty when there is none).
    QSize ShownPictureSize() const { return FScaled.size(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Rescale();

    QImage FPicture;
    QPixmap FScaled;
    QString FEmptyText;
};

// The modal "Preview" tool window of the open dialog: the picture centred inside a 5-pixel
// border, sized by PreviewClientSize for its original size and centred on the given screen.
// Esc closes it; resizing rescales the picture.
class TPicturePreviewWindow : public QDialog {
public:
    TPicturePreviewWindow(QWidget* parent, const QImage& picture, QSize originalSize, const QScreen* screen);

    QSize ShownPictureSize() const { return FView->ShownPictureSize(); }

private:
    TPictureView* FView;
};

// The non-native file-open dialog with a picture pane beside the file list. Each filter row shows
// its Text unchanged and lists the files its Masks (";"-separated, case ignored) match, folders
// always; the first row is selected. When the current file changes, the pane asks the provider
// for the picture; a provider that throws counts as one that gave nothing. Qt's own name
// filtering reads masks from the parentheses split on blanks, so the dialog keeps it switched off
// and filters through its proxy model instead: select rows with SelectFilterRow (or the user's
// choice in the file type box), never QFileDialog::selectNameFilter.
class TOpenPictureDialog : public QFileDialog {
public:
    TOpenPictureDialog(QWidget* parent, std::vector<TFileFilterRow> filter, TFilePreviewProvider preview);

    void SelectFilterRow(std::size_t row);
    // The selected filter row, or nothing when there are no rows.
    std::optional<std::size_t> FilterRow() const { return FRow; }

    // What the pane shows for a file: the handler of currentChanged, public so that callers
    // and tests can show a file without a selection.
    void ShowPictureOf(const QString& path);

    QString PictureCaption() const;
    bool HasPicture() const { return FPictureView->HasPicture(); }
    QString PaneText() const { return FPictureView->ShownText(); }
    QSize ShownPictureSize() const { return FPictureView->ShownPictureSize(); }
    const QToolButton& PreviewButton() const { return *FPreviewButton; }
    QToolButton& PreviewButton() { return *FPreviewButton; }

    // The preview window for the shown picture, not yet shown; null when there is no picture.
    std::unique_ptr<TPicturePreviewWindow> CreatePreviewWindow();

    // The chosen file after an accepted exec(), as UTF-8.
    std::optional<std::string> ChosenFile() const;

private:
    class TMaskFilter;

    void ApplyFilterRow(std::size_t row);
    void ShowNoPicture();
    void ShowPreview();

    std::vector<TFileFilterRow> FRows;
    TFilePreviewProvider FProvider;
    std::optional<std::size_t> FRow;
    TMaskFilter* FMaskFilter = nullptr;
    QFileSystemModel* FFileModel = nullptr;
    QLabel* FCaption = nullptr;
    TPictureView* FPictureView = nullptr;
    QToolButton* FPreviewButton = nullptr;
    std::optional<TFilePreview> FPreview;
};

} // namespace tintwell
