#include "settings/zorvik_form.h"

#include <QEvent>
#include <algorithm>
#include <cstdio>
#include <exception>

#include "settings/settings_store.h"

namespace tintwell {
namespace {

std::string Section(const std::string& key) {
    std::string section = "Forms\\";
    section += key;
    return section;
}

QRect CentredIn(const QRect& area, QSize outer) {
    return {area.left() + (area.width() - outer.width()) / 2,
            area.top() + (area.height() - outer.height()) / 2, outer.width(), outer.height()};
}

// Qt's states with the stored one in place of minimised, maximised and full screen; the active
// flag stays.
Qt::WindowStates WithState(Qt::WindowStates states, TWindowState state) {
    states &= ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    switch (state) {
    case TWindowState::wsNormal: break;
    case TWindowState::wsMinimized: states |= Qt::WindowMinimized; break;
    case TWindowState::wsMaximized: states |= Qt::WindowMaximized; break;
    }
    return states;
}

} // namespace

TzorvikForm::TzorvikForm(TPlatformServices& platform, QWidget* owner, Qt::WindowFlags flags)
    : QWidget(owner, flags | Qt::Window), FPlatform(platform) {}

TzorvikForm::TzorvikForm(TPlatformServices& platform, QWidget* owner, bool storeToRegistry, std::string key,
                         Qt::WindowFlags flags)
    : QWidget(owner, flags | Qt::Window), FPlatform(platform), FStoreToRegistry(storeToRegistry),
      FCreatedWithSettings(true), FKey(std::move(key)) {}

TzorvikForm::~TzorvikForm() {
    // Deleted without BeforeDestruction (by its Qt parent): what the base can still do.
    if (FConstructed && !FDestroying) {
        FDestroying = true;
        hide();
        TzorvikForm::SavePlacement();
    }
}

void TzorvikForm::AfterConstruction() {
    if (FConstructed)
        return;
    DoCreate();
    if (!FCreatedWithSettings)
        FStoreToRegistry = true;
    if (FKey.empty())
        FKey = Name();
    LoadPlacement();
    FConstructed = true;
}

void TzorvikForm::BeforeDestruction() {
    if (FDestroying)
        return;
    FDestroying = true;
    hide();
    DoDestroy();
    SavePlacement();
}

void TzorvikForm::SetKey(std::string key) {
    FKey = std::move(key);
    LoadPlacement();
}

std::string TzorvikForm::Name() const { return objectName().toStdString(); }

QMargins TzorvikForm::FrameMargins() const {
    if (isVisible()) {
        const QRect frame = frameGeometry();
        const QRect client = geometry();
        const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                               frame.right() - client.right(), frame.bottom() - client.bottom());
        // Until the window system has framed the window there is no frame to see; keep the last one.
        if (!margins.isNull())
            FFrame = margins;
    }
    return FFrame;
}

int TzorvikForm::Left() const { return x(); }
int TzorvikForm::Top() const { return y(); }

int TzorvikForm::Width() const {
    if (PendingOuterHolds())
        return FPendingOuter->width();
    const QMargins frame = FrameMargins();
    return width() + frame.left() + frame.right();
}

int TzorvikForm::Height() const {
    if (PendingOuterHolds())
        return FPendingOuter->height();
    const QMargins frame = FrameMargins();
    return height() + frame.top() + frame.bottom();
}

void TzorvikForm::SetLeft(int left) { move(left, y()); }
void TzorvikForm::SetTop(int top) { move(x(), top); }

// As with any property, setting the value it has changes nothing: a restore that found nothing
// stored must not turn a client size that was never framed into an outer one.
void TzorvikForm::SetWidth(int width) {
    if (width != Width())
        SetOuterSize({width, Height()});
}

void TzorvikForm::SetHeight(int height) {
    if (height != Height())
        SetOuterSize({Width(), height});
}

void TzorvikForm::SetOuterSize(QSize outer) {
    const QMargins frame = FrameMargins();
    resize(std::max(1, outer.width() - frame.left() - frame.right()),
           std::max(1, outer.height() - frame.top() - frame.bottom()));
    // Qt sizes the client area; the outer size is right only once the frame is known. A frame seen
    // before counts as known, so a window that was shown is sized at once.
    if (frame.isNull()) {
        FPendingOuter = outer;
        FPendingClient = size();
    } else {
        FPendingOuter.reset();
    }
}

void TzorvikForm::ApplyPendingOuterSize() {
    if (!PendingOuterHolds()) {
        FPendingOuter.reset();
        return;
    }
    if (FrameMargins().isNull())
        return;
    const QSize outer = *std::exchange(FPendingOuter, std::nullopt);
    SetOuterSize(outer);
}

TWindowState TzorvikForm::WindowState() const {
    if (FPendingState)
        return *FPendingState;
    const Qt::WindowStates state = windowState();
    if (state & Qt::WindowMinimized)
        return TWindowState::wsMinimized;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return TWindowState::wsMaximized;
    return TWindowState::wsNormal;
}

