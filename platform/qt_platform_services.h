#pragma once

#include <QPointer>
#include <optional>

#include "platform/platform_services.h"
#include "platform/user_store.h"
#include "platform/x11_screen.h"

namespace tintwell {

class TPortalColorPick;

// The platform services on Qt and X11. Needs a QApplication. The per-user store is the file given
// (DefaultUserStorePath() for the program, a temporary folder for tests). The open dialog is
// TOpenPictureDialog.
class TQtPlatformServices : public TPlatformServices {
public:
    explicit TQtPlatformServices(std::string userStorePath) : FUserStore(std::move(userStorePath)) {}
    TUserStore& UserStore() noexcept { return FUserStore; }

    TScreenPickChoice ScreenPickChoice() override;
    void StartScreenPick(TScreenPickDone done) override;
    void CancelScreenPick() noexcept override;
    bool GrabScreen(const QRect& area, QImage& into) override;
    QImage RenderWidget(QWidget& widget) override;
    QPoint CursorPos() const override;
    void BringToForeground(QWidget& window) override;
    void SetFocus(QWidget& control) override;
    QSize PrimaryScreenSize() const override;
    QSize PrimaryScreenPixels() const override;
    std::vector<QRect> ScreenGeometries() const override;
    std::unique_ptr<TMessageTimer> CreateMessageTimer(std::chrono::milliseconds interval,
                                                      std::function<void()> tick) override;
    void Beep() override;
    void SetBusyCursor(bool busy) override;
    void RepaintNow(QWidget& window) override;
    TColor SystemColor(int index) const override;
    const QMimeData* ClipboardData() const override;
    void SetClipboardText(const std::string& text) override;
    void ShowErrorBox(const std::string& caption, const std::string& text) override;
    bool ShellOpen(const std::string& target) override;
    std::unique_ptr<TRegistryKey> OpenRegistryKey(std::string_view path, TRegistryAccess access) override;
    std::optional<std::string> OpenPictureDialog(QWidget* parent, const std::vector<TFileFilterRow>& filter,
                                                 const TFilePreviewProvider& preview) override;
    std::string EnvironmentLang() const override;
    std::pair<std::string, std::string> LocaleIsoNames() const override;
    std::uint32_t LocaleIdentifier() const override;
    TFormatSettings LocaleFormats() const override;
    std::unique_ptr<TMappedFile> MapFile(const std::string& fileName) override;
    int DisplayBitsPerPixel() const override;
    QSize DisplayDpi() const override;

private:
    // The X server's screen, made at the first use (there is an application by then); null when
    // not on X11, and Qt's grab serves.
    TX11Screen* X11Screen() const;

    TUserStore FUserStore;
    std::optional<TScreenPickChoice> FScreenPick;
    QPointer<TPortalColorPick> FPortalPick;
    mutable std::unique_ptr<TX11Screen> FX11Screen;
    mutable bool FX11ScreenTried = false;
    int FBusyDepth = 0;
    std::size_t FLastFilterRow = 0;
};

} // namespace tintwell
