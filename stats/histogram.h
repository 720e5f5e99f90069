#pragma once

#include <array>
#include <cstdint>

#include "core/bitmap_view.h"
#include "core/exception.h"

namespace tintwell {

// What GetHistogram counts for each pixel. The numeric values are part of the interface: callers
// pass 1, 2 and 3 for red, green and blue. The level of each plane is given with PlaneLevel
// (pixel_planes.h).
enum class TPixelPlane : int {
    ppGray = 0,          // (R + G + B) div 3, the same as ppIntensity
    ppRed = 1,           // R
    ppGreen = 2,         // G
    ppBlue = 3,          // B
    ppHsvHue = 4,        // MulDiv(H, 255, 359), H of RGBToHSVInt
    ppHsvSaturation = 5, // S of RGBToHSVInt
    ppHsvValue = 6,      // V of RGBToHSVInt, max(R, G, B)
    ppHlsHue = 7,        // MulDiv(H, 255, 360), H of RGBToHLSInt (0 for a gray pixel)
    ppHlsLightness = 8,  // (min + max) div 2 on the bytes
    ppHlsSaturation = 9, // S of RGBToHLSInt
    ppCyan = 10,         // C of RGBToCMYK
    ppMagenta = 11,      // M of RGBToCMYK
    ppYellow = 12,       // Y of RGBToCMYK
    ppBlack = 13,        // K of RGBToCMYK
    ppIntensity = 14,    // (R + G + B) div 3
    ppLuminance = 15,    // (77 R + 150 G + 29 B) shr 8; white gives 255
};

inline constexpr int kPixelPlaneCount = 16;

// Raised by GetHistogram when it cannot count a bitmap; the message starts with "GetHistogram:".
class EHistogramError : public Exception {
public:
    using Exception::Exception;
};

// The nine results of THistogram::GetStatistics, in the order the operation defines them.
struct THistogramStatistics {
    std::int32_t N;           // sum of all counters
    std::uint8_t Minimum;     // lowest occupied level; 255 for an empty histogram
    std::uint8_t Maximum;     // highest occupied level; 0 for an empty histogram
    std::uint8_t Mode;        // most frequent level, the lowest one on a tie; 255 when empty
    std::uint8_t Median;      // half-count level, see GetStatistics
    double Mean;              // 0 when N = 0
    double StandardDeviation; // sample deviation (divisor N - 1); 0 when N < 2
    double Skewness;          // M3 / V^1.5 with V the population variance; 0 when N < 2 or V = 0
    double Kurtosis;          // M4 / V^2, 3 not subtracted; 0 when N < 2 or V = 0
};

// 256 counters, one per level; the counters are the whole state.
class THistogram {
public:
    THistogram() noexcept { Clear(); }

    void Clear() noexcept { Counts.fill(0); }

    // No overflow check: GetHistogram never counts 2^31 samples, other callers must not either.
    void Increment(std::uint8_t level) noexcept { ++Counts[level]; }

    // Reduces the counters; changes nothing. Counts must be non-negative and sum to less than 2^31
    // (GetHistogram guarantees both); other counter values still give finite results, but N then
    // no longer means anything.
    //
    // Median is the smallest level, not below Minimum and at most 255, with at least N div 2
    // samples strictly below it: two samples at 100 give 101, not 100. With N <= 1 it is Minimum.
    // The real outputs are computed in long double and stored to double, Mean first, and the later
    // outputs use the stored Mean; the figures are therefore the same to the last bit everywhere
    // long double is the x87 extended type.
    THistogramStatistics GetStatistics() const noexcept;

    std::array<std::int32_t, 256> Counts;
};

// Clears Histogram and counts one level per pixel of Bitmap for Plane; the counters then sum to
// width x height. A bitmap with a width or height of 0 or less counts nothing.
//
// Raises EHistogramError "GetHistogram:  Bitmap must be 24-bit." when the pixel format is not
// pf24bit, and "GetHistogram:  Bitmap has too many pixels." when the bitmap holds 2^31 pixels or
// more (the 32-bit counters could overflow); std::invalid_argument for a Plane outside 0..15.
// Every check comes before the clearing, so on an error the histogram keeps its counters.
void GetHistogram(const TBitmapView& bitmap, TPixelPlane plane, THistogram& histogram);

// The red, green and blue histograms of the bitmap, exactly as GetHistogram fills them for
// ppRed, ppGreen and ppBlue, counted in one pass over the rows instead of three. Raises as
// GetHistogram does, before clearing anything.
void GetChannelHistograms(const TBitmapView& bitmap, THistogram& red, THistogram& green, THistogram& blue);

// For a picture counted in parts (bands of rows): add the levels of a 24-bit bitmap's pixels to
// the counters, without clearing them and without GetHistogram's checks; the caller keeps the
// total below 2^31. std::invalid_argument for a plane outside 0..15.
void AddToHistogram(const TBitmapView& bitmap, TPixelPlane plane, THistogram& histogram);
void AddToChannelHistograms(const TBitmapView& bitmap, THistogram& red, THistogram& green,
                            THistogram& blue) noexcept;

} // namespace tintwell
