#pragma once

#include <QDialog>
#include <QFileDialog>
#include <QImage>
#include <QSize>
#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/picture_view.h"
#include "platform/platform_services.h"

class QFileSystemModel;
class QLabel;
class QScreen;
class QToolButton;

namespace tintwell {

// The preview window's client size for a picture of its original size on a screen: the picture
// with a 5-pixel border and 5 pixels more on each side (20 in all per direction), but at most
// three quarters of the screen's width and height.
QSize PreviewClientSize(QSize picture, QSize screen);

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
