#pragma once

// Inline pixel conversions shared by the public wrappers and by the pixel loops of GetHistogram,
// which need them inlined per plane. Not part of the library's interface.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <type_traits>
#include <utility>

#include "stats/histogram.h"
#include "stats/pixel_planes.h"

namespace tintwell::detail {

// Precondition c > 0 (checked by the public MulDiv; every internal caller passes a positive c).
constexpr std::int64_t MulDivUnchecked(std::int64_t a, std::int64_t b, std::int64_t c) noexcept {
    const std::int64_t product = a * b;
    return product >= 0 ? (product + c / 2) / c : -((-product + c / 2) / c);
}

// MulDiv for the hue arithmetic, whose results are small enough for int.
constexpr int MulDivInt(int a, int b, int c) noexcept { return static_cast<int>(MulDivUnchecked(a, b, c)); }

constexpr THSVInt HSVInt(int R, int G, int B) noexcept {
    const int mx = std::max({R, G, B});
    const int mn = std::min({R, G, B});
    const int d = mx - mn;
    const int s = mx == 0 ? 0 : MulDivInt(d, 255, mx);
    if (s == 0)
        return {0, 0, mx};
    int h;
    if (R == mx)
        h = MulDivInt(G - B, 60, d);
    else if (G == mx)
        h = MulDivInt(B - R, 60, d) + 120;
    else
        h = MulDivInt(R - G, 60, d) + 240;
    if (h < 0)
        h += 360;
    return {h, s, mx};
}

// Each step is one long double expression stored to float. The levels this program has always
// counted come from extended-precision steps with single-precision variables; float-only steps
// move the HLS hue or saturation level of about 78,000 of the 2^24 colours.
inline THLSReal HLSReal(float r, float g, float b) noexcept {
    using X = long double;
    const float mx = std::max({r, g, b});
    const float mn = std::min({r, g, b});
    const float l = static_cast<float>((X{mx} + mn) / 2);
    if (mx == mn)
        return {std::numeric_limits<float>::quiet_NaN(), l, 0.0f};
    const float d = static_cast<float>(X{mx} - mn);
    const float s =
        l <= 0.5f ? static_cast<float>(d / (X{mx} + mn)) : static_cast<float>(d / (2 - (X{mx} + mn)));
    float h;
    if (r == mx)
        h = static_cast<float>((X{g} - b) * 60 / d);
    else if (g == mx)
        h = static_cast<float>((X{b} - r) * 60 / d + 120);
    else
        h = static_cast<float>((X{r} - g) * 60 / d + 240);
    if (h < 0)
        h = static_cast<float>(X{h} + 360);
    return {h, l, s};
}

// Exact halves go to the even neighbour under the default rounding mode. rintl compiles to one
// instruction; nearbyintl and lrintl are library calls, ten to forty times slower per pixel.
inline int RoundHalfEven(long double x) noexcept { return static_cast<int>(std::rintl(x)); }

inline THLSInt HLSInt(int R, int G, int B) noexcept {
    using X = long double;
    const THLSReal hls =
        HLSReal(static_cast<float>(static_cast<X>(R) / 255), static_cast<float>(static_cast<X>(G) / 255),
                static_cast<float>(static_cast<X>(B) / 255));
    const int h = std::isnan(hls.H) ? 0 : RoundHalfEven(hls.H);
    return {h, RoundHalfEven(255 * X{hls.L}), RoundHalfEven(255 * X{hls.S})};
}

constexpr TCMYK CMYK(int R, int G, int B) noexcept {
    const int c = 255 - R;
    const int m = 255 - G;
    const int y = 255 - B;
    const int k = std::min({c, m, y});
    return {c - k, m - k, y - k, k};
}

// The level of one pixel before the range guard, R, G and B being bytes.
template <TPixelPlane P> inline int RawPlaneLevel(int R, int G, int B) noexcept {
    using enum TPixelPlane;
    if constexpr (P == ppGray || P == ppIntensity)
        return (R + G + B) / 3;
    else if constexpr (P == ppRed)
        return R;
    else if constexpr (P == ppGreen)
        return G;
    else if constexpr (P == ppBlue)
        return B;
    else if constexpr (P == ppHsvHue)
        return MulDivInt(HSVInt(R, G, B).H, 255, 359);
    else if constexpr (P == ppHsvSaturation)
        return HSVInt(R, G, B).S;
    else if constexpr (P == ppHsvValue)
        return std::max({R, G, B});
    else if constexpr (P == ppHlsHue)
        return MulDivInt(HLSInt(R, G, B).H, 255, 360);
    else if constexpr (P == ppHlsLightness)
        return (std::min({R, G, B}) + std::max({R, G, B})) / 2;
    else if constexpr (P == ppHlsSaturation)
        return HLSInt(R, G, B).S;
    else if constexpr (P == ppCyan)
        return CMYK(R, G, B).C;
    else if constexpr (P == ppMagenta)
        return CMYK(R, G, B).M;
    else if constexpr (P == ppYellow)
        return CMYK(R, G, B).Y;
    else if constexpr (P == ppBlack)
        return CMYK(R, G, B).K;
    else {
        static_assert(P == ppLuminance);
        return (77 * R + 150 * G + 29 * B) >> 8;
    }
}

// A level outside 0..255 counts at 0. No plane produces one today; the guard keeps a faulty
// level computation from writing outside the counters, and for the byte planes the compiler
// removes it.
template <TPixelPlane P> inline std::uint8_t PlaneLevelOf(int R, int G, int B) noexcept {
    const int level = RawPlaneLevel<P>(R, G, B);
    return static_cast<std::uint8_t>(level < 0 || level > 255 ? 0 : level);
}

template <typename F, int... I>
bool DispatchPlaneOver(TPixelPlane plane, F& f, std::integer_sequence<int, I...>) {
    return ((static_cast<int>(plane) == I
                 ? (f(std::integral_constant<TPixelPlane, static_cast<TPixelPlane>(I)>{}), true)
                 : false) ||
            ...);
}

// Calls f once with std::integral_constant<TPixelPlane, P> for the given plane, so that the
// choice is made once per call and the work is instantiated with its level computation inlined.
// Returns false, without calling f, for a value outside the enumeration.
template <typename F> bool DispatchPlane(TPixelPlane plane, F&& f) {
    return DispatchPlaneOver(plane, f, std::make_integer_sequence<int, kPixelPlaneCount>{});
}

} // namespace tintwell::detail