void TzorvikForm::SetWindowState(TWindowState state) {
    // Qt makes the native window for a state change; a window made but never shown reports its
    // client position as if framed, so a hidden window keeps the state until it maps.
    if (!isVisible()) {
        FPendingState = state;
        return;
    }
    FPendingState.reset();
    setWindowState(WithState(windowState(), state));
}

void TzorvikForm::setVisible(bool visible) {
    if (visible && !isVisible()) {
        if (FPlacePending)
            PlaceByPositionRule();
        if (const std::optional<TWindowState> state = std::exchange(FPendingState, std::nullopt))
            setWindowState(WithState(windowState(), *state));
    }
    if (!visible)
        FrameMargins(); // the frame as last seen, for the sizes read while hidden
    QWidget::setVisible(visible);
}

void TzorvikForm::SetPosition(TPosition position) {
    FPosition = position;
    FPlacePending = true;
    if (isVisible())
        PlaceByPositionRule();
}

void TzorvikForm::PlaceByPositionRule() {
    FPlacePending = false;
    const QSize outer(Width(), Height());
    QRect area;
    switch (FPosition) {
    case TPosition::poDesigned:
    case TPosition::poDefault:
    case TPosition::poDefaultPosOnly:
    case TPosition::poDefaultSizeOnly: return; // its own coordinates, or wherever it already is
    case TPosition::poScreenCenter: area = QRect(QPoint(0, 0), FPlatform.PrimaryScreenSize()); break;
    case TPosition::poDesktopCenter:
        for (const QRect& screen : FPlatform.ScreenGeometries())
            area = area.united(screen);
        break;
    case TPosition::poMainFormCenter:
    case TPosition::poOwnerFormCenter: {
        const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
        area = owner != nullptr ? owner->frameGeometry() : QRect(QPoint(0, 0), FPlatform.PrimaryScreenSize());
        break;
    }
    }
    move(CentredIn(area, outer).topLeft());
}

bool TzorvikForm::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        FrameMargins();
        ApplyPendingOuterSize();
        break;
    default: break;
    }
    return handled;
}

void TzorvikForm::LoadPlacement() {
    if (!FStoreToRegistry)
        return;
    const std::string section = Section(FKey);
    const QPoint designed(Left(), Top());
    // The first failure ends the restore: what was applied stays.
    try {
        SetTop(SettingToInteger(ReadSetting(section, "Top", std::int32_t{Top()})));
        SetLeft(SettingToInteger(ReadSetting(section, "Left", std::int32_t{Left()})));
        // A size of nothing would leave no window to see.
        if (const std::int32_t width = SettingToInteger(ReadSetting(section, "Width", std::int32_t{Width()}));
            width > 0)
            SetWidth(width);
        if (const std::int32_t height =
                SettingToInteger(ReadSetting(section, "Height", std::int32_t{Height()}));
            height > 0)
            SetHeight(height);
        const QSize screen = FPlatform.PrimaryScreenSize();
        if (Top() > screen.height())
            SetTop(screen.height() - Height());
        if (Left() > screen.width())
            SetLeft(screen.width() - Width());
        // On no screen at all (a monitor unplugged since) the user could not reach the window.
        const QRect bounds(Left(), Top(), Width(), Height());
        const std::vector<QRect> screens = FPlatform.ScreenGeometries();
        if (!screens.empty() && std::none_of(screens.begin(), screens.end(),
                                             [&](const QRect& s) { return s.intersects(bounds); }))
            move(designed);
        const std::int32_t state =
            SettingToInteger(ReadSetting(section, "WindowState", static_cast<std::uint8_t>(WindowState())));
        // Another number has no meaning; minimised, a tool window opened by a button would open as
        // nothing.
        if (state >= 0 && state <= 2 && !(state == 1 && IsToolWindow()))
            SetWindowState(static_cast<TWindowState>(state));
        SetPosition(TPosition::poDesigned);
    } catch (const std::exception&) {
    }
}

void TzorvikForm::SavePlacement() {
    if (!FStoreToRegistry)
        return;
    const std::string section = Section(FKey);
    try {
        WriteSetting(section, "WindowState", static_cast<std::uint8_t>(WindowState()));
        WriteSetting(section, "Top", std::int32_t{Top()});
        WriteSetting(section, "Left", std::int32_t{Left()});
        WriteSetting(section, "Width", std::int32_t{Width()});
        WriteSetting(section, "Height", std::int32_t{Height()});
        WriteSetting(section, "Position", static_cast<std::uint8_t>(FPosition));
    } catch (const std::exception&) {
    }
}

void TzorvikFormDeleter::operator()(TzorvikForm* form) const noexcept {
    try {
        form->BeforeDestruction();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Tintwell: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "Tintwell: an unknown error while a window closed\n");
    }
    delete form;
}

} // namespace tintwell
