#pragma once

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/tcolor.h"
#include "platform/platform_services.h"
#include "ui/common/color_picker.h"
#include "ui/common/swatch.h"
#include "ui/main/widgets.h"

class QMenu;
class QMimeData;

namespace tintwell {

// The vendor's web address, shown and linked in the status strip.
inline constexpr std::string_view kVendorWebAddress = "https://www.tintwell.example/";

// The main window: the image preview, the current colour with its inverse, corrected inverse and
// palette, and the inputs that change the colour. Every component is a public member named as
// designed, with the same objectName; the handlers carry the designed names too. Each handler
// catches at its boundary and hands errors to the standard error box.
class TfrmTintwell : public QWidget {
public:
    explicit TfrmTintwell(TPlatformServices& platform, QWidget* parent = nullptr);
    ~TfrmTintwell() override;

    TColor CurrentColor() const noexcept { return FCurrentColor; }

    // The screen picker, which start-up makes after this window and connects before showing it;
    // null clears it (start-up does so once the picker is gone).
    void SetColorPicker(IColorPicker* picker) noexcept { FPicker = picker; }

    // The Open Image road for a file chosen elsewhere than in the dialog (the command line, a drop):
    // the preview shows it and its average becomes current; a file that fails goes to the error box.
    void OpenImage(const std::string& fileName);
    // A picture from elsewhere than a file (the clipboard): the preview shows it and its average
    // becomes current.
    void ShowImage(const QImage& image);

    // The picture file a drop or a paste names: one local file (a path or a file URL) whose
    // extension the graphic formats know; nothing otherwise.
    static std::optional<std::string> PictureFileOf(const QMimeData& data);

    // Ctrl+V: an image on the clipboard is analysed; a picture file's name or URL is opened; anything
    // else beeps.
    QAction* actPaste;

    // The context menu's entries for a colour: "Copy #RRGGBB" and "Copy R,G,B", each putting that
    // text on the clipboard. Every swatch's menu holds them, and every code field's, for its column.
    void AddCopyActions(QMenu& menu, TColor colour);

    QFrame* Panel1;
    TImage* Image1;
    QToolButton* pbColorPicker;
    QPushButton* Button1;
    QLabel* Label9;
    QComboBox* cmbCorrection;
    QLabel* Label6;
    TShape* shpAvg;
    QLabel* Label7;
    TShape* shpAvgInv;
    TShape* shpAvgInvCorrected;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label8;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* HTML;
    TEdit* dfR;
    TEdit* dfG;
    TEdit* dfB;
    TEdit* dfHTML;
    TEdit* dfRi;
    TEdit* dfGi;
    TEdit* dfBi;
    TEdit* dfHTMLi;
    TEdit* dfRc;
    TEdit* dfGc;
    TEdit* dfBc;
    TEdit* dfHTMLc;
    QGroupBox* gbPallette;
    TShape* shpScheme1;
    TShape* shpScheme2;
    TShape* shpScheme3;
    TShape* shpScheme4;
    TShape* shpScheme5;
    QLabel* lblHTML1;
    QLabel* lblHTML2;
    QLabel* lblHTML3;
    QLabel* lblHTML4;
    QLabel* lblHTML5;
    QLabel* lblRGB1;
    QLabel* lblRGB2;
    QLabel* lblRGB3;
    QLabel* lblRGB4;
    QLabel* lblRGB5;
    THtmlStatusBar* pnlStatusBar;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateComponents();
    void CreatePreview();
    void CreateCommandRow();
    void CreateAverageSwatches();
    void CreateReadoutGrid();
    void CreatePalette();
    void CreateStatusBar();
    void CreatePasteAction();
    void ConnectHandlers();

    void FormCreate();
    void FormShow();
    void ShowColor(TColor color);

    void Button1Click();
    void actPasteExecute();
    // The part of Open Image after the choice: load, preview, average. Raises what the load raises.
    void LoadImage(const std::string& fileName);
    void dfRExit();
    void dfGExit();
    void dfBExit();
    void ChannelExit(TEdit& field, int channel);
    void dfHTMLExit();
    void cmbCorrectionChange();
    void SwatchMouseUp(const TShape& swatch, Qt::MouseButton button);
    void pbColorPickerClick();
    void Image1MouseUp(Qt::MouseButton button);
    void PickerColorChanged();
    void PickerStarted();
    void PickerStopped();
    void pnlStatusBarLinkClick(const std::string& target);

    TPlatformServices& FPlatform;
    TColor FCurrentColor = 0;
    bool FOpeningImage = false;
    IColorPicker* FPicker = nullptr;
};

} // namespace tintwell
