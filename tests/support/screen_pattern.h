#pragma once

#include <QColor>

#include "core/tcolor.h"

namespace tintwell::test {

// The pattern the picker tests put on their screens: each pixel's colour encodes its coordinates
// (the low bytes of x and y in red and green, their high bits in blue), so a colour names the one
// pixel it came from on screens up to 4096 pixels wide and high.
inline QRgb Encoded(int x, int y) { return qRgb(x & 0xff, y & 0xff, ((x >> 8) << 4) | (y >> 8)); }
inline TColor EncodedColor(int x, int y) {
    const QRgb rgb = Encoded(x, y);
    return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

} // namespace tintwell::test
