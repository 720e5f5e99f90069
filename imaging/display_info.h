#pragma once

namespace tintwell {

// What the loaders need to know of the display: its colour depth (bits per pixel times planes),
// which decides whether JPEGs are quantized, and its logical resolution, the default for rasters
// whose file names none. Set once at start-up from the platform services; imaging never asks the
// display itself. tintwell-cli keeps the defaults, so it agrees with the window on a normal display.
struct TDisplayInfo {
    int BitsPerPixel = 24;
    int DpiX = 96;
    int DpiY = 96;
};

// The setter returns what it replaced.
const TDisplayInfo& DisplayInfo() noexcept;
TDisplayInfo SetDisplayInfo(const TDisplayInfo& info) noexcept;

} // namespace tintwell
