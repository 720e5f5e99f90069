#include "platform/qt_platform_services.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDBusConnection>
#include <QDesktopServices>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdlib>

#include "core/resource_text.h"
#include "platform/open_picture_dialog.h"
#include "platform/screen_pick.h"

namespace tintwell {
namespace {

class TQtMessageTimer : public TMessageTimer {
public:
    TQtMessageTimer(std::chrono::milliseconds interval, std::function<void()> tick) {
        FTimer.setInterval(interval);
        QObject::connect(&FTimer, &QTimer::timeout, std::move(tick));
    }
    void SetEnabled(bool enabled) override {
        if (enabled)
            FTimer.start();
        else
            FTimer.stop();
    }
    bool Enabled() const override { return FTimer.isActive(); }

private:
    QTimer FTimer;
};

class TQtMappedFile : public TMappedFile {
public:
    explicit TQtMappedFile(const std::string& fileName) : FFile(QString::fromStdString(fileName)) {
        if (!FFile.open(QIODevice::ReadOnly))
            throw EPlatformError(FormatText(ResString("Cannot open file \"%s\". %s"),
                                            {fileName, FFile.errorString().toStdString()}));
        if (FFile.size() > 0) {
            FData = FFile.map(0, FFile.size());
            if (FData == nullptr)
                throw EPlatformError(FormatText(ResString("Cannot map file \"%s\". %s"),
                                                {fileName, FFile.errorString().toStdString()}));
        }
    }
    const std::uint8_t* Data() const override { return FData; }
    std::size_t Size() const override { return static_cast<std::size_t>(FFile.size()); }

private:
    QFile FFile;
    const std::uint8_t* FData = nullptr;
};

TColor ToTColor(const QColor& colour) { return RGB(colour.red(), colour.green(), colour.blue()); }

} // namespace

namespace {

// The portal replies at once when it runs, and within seconds when the bus has to start it; the
// user's pick may take a while longer.
constexpr std::chrono::seconds kPortalReplyTimeout{15};
constexpr std::chrono::minutes kPortalAnswerTimeout{2};

} // namespace

TScreenPickChoice TQtPlatformServices::ScreenPickChoice() {
    if (!FScreenPick) {
        TPickEnvironment environment;
        environment.Platform = QGuiApplication::platformName().toStdString();
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        environment.WaylandSession = wayland != nullptr && *wayland != '\0';
        environment.SessionBus =
            ScreenPickNeedsBus(environment) && QDBusConnection::sessionBus().isConnected();
        FScreenPick = ChooseScreenPickPath(environment);
    }
    return *FScreenPick;
}

void TQtPlatformServices::StartScreenPick(TScreenPickDone done) {
    const TScreenPickChoice choice = ScreenPickChoice();
    if (choice.Path != TScreenPickPath::Portal)
        throw EPlatformError("a screen pick was asked for outside the desktop portal's path");
    if (FPortalPick.isNull())
        // Owned by the application, so it goes before the bus connection does.
        FPortalPick = new TPortalColorPick(QDBusConnection::sessionBus(), kPortalReplyTimeout,
                                           kPortalAnswerTimeout, QCoreApplication::instance());
    FPortalPick->Start(std::move(done));
}

void TQtPlatformServices::CancelScreenPick() noexcept {
    if (!FPortalPick.isNull())
        FPortalPick->Cancel();
}

TX11Screen* TQtPlatformServices::X11Screen() const {
    if (!FX11ScreenTried) {
        FX11ScreenTried = true;
        FX11Screen = TX11Screen::ForApplication();
    }
    return FX11Screen.get();
}

bool TQtPlatformServices::GrabScreen(const QRect& area, QImage& into) {
    if (TX11Screen* x11 = X11Screen())
        return x11->Read(area, into);
    // Elsewhere Qt's grab, in logical pixels, brought to the size asked for.
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return false;
    const qreal ratio = screen->devicePixelRatio();
    const QRect logical(QPoint(qFloor(area.x() / ratio), qFloor(area.y() / ratio)),
                        QSize(qCeil(area.width() / ratio), qCeil(area.height() / ratio)));
    // Window 0 is the root window: the whole virtual desktop, so areas that reach past one
    // monitor still come back at their full size.
    const QImage grabbed =
        screen->grabWindow(0, logical.x(), logical.y(), logical.width(), logical.height()).toImage();
    if (grabbed.isNull())
        return false;
    into = grabbed.scaled(area.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)
               .convertToFormat(QImage::Format_RGB32);
    return true;
}

QImage TQtPlatformServices::RenderWidget(QWidget& widget) { return widget.grab().toImage(); }

QPoint TQtPlatformServices::CursorPos() const {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr)
        throw EPlatformError(ResString("The pointer position is not available: there is no screen"));
    if (TX11Screen* x11 = X11Screen()) {
        if (const std::optional<QPoint> pointer = x11->Pointer())
            return *pointer;
        throw EPlatformError(ResString("The pointer position is not available: the display does not answer"));
    }
    const QPoint logical = QCursor::pos();
    const QScreen* screen = QGuiApplication::screenAt(logical);
    const qreal ratio = (screen != nullptr ? screen : primary)->devicePixelRatio();
    return {qRound(logical.x() * ratio), qRound(logical.y() * ratio)};
}

void TQtPlatformServices::BringToForeground(QWidget& window) {
    window.raise();
    window.activateWindow();
}

