#pragma once

#include <array>

#include "colour/hsv.h"
#include "core/tcolor.h"

namespace tintwell {

// A colour and the five colours that go with it.
struct TColorScheme {
    TColor BaseColor = 0;
    TColor Scheme1 = 0;
    TColor Scheme2 = 0;
    TColor Scheme3 = 0;
    TColor Scheme4 = 0;
    TColor Scheme5 = 0;

    std::array<TColor, 5> Schemes() const { return {Scheme1, Scheme2, Scheme3, Scheme4, Scheme5}; }
};

// The HSV triples of Scheme1 to Scheme5 for a colour whose ColorToHSV is base. For whole-number
// input within range every field is a whole number, hues lie in 0..359 and percentages in 0..100.
std::array<THSVColor, 5> BuildPaletteHSV(const THSVColor& base) noexcept;

// Scheme1 moves the value by 30; Scheme2 and Scheme3 move hue, saturation or value by amounts
// that depend on the hue band; Scheme4 and Scheme5 are the grays of the inverted and the plain value.
TColorScheme BuildPalette(TColor color) noexcept;

} // namespace tintwell
