#include "platform/open_picture_dialog.h"

#include <QBoxLayout>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QToolButton>
#include <algorithm>
#include <string>
#include <utility>

#include "core/resource_text.h"

namespace tintwell {
namespace {

constexpr int PreviewBorder = 5;
// The border on each side plus as much again, so that a picture at its own size has room.
constexpr int PreviewExtent = 4 * PreviewBorder;

QString ResQString(std::string_view text) { return QString::fromStdString(ResString(text)); }

} // namespace

QSize PreviewClientSize(QSize picture, QSize screen) {
    QSize client(std::max(picture.width(), 0) + PreviewExtent, std::max(picture.height(), 0) + PreviewExtent);
    // Without a screen there is nothing to keep the window inside.
    if (!screen.isEmpty())
        client = client.boundedTo(QSize(screen.width() * 3 / 4, screen.height() * 3 / 4));
    return client;
}

TPicturePreviewWindow::TPicturePreviewWindow(QWidget* parent, const QImage& picture, QSize originalSize,
                                             const QScreen* screen)
    : QDialog(parent, Qt::Tool) {
    setWindowTitle(ResQString("Preview"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(PreviewBorder, PreviewBorder, PreviewBorder, PreviewBorder);
    FView = new TPictureView(this);
    FView->setFrameShape(QFrame::NoFrame);
    FView->SetPicture(picture);
    layout->addWidget(FView);

    const QRect screenArea = screen ? screen->geometry() : QRect();
    QRect client(QPoint(0, 0), PreviewClientSize(originalSize, screenArea.size()));
    if (screen)
        client.moveCenter(screenArea.center());
    setGeometry(client);
}

// Lists folders always and files by the selected row's masks. Sorting goes to the file system
// model, so that folders stay ahead of files as in a dialog without a proxy.
class TOpenPictureDialog::TMaskFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void SetMasks(const std::string& masks) {
        FMasks.clear();
        for (const QString& mask : QString::fromStdString(masks).split(u';', Qt::SkipEmptyParts)) {
            const QString trimmed = mask.trimmed();
            if (!trimmed.isEmpty())
                FMasks.push_back(QRegularExpression::fromWildcard(trimmed, Qt::CaseInsensitive));
        }
        invalidateFilter();
    }

    void sort(int column, Qt::SortOrder order) override {
        if (sourceModel() != nullptr)
            sourceModel()->sort(column, order);
    }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files == nullptr || FMasks.empty())
            return true;
        const QModelIndex index = files->index(sourceRow, 0, sourceParent);
        if (files->isDir(index))
            return true;
        const QString name = files->fileName(index);
        return std::any_of(FMasks.begin(), FMasks.end(),
                           [&name](const QRegularExpression& mask) { return mask.match(name).hasMatch(); });
    }

private:
    std::vector<QRegularExpression> FMasks;
};

