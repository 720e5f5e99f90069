#pragma once

#include <string>
#include <string_view>

#include "core/tcolor.h"

namespace tintwell {

// Resolves a system colour (a negative value, index in the low byte) through the system-colour
// table; any other value comes back unchanged, clNone included.
TColor ColorToRGB(TColor color) noexcept;

// The system-colour table that ColorToRGB reads. It starts with the platform's usual defaults;
// the application replaces entries from its palette at start-up. Returns the entry it replaced;
// indexes outside 0..255 are ignored and give clNone.
TColor SetSystemColor(int index, TColor rgb) noexcept;

// "#" and six upper-case hexadecimal digits for red, green, blue, after ColorToRGB.
std::string ColorToHTML(TColor color);

// The three bytes in decimal, comma-separated, no blanks: "0,128,255".
std::string ColorToRGBText(TColor color);

// Reads "#RRGGBB" in either case. Every rejection gives 0 (black), which the caller cannot tell
// from "#000000". One kind of text is not rejected but raises EConvertError: a blank or control
// character at either end of the six digits, which the character test strips but the hexadecimal
// conversion does not.
TColor HTMLToColor(std::string_view code);

// A character test, not a parse: the text stripped of codes <= 32 at both ends and upper-cased
// must be non-empty, contain "-" only as its first character (unless hexDigits) and be more than
// "-", and consist of digits plus, for hexDigits, A-F, or else the decimal separator and "-".
// Works on bytes; any byte >= 128 fails.
bool IsNumber(std::string_view text, bool hexDigits, char decimalSeparator);
bool IsNumber(std::string_view text, bool hexDigits);

// 255 - (c mod 255) per channel: a full channel stays full, so white and pure red invert to white.
TColor InvertColor(TColor color) noexcept;

// Per-channel sum, each channel capped at 255.
TColor AddColors(TColor a, TColor b) noexcept;

// The gray-correction modes, numbered as the main window's selector lists them.
enum class TGrayCorrectionMode { gcMaximized = 0, gcAverage = 1, gcPartial = 2 };

// The selector's item index as a mode; an index outside 0..2 is taken as gcMaximized.
TGrayCorrectionMode GrayCorrectionModeFromIndex(int index) noexcept;

// The gray RGB(k, k, k): k = 255 - max, max - ((r + g + b) div 3), or max - min.
TColor GrayCorrection(TColor color, TGrayCorrectionMode mode) noexcept;

// AddColors(I, GrayCorrection(I, mode)) with I = InvertColor(color).
TColor CorrectedInverse(TColor color, TGrayCorrectionMode mode) noexcept;

} // namespace tintwell
