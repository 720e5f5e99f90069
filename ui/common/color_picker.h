#pragma once

#include <functional>

#include "core/tcolor.h"

namespace tintwell {

// What the main window knows of the screen picker: the channel to the capture frame. The picker
// window implements it; the main window receives it from start-up.
class IColorPicker {
public:
    // A notification; the sender is the picker's frame, which the main window's receivers ignore.
    using TNotify = std::function<void()>;

    virtual ~IColorPicker() = default;
    // The frame's picked colour and whether it captures.
    virtual TColor GetColor() const = 0;
    virtual bool IsCapturing() const = 0;
    // The frame's stop, whatever the state.
    virtual void StopCapture() = 0;
    // Replace the frame's callbacks; an empty one disables it.
    virtual void SetOnColorChange(TNotify callback) = 0;
    virtual void SetOnCaptureStart(TNotify callback) = 0;
    virtual void SetOnCaptureStop(TNotify callback) = 0;
    // The modeless show: visible and in front, a minimised window shown normal; no capture starts.
    virtual void ShowPicker() = 0;
};

} // namespace tintwell