TOpenPictureDialog::TOpenPictureDialog(QWidget* parent, std::vector<TFileFilterRow> filter,
                                       TFilePreviewProvider preview)
    : QFileDialog(parent), FRows(std::move(filter)), FProvider(std::move(preview)) {
    // The pane lives in the widget dialog's layout; a native dialog has no room for it. Set
    // first, because the widgets the other settings reach are made by this one.
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);

    FMaskFilter = new TMaskFilter(this);
    setProxyModel(FMaskFilter);
    FFileModel = qobject_cast<QFileSystemModel*>(FMaskFilter->sourceModel());

    QStringList texts;
    for (const TFileFilterRow& row : FRows)
        texts << QString::fromStdString(row.Text);
    setNameFilters(texts);
    if (!FRows.empty())
        ApplyFilterRow(0);
    // Emitted after Qt has put its own reading of the row's text into the file system model.
    connect(this, &QFileDialog::filterSelected, this, [this](const QString& text) {
        const qsizetype row = nameFilters().indexOf(text);
        if (row >= 0)
            ApplyFilterRow(static_cast<std::size_t>(row));
    });

    auto* pane = new QWidget(this);
    auto* paneLayout = new QVBoxLayout(pane);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    auto* top = new QHBoxLayout();
    FCaption = new QLabel(pane);
    FPreviewButton = new QToolButton(pane);
    FPreviewButton->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    FPreviewButton->setToolTip(ResQString("Preview"));
    FPreviewButton->setAutoRaise(true);
    top->addWidget(FCaption, 1);
    top->addWidget(FPreviewButton);
    paneLayout->addLayout(top);
    FPictureView = new TPictureView(pane);
    FPictureView->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    FPictureView->setMinimumSize(200, 150);
    FPictureView->SetEmptyText(ResQString("(None)"));
    paneLayout->addWidget(FPictureView, 1);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(pane, 0, grid->columnCount(), grid->rowCount(), 1);
    else if (layout() != nullptr)
        layout()->addWidget(pane);

    ShowNoPicture();
    connect(this, &QFileDialog::currentChanged, this, [this](const QString& path) { ShowPictureOf(path); });
    connect(FPreviewButton, &QToolButton::clicked, this, [this] { ShowPreview(); });
}

void TOpenPictureDialog::SelectFilterRow(std::size_t row) {
    if (row >= FRows.size())
        return;
    selectNameFilter(nameFilters().value(static_cast<qsizetype>(row)));
    ApplyFilterRow(row);
}

void TOpenPictureDialog::ApplyFilterRow(std::size_t row) {
    FRow = row;
    FMaskFilter->SetMasks(FRows[row].Masks);
    // Qt has just set the masks it read from the text's parentheses, split on blanks; with those
    // "All (*.jpg;*.jpeg)" would list nothing. The proxy does the filtering instead.
    if (FFileModel != nullptr)
        FFileModel->setNameFilters({});
}

void TOpenPictureDialog::ShowPictureOf(const QString& path) {
    // Nothing that goes wrong here is reported: the pane just shows no picture.
    try {
        std::optional<TFilePreview> preview;
        if (!path.isEmpty() && QFileInfo(path).isFile() && FProvider) {
            try {
                preview = FProvider(path.toStdString());
            } catch (...) {
                preview.reset();
            }
        }
        if (!preview || preview->Picture.isNull()) {
            ShowNoPicture();
            return;
        }
        FPreview = std::move(preview);
        FCaption->setText(QString::fromStdString(
            FormatText(ResString(" (%dx%d)"), {std::to_string(FPreview->OriginalSize.width()),
                                               std::to_string(FPreview->OriginalSize.height())})));
        FPictureView->SetPicture(FPreview->Picture);
        FPreviewButton->setEnabled(true);
    } catch (...) {
        ShowNoPicture();
    }
}

void TOpenPictureDialog::ShowNoPicture() {
    FPreview.reset();
    FCaption->setText(ResQString("Picture:"));
    FPictureView->Clear();
    FPreviewButton->setEnabled(false);
}

QString TOpenPictureDialog::PictureCaption() const { return FCaption->text(); }

std::unique_ptr<TPicturePreviewWindow> TOpenPictureDialog::CreatePreviewWindow() {
    if (!FPreview)
        return nullptr;
    return std::make_unique<TPicturePreviewWindow>(this, FPreview->Picture, FPreview->OriginalSize, screen());
}

void TOpenPictureDialog::ShowPreview() {
    // Runs inside Qt's event loop, where no exception may pass; a preview that cannot be made
    // is simply not shown.
    try {
        if (const std::unique_ptr<TPicturePreviewWindow> window = CreatePreviewWindow())
            window->exec();
    } catch (...) {
    }
}

std::optional<std::string> TOpenPictureDialog::ChosenFile() const {
    const QStringList files = selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return std::nullopt;
    return files.front().toStdString();
}

} // namespace tintwell
