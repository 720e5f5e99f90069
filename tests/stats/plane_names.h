#pragma once

#include <iterator>
#include <ostream>

#include "stats/histogram.h"

namespace tintwell {

// Lets the tests print planes by name in failure messages and parameter lists.
inline const char* PlaneName(TPixelPlane plane) {
    static const char* const kNames[] = {"ppGray",         "ppRed",           "ppGreen",     "ppBlue",
                                         "ppHsvHue",       "ppHsvSaturation", "ppHsvValue",  "ppHlsHue",
                                         "ppHlsLightness", "ppHlsSaturation", "ppCyan",      "ppMagenta",
                                         "ppYellow",       "ppBlack",         "ppIntensity", "ppLuminance"};
    static_assert(std::size(kNames) == kPixelPlaneCount);
    const int index = static_cast<int>(plane);
    return index >= 0 && index < kPixelPlaneCount ? kNames[index] : "ppUnknown";
}

inline void PrintTo(TPixelPlane plane, std::ostream* os) { *os << PlaneName(plane); }

} // namespace tintwell
