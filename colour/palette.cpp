#include "colour/palette.h"

#include <cmath>

namespace tintwell {

std::array<THSVColor, 5> BuildPaletteHSV(const THSVColor& base) noexcept {
    const double H = base.Hue;
    const double S = base.Saturation;
    const double V = base.Value;
    const double movedValue = V > 70 ? V - 30 : V + 30;

    // Each band includes its lower bound; the bounds and offsets decide which colours the user
    // sees, so they stand here exactly as designed.
    THSVColor a;
    THSVColor b;
    if (H < 30) {
        a = {H + 20, S, V};
        b = {H + 20, S, movedValue};
    } else if (H < 60) {
        a = {H + 150, ClampPercent(S - 30), ClampPercent(V - 20)};
        b = {H + 150, ClampPercent(S - 70), ClampPercent(V + 20)};
    } else if (H < 180) {
        a = {H - 40, S, V};
        b = {H - 40, S, movedValue};
    } else if (H < 220) {
        a = {H - 160, S, V};
        b = {H - 170, S, movedValue};
    } else if (H < 300) {
        a = {H, ClampPercent(S - 60), V};
        b = {H, ClampPercent(S - 60), movedValue};
    } else {
        const double hue = std::fmod(H + 20, 360.0);
        const double saturation = S > 50 ? S - 40 : S + 40;
        a = {hue, saturation, V};
        b = {hue, saturation, movedValue};
    }

    return {THSVColor{H, S, movedValue}, a, b, THSVColor{0, 0, 100 - V}, THSVColor{0, 0, V}};
}

TColorScheme BuildPalette(TColor color) noexcept {
    const std::array<THSVColor, 5> hsv = BuildPaletteHSV(ColorToHSV(color));
    return TColorScheme{color,
                        HSVToColor(hsv[0]),
                        HSVToColor(hsv[1]),
                        HSVToColor(hsv[2]),
                        HSVToColor(hsv[3]),
                        HSVToColor(hsv[4])};
}

} // namespace tintwell
