#include "colour/hsv.h"

#include <algorithm>
#include <cmath>

namespace tintwell {
namespace {

// Rounds half to even (the default rounding mode; rintl is one instruction, where nearbyintl
// and lrintl are library calls). Bounded first, so that a NaN or a huge
// value from a caller outside the documented ranges cannot make the conversion undefined.
int RoundHalfEven(long double x) noexcept {
    if (std::isnan(x))
        return 0;
    return static_cast<int>(std::rintl(std::clamp(x, -1e9L, 1e9L)));
}

} // namespace

// Every intermediate below is formed in long double (64-bit significand) and stored as a double
// where the value is named; the palette depends on those exact roundings.
THSVColor ColorToHSV(TColor color) noexcept {
    const int r = GetRValue(color);
    const int g = GetGValue(color);
    const int b = GetBValue(color);
    const int max = std::max({r, g, b});
    const int min = std::min({r, g, b});
    const int delta = max - min;

    const double value = static_cast<double>(static_cast<long double>(max * 100) / 255.0L);
    const double saturation =
        max == 0 ? 0.0 : static_cast<double>(static_cast<long double>(delta * 100) / max);
    double hue = 0;
    if (saturation != 0) {
        // Red wins a tie for the largest channel over green, green over blue.
        if (max == r)
            hue = static_cast<double>(static_cast<long double>((g - b) * 60) / delta);
        else if (max == g)
            hue = static_cast<double>(static_cast<long double>((b - r) * 60) / delta + 120.0L);
        else
            hue = static_cast<double>(static_cast<long double>((r - g) * 60) / delta + 240.0L);
        if (hue < 0)
            hue = static_cast<double>(static_cast<long double>(hue) + 360.0L);
    }
    return THSVColor{std::rint(hue), std::rint(saturation), std::rint(value)};
}

std::array<int, 3> HSVToChannels(const THSVColor& hsv) noexcept {
    if (hsv.Saturation == 0) {
        // 2.55 as an extended constant: as a double it is a hair below 2.55 and gives 127 for 50.
        const int k = RoundHalfEven(static_cast<long double>(hsv.Value) * 2.55L);
        return {k, k, k};
    }
    const double s = static_cast<double>(static_cast<long double>(hsv.Saturation) / 100.0L);
    const double v = static_cast<double>(static_cast<long double>(hsv.Value) / 100.0L);
    double hue = std::isnan(hsv.Hue) ? 0.0 : hsv.Hue;
    if (hue < 0 || hue > 360)
        hue = std::fmod(std::fmod(hue, 360.0) + 360.0, 360.0);
    if (hue == 360)
        hue = 0;
    const double h = static_cast<double>(static_cast<long double>(hue) / 60.0L);
    const double sector = std::floor(h);
    const double f = static_cast<double>(static_cast<long double>(h) - sector);
    const double p = static_cast<double>((1.0L - s) * v);
    const double q = static_cast<double>((1.0L - static_cast<long double>(s) * f) * v);
    const double t = static_cast<double>((1.0L - (1.0L - f) * s) * v);

    double red = 0;
    double green = 0;
    double blue = 0;
    switch (static_cast<int>(sector)) {
    case 0: red = v, green = t, blue = p; break;
    case 1: red = q, green = v, blue = p; break;
    case 2: red = p, green = v, blue = t; break;
    case 3: red = p, green = q, blue = v; break;
    case 4: red = t, green = p, blue = v; break;
    default: red = v, green = p, blue = q; break;
    }
    // A double times 255 has at most 61 significant bits: exact in long double, so the rounding
    // sees the true product (the palette of #0080FF depends on it).
    return {RoundHalfEven(static_cast<long double>(red) * 255.0L),
            RoundHalfEven(static_cast<long double>(green) * 255.0L),
            RoundHalfEven(static_cast<long double>(blue) * 255.0L)};
}

TColor HSVToColor(const THSVColor& hsv) noexcept {
    const std::array<int, 3> levels = HSVToChannels(hsv);
    return RGB(std::clamp(levels[0], 0, 255), std::clamp(levels[1], 0, 255), std::clamp(levels[2], 0, 255));
}

double ClampPercent(double x) noexcept {
    if (x < 0)
        return 0;
    if (x > 100)
        return 100;
    return x;
}

} // namespace tintwell
