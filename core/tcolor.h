#pragma once

#include <cstdint>

namespace tintwell {

// A colour value: red in bits 0-7, green in 8-15, blue in 16-23. The top byte is 0 for a plain
// RGB colour; negative values name system colours (index in the low byte) and mean something only
// after ColorToRGB has resolved them. It lives in core because both the colour model and the
// image statistics speak it.
using TColor = std::int32_t;

// The classic system-colour indexes: the low byte of a system colour, and what SetSystemColor
// and the platform's SystemColor take.
inline constexpr int COLOR_WINDOW = 5;
inline constexpr int COLOR_WINDOWTEXT = 8;
inline constexpr int COLOR_HIGHLIGHT = 13;
inline constexpr int COLOR_HIGHLIGHTTEXT = 14;
inline constexpr int COLOR_BTNFACE = 15;
inline constexpr int COLOR_BTNSHADOW = 16;
inline constexpr int COLOR_GRAYTEXT = 17;
inline constexpr int COLOR_BTNTEXT = 18;
inline constexpr int COLOR_BTNHIGHLIGHT = 20;
inline constexpr int COLOR_INFOTEXT = 23;
inline constexpr int COLOR_INFOBK = 24;
inline constexpr int COLOR_HOTLIGHT = 26;

// The system colour of an index: the top byte set, the index in the low byte.
constexpr TColor SystemColorOf(int index) noexcept {
    return static_cast<TColor>(0xFF000000u | (static_cast<std::uint32_t>(index) & 0xFFu));
}

inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clGrayText = SystemColorOf(COLOR_GRAYTEXT);

// Only the low 8 bits of each argument count.
constexpr TColor RGB(int r, int g, int b) noexcept {
    return static_cast<TColor>((static_cast<std::uint32_t>(r) & 0xFFu) |
                               ((static_cast<std::uint32_t>(g) & 0xFFu) << 8) |
                               ((static_cast<std::uint32_t>(b) & 0xFFu) << 16));
}
constexpr std::uint8_t GetRValue(TColor c) noexcept {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(c));
}
constexpr std::uint8_t GetGValue(TColor c) noexcept {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(c) >> 8);
}
constexpr std::uint8_t GetBValue(TColor c) noexcept {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(c) >> 16);
}

} // namespace tintwell
