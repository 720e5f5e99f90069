#pragma once

#include <QMimeData>
#include <QPainter>
#include <map>
#include <utility>
#include <variant>

#include "platform/platform_services.h"

namespace tintwell::test {

// A recording stand-in for the platform: it serves a synthetic screen and pointer, records
// beeps, error boxes, shell opens and busy-cursor changes, answers the open dialog with a chosen
// file, keeps the per-user store in memory, and hands out timers that tests fire by hand.
class TFakePlatformServices : public TPlatformServices {
public:
    class TFakeTimer : public TMessageTimer {
    public:
        explicit TFakeTimer(std::function<void()> tick) : Tick(std::move(tick)) {}
        void SetEnabled(bool enabled) override { IsEnabled = enabled; }
        bool Enabled() const override { return IsEnabled; }
        // Delivers one tick if enabled, as the message loop would.
        void Fire() {
            if (IsEnabled)
                Tick();
        }
        std::function<void()> Tick;
        bool IsEnabled = false;
    };

    using TValue = std::variant<std::string, std::int32_t, std::vector<std::uint8_t>>;
    using TKeyValues = std::map<std::string, TValue, std::less<>>;

    // ---- what tests set
    QImage Screen; // null: no screen to copy from
    QPoint Cursor{0, 0};
    bool CursorFails = false;
    std::optional<std::string> ChosenFile;
    std::map<std::string, TKeyValues, std::less<>> Registry; // by the path as passed
    bool RegistryUnreadable = false;  // opening for reading raises, as for a file that cannot be read
    bool RegistryUncreatable = false; // opening for writing gives no key
    std::function<void(std::string_view name)> DuringRegistryWrite; // may raise to make a write fail
    std::string Lang;
    std::pair<std::string, std::string> IsoNames{"en", "US"};
    std::uint32_t LocaleId = 0; // not in the fixed table: "C"
    TFormatSettings Formats;
    int BitsPerPixel = 24;
    QSize Dpi{96, 96};
    QSize ScreenSize{1920, 1080};   // logical pixels, for window positions
    QSize ScreenPixels{1920, 1080}; // device pixels, as the screen is copied
    std::vector<QRect> Screens;     // empty: the primary screen alone, at (0, 0) with ScreenSize
    TScreenPickChoice PickChoice{TScreenPickPath::X11Copy, {}};
    std::unique_ptr<QMimeData> Clipboard; // null: an empty clipboard

    // ---- what tests read
    int Beeps = 0;
    std::vector<std::pair<std::string, std::string>> ErrorBoxes; // caption, text
    std::vector<std::string> ShellOpens;
    std::vector<TFileFilterRow> LastFilter;
    TFilePreviewProvider LastPreview;
    int BusyDepth = 0;
    int Repaints = 0;
    std::vector<TFakeTimer*> Timers; // owned by their callers
    QWidget* Foreground = nullptr;
    int Dialogs = 0;
    std::vector<bool> BusyHistory; // each SetBusyCursor call, in order
    int RegistryOpens = 0;
    int Grabs = 0;
    std::vector<std::string> RegistryWrites; // "<path>|<name>" of each value written, in order
    int PickChoices = 0;                     // calls of ScreenPickChoice
    int PickStarts = 0;                      // portal picks asked for
    int PickCancels = 0;                     // cancels of a pending pick
    TScreenPickDone PendingPick;             // the pick the portal would be answering now

    // ---- hooks that run inside a call, as a modal loop or a repaint would run other events
    std::function<void()> DuringErrorBox;
    std::function<void()> DuringRepaint;
    // Runs after each pointer read has taken its answer, so the next read can find it elsewhere.
    std::function<void()> AfterCursorRead;

    // Answers the pending pick as the portal would, from the event loop; false when none is pending.
    bool AnswerScreenPick(TScreenPickOutcome outcome, TColor colour = 0, const std::string& reason = {}) {
        TScreenPickDone done = std::exchange(PendingPick, nullptr);
        if (!done)
            return false;
        done(outcome, colour, reason);
        return true;
    }

