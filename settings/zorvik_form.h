#pragma once

#include <QMargins>
#include <QSize>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/platform_services.h"

namespace tintwell {

// A window's state as stored: 0 normal, 1 minimised, 2 maximised.
enum class TWindowState : std::uint8_t { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };

// Where a window goes when it is shown, as stored (0 to 7): at its own coordinates; where the window
// system puts it (with its size, or only its position, or only its size); centred on the primary
// screen, on the whole desktop, over the application's main window or over its owner.
enum class TPosition : std::uint8_t {
    poDesigned = 0,
    poDefault = 1,
    poDefaultPosOnly = 2,
    poDefaultSizeOnly = 3,
    poScreenCenter = 4,
    poDesktopCenter = 5,
    poMainFormCenter = 6,
    poOwnerFormCenter = 7,
};

// A top-level window that remembers its position, outer size and state under "Forms\<Key>" of the
// settings store: restored when it is made, stored when it goes. Left, Top, Width and Height are the
// window's outer bounds, frame included, as the store keeps them.
//
// C++ cannot reach a derived window from a base constructor or destructor, so the two steps that
// must run on the whole window have their own place: CreateForm makes a window and then runs
// AfterConstruction (the derived window's DoCreate, then LoadPlacement); the TFormPtr it returns runs
// BeforeDestruction (hide, the derived window's DoDestroy, then SavePlacement) before deleting it.
// A window deleted some other way (by its Qt parent) still hides and stores its placement, but its
// DoDestroy is gone by then.
class TzorvikForm : public QWidget {
public:
    // The ordinary construction: the placement is restored and stored (StoreToRegistry becomes
    // true after construction).
    TzorvikForm(TPlatformServices& platform, QWidget* owner, Qt::WindowFlags flags = {});
    // With the two settings given; a derived window's constructor may still change them.
    TzorvikForm(TPlatformServices& platform, QWidget* owner, bool storeToRegistry, std::string key,
                Qt::WindowFlags flags = {});
    ~TzorvikForm() override;
    TzorvikForm(const TzorvikForm&) = delete;
    TzorvikForm& operator=(const TzorvikForm&) = delete;

    bool StoreToRegistry() const noexcept { return FStoreToRegistry; }
    void SetStoreToRegistry(bool store) noexcept { FStoreToRegistry = store; }
    // The window's section under "Forms\"; empty until construction ends, then the window's name
    // (objectName) when nothing else was given. Setting it restores the placement stored there.
    const std::string& Key() const noexcept { return FKey; }
    void SetKey(std::string key);
    std::string Name() const;

    // The outer bounds: the frame's top-left corner and the size with the frame. Before the window
    // system has framed the window, the frame counts as the one it had last, or none.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int left);
    void SetTop(int top);
    void SetWidth(int width);
    void SetHeight(int height);

    TWindowState WindowState() const;
    // A hidden window takes the state when it is next shown.
    void SetWindowState(TWindowState state);

    // Applies a state and a position rule set while hidden just before the window maps, so it
    // never shows first in the wrong place.
    void setVisible(bool visible) override;
    TPosition Position() const noexcept { return FPosition; }
    // The rule places the window when it is next shown.
    void SetPosition(TPosition position);

    virtual void SavePlacement();
    virtual void LoadPlacement();

    // The two steps on the whole window; CreateForm and TFormPtr run them. Each runs once.
    void AfterConstruction();
    void BeforeDestruction();

protected:
    // The creation and destruction handlers of a derived window.
    virtual void DoCreate() {}
    virtual void DoDestroy() {}

    TPlatformServices& Platform() noexcept { return FPlatform; }

    bool event(QEvent* event) override;

private:
    QMargins FrameMargins() const;
    void ApplyPendingOuterSize();
    // Whether the outer size set before the frame was known still stands: the client size has
    // not changed since (a resize by the user or the program replaces it).
    bool PendingOuterHolds() const { return FPendingOuter && size() == FPendingClient; }
    void SetOuterSize(QSize outer);
    void PlaceByPositionRule();
    bool IsToolWindow() const noexcept { return windowType() == Qt::Tool; }

    TPlatformServices& FPlatform;
    bool FStoreToRegistry = false;
    bool FCreatedWithSettings = false;
    std::string FKey;
    TPosition FPosition = TPosition::poDesigned;
    bool FPlacePending = false;
    mutable QMargins FFrame;                   // the frame as last seen
    std::optional<QSize> FPendingOuter;        // an outer size set before the frame was known...
    QSize FPendingClient;                      // ...and the client size set for it
    std::optional<TWindowState> FPendingState; // set while hidden
    bool FConstructed = false;
    bool FDestroying = false;
};

// Runs BeforeDestruction, then deletes. An error of the destruction handler is reported on standard
// error: nothing can be shown while a window goes.
struct TzorvikFormDeleter {
    void operator()(TzorvikForm* form) const noexcept;
};

template <class TForm> using TFormPtr = std::unique_ptr<TForm, TzorvikFormDeleter>;

// Makes the window and finishes its construction. When the creation handler or the restore fails,
// the window is deleted without BeforeDestruction (it never was whole) and the error goes on.
template <class TForm, class... TArgs> TFormPtr<TForm> CreateForm(TArgs&&... args) {
    auto form = std::make_unique<TForm>(std::forward<TArgs>(args)...);
    form->AfterConstruction();
    return TFormPtr<TForm>(form.release());
}

} // namespace tintwell
