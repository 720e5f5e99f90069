#pragma once

namespace tintwell {

// A width and a height in pixels.
struct TSize {
    int Width = 0;
    int Height = 0;

    bool IsEmpty() const noexcept { return Width <= 0 || Height <= 0; }
    friend bool operator==(TSize, TSize) = default;
};

// The size a picture is shown at inside an area: its own size when it fits, otherwise scaled down
// with its aspect ratio kept until it does, the scaled side truncated (never below one pixel a
// side). 0 x 0 for an empty picture or area. The preview and the open dialog's pane both fit their
// pictures by it.
TSize FitPictureSize(TSize picture, TSize area) noexcept;

} // namespace tintwell