    TScreenPickChoice ScreenPickChoice() override {
        ++PickChoices;
        return PickChoice;
    }
    void StartScreenPick(TScreenPickDone done) override {
        if (PickChoice.Path != TScreenPickPath::Portal)
            throw EPlatformError("a screen pick was asked for outside the desktop portal's path");
        CancelScreenPick();
        ++PickStarts;
        PendingPick = std::move(done);
    }
    void CancelScreenPick() noexcept override {
        if (PendingPick)
            ++PickCancels;
        PendingPick = nullptr;
    }
    bool GrabScreen(const QRect& area, QImage& into) override {
        ++Grabs;
        if (Screen.isNull())
            return false;
        if (into.size() != area.size() || into.format() != QImage::Format_RGB32)
            into = QImage(area.size(), QImage::Format_RGB32);
        into.fill(Qt::black);
        QPainter painter(&into);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPoint(0, 0), Screen, area);
        return true;
    }
    QImage RenderWidget(QWidget& widget) override;
    QPoint CursorPos() const override {
        if (CursorFails)
            throw EPlatformError("The pointer position is not available");
        const QPoint read = Cursor;
        if (AfterCursorRead)
            AfterCursorRead();
        return read;
    }
    void BringToForeground(QWidget& window) override { Foreground = &window; }
    void SetFocus(QWidget& control) override;
    QSize PrimaryScreenSize() const override { return ScreenSize; }
    QSize PrimaryScreenPixels() const override { return ScreenPixels; }
    std::vector<QRect> ScreenGeometries() const override {
        return Screens.empty() ? std::vector<QRect>{QRect(QPoint(0, 0), ScreenSize)} : Screens;
    }
    std::unique_ptr<TMessageTimer> CreateMessageTimer(std::chrono::milliseconds,
                                                      std::function<void()> tick) override {
        auto timer = std::make_unique<TFakeTimer>(std::move(tick));
        Timers.push_back(timer.get());
        return timer;
    }
    void Beep() override { ++Beeps; }
    void SetBusyCursor(bool busy) override {
        BusyDepth += busy ? 1 : -1;
        BusyHistory.push_back(busy);
    }
    void RepaintNow(QWidget&) override {
        ++Repaints;
        if (DuringRepaint)
            DuringRepaint();
    }
    TColor SystemColor(int index) const override { return RGB(index, index, index); }
    const QMimeData* ClipboardData() const override { return Clipboard.get(); }
    void SetClipboardText(const std::string& text) override {
        Clipboard = std::make_unique<QMimeData>();
        Clipboard->setText(QString::fromStdString(text));
    }
    void ShowErrorBox(const std::string& caption, const std::string& text) override {
        ErrorBoxes.emplace_back(caption, text);
        if (DuringErrorBox)
            DuringErrorBox();
    }
    bool ShellOpen(const std::string& target) override {
        ShellOpens.push_back(target);
        return true;
    }
    std::unique_ptr<TRegistryKey> OpenRegistryKey(std::string_view path, TRegistryAccess access) override;
    std::optional<std::string> OpenPictureDialog(QWidget*, const std::vector<TFileFilterRow>& filter,
                                                 const TFilePreviewProvider& preview) override {
        ++Dialogs;
        LastFilter = filter;
        LastPreview = preview;
        return ChosenFile;
    }
    std::string EnvironmentLang() const override { return Lang; }
    std::pair<std::string, std::string> LocaleIsoNames() const override { return IsoNames; }
    std::uint32_t LocaleIdentifier() const override { return LocaleId; }
    TFormatSettings LocaleFormats() const override { return Formats; }
    std::unique_ptr<TMappedFile> MapFile(const std::string& fileName) override;
    int DisplayBitsPerPixel() const override { return BitsPerPixel; }
    QSize DisplayDpi() const override { return Dpi; }
};

} // namespace tintwell::test
