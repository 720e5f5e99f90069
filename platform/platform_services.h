#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/exception.h"
#include "core/file_filter.h"
#include "core/format_settings.h"
#include "core/tcolor.h"

class QMimeData;
class QWidget;

namespace tintwell {

// A platform service that failed or that this platform cannot give.
class EPlatformError : public Exception {
public:
    using Exception::Exception;
};

// A window-message timer: delivers ticks on the user-interface thread while enabled.
class TMessageTimer {
public:
    virtual ~TMessageTimer() = default;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
};

enum class TRegistryValueType { None, Text, Integer, Binary };
enum class TRegistryAccess { Read, WriteCreate };

// One open key of the per-user store. Reads of a missing value or of another type raise
// EPlatformError; the settings store checks existence and type first.
class TRegistryKey {
public:
    virtual ~TRegistryKey() = default;
    virtual bool ValueExists(std::string_view name) const = 0;
    virtual TRegistryValueType ValueType(std::string_view name) const = 0;
    virtual std::string ReadText(std::string_view name) const = 0;
    virtual std::int32_t ReadInteger(std::string_view name) const = 0;
    virtual std::vector<std::uint8_t> ReadBinary(std::string_view name) const = 0;
    virtual void WriteText(std::string_view name, std::string_view value) = 0;
    virtual void WriteInteger(std::string_view name, std::int32_t value) = 0;
    virtual void WriteBinary(std::string_view name, const std::vector<std::uint8_t>& value) = 0;
};

// A file mapped read-only into memory for as long as the object lives.
class TMappedFile {
public:
    virtual ~TMappedFile() = default;
    virtual const std::uint8_t* Data() const = 0;
    virtual std::size_t Size() const = 0;
};

// How a colour can be taken from the screen in this session.
enum class TScreenPickPath {
    X11Copy, // the X server's root window, read directly
    Portal,  // the desktop portal's PickColor: the only way in a Wayland session
    None,    // neither: picking from the screen is not available
};

// The path, and for None why not (a resource text, untranslated).
struct TScreenPickChoice {
    TScreenPickPath Path = TScreenPickPath::None;
    std::string Reason;
};

// How an asked-for pick ended: a colour, the user's cancel, or no answer (with the reason: the
// portal's own error text, or a resource text of ours).
enum class TScreenPickOutcome { Picked, Cancelled, Failed };
using TScreenPickDone =
    std::function<void(TScreenPickOutcome outcome, TColor colour, const std::string& reason)>;

// What the open dialog's picture pane shows for a file: the picture (already scaled as the
// caller likes) and its real size, or nothing when the file does not load.
struct TFilePreview {
    QImage Picture;
    QSize OriginalSize;
};
using TFilePreviewProvider = std::function<std::optional<TFilePreview>(const std::string& fileName)>;

// Every call this program makes into the operating system. Widgets and start-up receive it by
// reference; the real implementation is TQtPlatformServices, tests use a recording fake.
// Pixel reads and ellipse drawing on bitmaps, and the bitmap, icon and metafile readers, are
// QImage, QPainter and imaging operations that behave alike everywhere and need no service.
class TPlatformServices {
public:
    virtual ~TPlatformServices() = default;

    // Screen capture, in device pixels (the screen's own, whatever Qt's scale): the area of the
    // whole desktop copied into `into`, which becomes Format_RGB32 of the area's size (its buffer is
    // reused when it already is and is not shared); parts outside every screen are black. False,
    // with `into` unchanged, when there is no screen to copy from; the capture is then skipped.
    virtual bool GrabScreen(const QRect& area, QImage& into) = 0;
    // How this session takes a colour from the screen: chosen at the first ask, then the same for
    // the life of the program.
    virtual TScreenPickChoice ScreenPickChoice() = 0;
    // On the Portal path, asks the desktop to let the user pick one colour, without blocking; done
    // runs once, from the event loop, unless the pick is cancelled first. A pick still pending is
    // cancelled. Raises EPlatformError on any other path.
    virtual void StartScreenPick(TScreenPickDone done) = 0;
    // Ends a pending pick without calling its done; nothing when none is pending.
    virtual void CancelScreenPick() noexcept = 0;
    // A window area as it is displayed, drawn into an image of its size.
    virtual QImage RenderWidget(QWidget& widget) = 0;

    // The pointer in screen coordinates, in device pixels like GrabScreen; raises EPlatformError
    // when it cannot be had.
    virtual QPoint CursorPos() const = 0;
    virtual void BringToForeground(QWidget& window) = 0;
    virtual void SetFocus(QWidget& control) = 0;
    // The primary screen's size in the coordinates of window positions (logical pixels), and in
    // device pixels, as GrabScreen and CursorPos count them.
    virtual QSize PrimaryScreenSize() const = 0;
    virtual QSize PrimaryScreenPixels() const = 0;
    // Every screen of the desktop, in the coordinates that window positions use.
    virtual std::vector<QRect> ScreenGeometries() const = 0;

    virtual std::unique_ptr<TMessageTimer> CreateMessageTimer(std::chrono::milliseconds interval,
                                                              std::function<void()> tick) = 0;

    virtual void Beep() = 0;
    // The hourglass for the whole application, and back.
    virtual void SetBusyCursor(bool busy) = 0;
    // Repaints the window at once and lets pending events run.
    virtual void RepaintNow(QWidget& window) = 0;

    // The current RGB value of a system colour (COLOR_GRAYTEXT and the other classic indexes).
    virtual TColor SystemColor(int index) const = 0;

    // What the clipboard holds now (null when nothing); valid until the clipboard changes.
    virtual const QMimeData* ClipboardData() const = 0;
    virtual void SetClipboardText(const std::string& text) = 0;

    // A modal box with caption, the error icon, text and an OK button.
    virtual void ShowErrorBox(const std::string& caption, const std::string& text) = 0;
    // Hands a link target to the desktop's "open"; false when nothing took it.
    virtual bool ShellOpen(const std::string& target) = 0;

    // A key under the per-user store ("Software\\zorVIK\\Quelm\\Forms\\frmColorPicker"), or null
    // when it does not exist and the access is Read.
    virtual std::unique_ptr<TRegistryKey> OpenRegistryKey(std::string_view path, TRegistryAccess access) = 0;

    // The modal open dialog with a picture pane; the chosen file, or nothing on cancel.
    virtual std::optional<std::string> OpenPictureDialog(QWidget* parent,
                                                         const std::vector<TFileFilterRow>& filter,
                                                         const TFilePreviewProvider& preview) = 0;

    // LANG as set ("" when unset), the user's locale as ISO language and country ("de", "AT"),
    // and its number and date formats.
    virtual std::string EnvironmentLang() const = 0;
    virtual std::pair<std::string, std::string> LocaleIsoNames() const = 0;
    // The user's locale as a number, for when it has no two-letter ISO names: the toolkit's language
    // number in the high 16 bits and its territory number in the low 16 bits.
    virtual std::uint32_t LocaleIdentifier() const = 0;
    virtual TFormatSettings LocaleFormats() const = 0;

    // Raises EPlatformError when the file cannot be mapped.
    virtual std::unique_ptr<TMappedFile> MapFile(const std::string& fileName) = 0;

    // The display's colour depth (bits per pixel times planes) and logical resolution.
    virtual int DisplayBitsPerPixel() const = 0;
    virtual QSize DisplayDpi() const = 0;
};

} // namespace tintwell