void TQtPlatformServices::SetFocus(QWidget& control) { control.setFocus(Qt::OtherFocusReason); }

QSize TQtPlatformServices::PrimaryScreenSize() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

QSize TQtPlatformServices::PrimaryScreenPixels() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return {};
    return (QSizeF(screen->geometry().size()) * screen->devicePixelRatio()).toSize();
}

std::vector<QRect> TQtPlatformServices::ScreenGeometries() const {
    std::vector<QRect> geometries;
    for (const QScreen* screen : QGuiApplication::screens())
        geometries.push_back(screen->geometry());
    return geometries;
}

std::unique_ptr<TMessageTimer> TQtPlatformServices::CreateMessageTimer(std::chrono::milliseconds interval,
                                                                       std::function<void()> tick) {
    return std::make_unique<TQtMessageTimer>(interval, std::move(tick));
}

void TQtPlatformServices::Beep() { QApplication::beep(); }

void TQtPlatformServices::SetBusyCursor(bool busy) {
    // Counted, so that nested busy sections end with the cursor the outermost one found.
    if (busy) {
        if (FBusyDepth++ == 0)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (FBusyDepth > 0 && --FBusyDepth == 0) {
        QGuiApplication::restoreOverrideCursor();
    }
}

void TQtPlatformServices::RepaintNow(QWidget& window) {
    window.repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

TColor TQtPlatformServices::SystemColor(int index) const {
    const QPalette palette = QApplication::palette();
    switch (index) {
    case COLOR_WINDOW: return ToTColor(palette.color(QPalette::Active, QPalette::Base));
    case COLOR_WINDOWTEXT: return ToTColor(palette.color(QPalette::Active, QPalette::Text));
    case COLOR_HIGHLIGHT: return ToTColor(palette.color(QPalette::Active, QPalette::Highlight));
    case COLOR_HIGHLIGHTTEXT: return ToTColor(palette.color(QPalette::Active, QPalette::HighlightedText));
    case COLOR_BTNFACE: return ToTColor(palette.color(QPalette::Active, QPalette::Button));
    case COLOR_BTNSHADOW: return ToTColor(palette.color(QPalette::Active, QPalette::Dark));
    case COLOR_GRAYTEXT: return ToTColor(palette.color(QPalette::Disabled, QPalette::Text));
    case COLOR_BTNTEXT: return ToTColor(palette.color(QPalette::Active, QPalette::ButtonText));
    case COLOR_BTNHIGHLIGHT: return ToTColor(palette.color(QPalette::Active, QPalette::Light));
    case COLOR_INFOTEXT: return ToTColor(palette.color(QPalette::Active, QPalette::ToolTipText));
    case COLOR_INFOBK: return ToTColor(palette.color(QPalette::Active, QPalette::ToolTipBase));
    case COLOR_HOTLIGHT: return ToTColor(palette.color(QPalette::Active, QPalette::Link));
    default: return ToTColor(palette.color(QPalette::Active, QPalette::Window));
    }
}

const QMimeData* TQtPlatformServices::ClipboardData() const {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard != nullptr ? clipboard->mimeData() : nullptr;
}

void TQtPlatformServices::SetClipboardText(const std::string& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(QString::fromStdString(text));
}

void TQtPlatformServices::ShowErrorBox(const std::string& caption, const std::string& text) {
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool TQtPlatformServices::ShellOpen(const std::string& target) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(target), QUrl::StrictMode));
}

std::unique_ptr<TRegistryKey> TQtPlatformServices::OpenRegistryKey(std::string_view path,
                                                                   TRegistryAccess access) {
    return FUserStore.OpenKey(path, access);
}

std::optional<std::string> TQtPlatformServices::OpenPictureDialog(QWidget* parent,
                                                                  const std::vector<TFileFilterRow>& filter,
                                                                  const TFilePreviewProvider& preview) {
    TOpenPictureDialog dialog(parent, filter, preview);
    // Like a dialog component that lives with its window, the next Open offers the type the user
    // chose last time.
    if (FLastFilterRow < filter.size())
        dialog.SelectFilterRow(FLastFilterRow);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    FLastFilterRow = dialog.FilterRow().value_or(0);
    if (!accepted)
        return std::nullopt;
    return dialog.ChosenFile();
}

std::string TQtPlatformServices::EnvironmentLang() const {
    const char* lang = std::getenv("LANG");
    return lang ? lang : "";
}

std::pair<std::string, std::string> TQtPlatformServices::LocaleIsoNames() const {
    const QLocale locale = QLocale::system();
    const QStringList parts = locale.name().split(u'_');
    return {parts.value(0).toStdString(), parts.value(1).toStdString()};
}

std::uint32_t TQtPlatformServices::LocaleIdentifier() const {
    const QLocale locale = QLocale::system();
    return std::uint32_t(locale.language()) << 16 | std::uint32_t(locale.territory());
}

TFormatSettings TQtPlatformServices::LocaleFormats() const { return FormatSettingsFromLocale(""); }

std::unique_ptr<TMappedFile> TQtPlatformServices::MapFile(const std::string& fileName) {
    return std::make_unique<TQtMappedFile>(fileName);
}

int TQtPlatformServices::DisplayBitsPerPixel() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 24;
}

QSize TQtPlatformServices::DisplayDpi() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return {96, 96};
    return {qRound(screen->logicalDotsPerInchX()), qRound(screen->logicalDotsPerInchY())};
}

} // namespace tintwell
