#pragma once

#include <array>

#include "core/tcolor.h"

namespace tintwell {

// Hue in degrees (0..360), saturation and value in percent (0..100).
struct THSVColor {
    double Hue = 0;
    double Saturation = 0;
    double Value = 0;
    friend bool operator==(const THSVColor&, const THSVColor&) = default;
};

// Whole-number hue, saturation and value. Each is computed in extended precision, stored as a
// double, then rounded half to even; a raw hue of 359.5 or more becomes 360, never 0. The hue
// is kept when the saturation is nonzero but rounds to 0.
THSVColor ColorToHSV(TColor color) noexcept;

// The red, green and blue levels before they are packed, for callers that want to see whether a
// triple stays in range. Hue 360 is hue 0; hues outside 0..360 are wrapped into it; NaN counts as 0.
// For saturation and value within 0..100 every level lies within 0..255.
std::array<int, 3> HSVToChannels(const THSVColor& hsv) noexcept;

// HSVToChannels packed into a colour, each level limited to 0..255.
TColor HSVToColor(const THSVColor& hsv) noexcept;

// x limited to 0..100.
double ClampPercent(double x) noexcept;

} // namespace tintwell
