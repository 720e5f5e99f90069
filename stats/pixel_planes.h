#pragma once

#include <cstdint>

#include "stats/histogram.h"

namespace tintwell {

// a * b / c rounded to the nearest integer, halves away from zero (the Windows MulDiv rule): the
// product is exact in 64 bits, so no argument pair overflows. c must be positive; c <= 0 raises
// std::invalid_argument.
std::int64_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

struct THSVInt {
    int H; // hue in degrees, 0..359; 0 when S = 0
    int S; // 0..255
    int V; // max(R, G, B), 0..255
};

// Integer HSV. When two components share the maximum the first of red, green, blue picks the
// hue formula (all three give the same hue there).
THSVInt RGBToHSVInt(std::uint8_t R, std::uint8_t G, std::uint8_t B) noexcept;

struct THLSReal {
    float H; // hue in degrees, 0..360 (a negative hue close to 0 can round up to 360); NaN for a gray
    float L; // lightness, 0..1
    float S; // saturation, 0..1; 0 for a gray
};

// HLS of r, g, b in 0..1. Every step is evaluated in long double and stored to float; float-only
// arithmetic would differ in the last bit often enough to move integer levels. Inputs outside
// 0..1 go through the same formulas unchecked.
THLSReal RGBToHLSReal(float r, float g, float b) noexcept;

struct THLSInt {
    int H; // 0..360; 0 for a gray pixel
    int L; // 0..255
    int S; // 0..255
};

// RGBToHLSReal of R/255, G/255, B/255 (each rounded to float), then H, 255 L and 255 S rounded to
// the nearest integer with halves to even.
THLSInt RGBToHLSInt(std::uint8_t R, std::uint8_t G, std::uint8_t B) noexcept;

struct TCMYK {
    int C; // 0..255
    int M;
    int Y;
    int K; // min(255 - R, 255 - G, 255 - B); C, M, Y are what remains after it
};

TCMYK RGBToCMYK(std::uint8_t R, std::uint8_t G, std::uint8_t B) noexcept;

// The level that GetHistogram counts for one pixel in the given plane (see TPixelPlane).
// std::invalid_argument for a plane outside 0..15.
std::uint8_t PlaneLevel(TPixelPlane plane, std::uint8_t R, std::uint8_t G, std::uint8_t B);

} // namespace tintwell
