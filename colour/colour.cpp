#include "colour/colour.h"

#include <algorithm>
#include <array>
#include <utility>

#include "core/conversions.h"
#include "core/format_settings.h"

namespace tintwell {
namespace {

constexpr TColor RGBHex(std::uint32_t rrggbb) {
    return RGB(static_cast<int>(rrggbb >> 16), static_cast<int>((rrggbb >> 8) & 0xFF),
               static_cast<int>(rrggbb & 0xFF));
}

// The platform's default colours for the classic system-colour indexes, in their index order.
std::array<TColor, 256> DefaultSystemColors() {
    std::array<TColor, 256> table{};
    const std::uint32_t defaults[] = {
        0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
        0x000000, 0x000000, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x3399FF, 0xFFFFFF, 0xF0F0F0,
        0xA0A0A0, 0x6D6D6D, 0x000000, 0x434E54, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
        0xFFFFE1, 0x000000, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x3399FF, 0xF0F0F0,
    };
    for (std::size_t i = 0; i < std::size(defaults); ++i)
        table[i] = RGBHex(defaults[i]);
    return table;
}

std::array<TColor, 256>& SystemColors() {
    static std::array<TColor, 256> table = DefaultSystemColors();
    return table;
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHexByte(std::string& text, std::uint8_t value) {
    text += kHexDigits[value >> 4];
    text += kHexDigits[value & 0x0F];
}

bool IsStrippable(char c) { return static_cast<unsigned char>(c) <= 32; }

char ToUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

} // namespace

TColor ColorToRGB(TColor color) noexcept {
    if (color < 0)
        return SystemColors()[static_cast<std::uint32_t>(color) & 0xFFu];
    return color;
}

TColor SetSystemColor(int index, TColor rgb) noexcept {
    if (index < 0 || index >= 256)
        return clNone;
    return std::exchange(SystemColors()[static_cast<std::size_t>(index)], rgb);
}

std::string ColorToHTML(TColor color) {
    const TColor rgb = ColorToRGB(color);
    std::string html;
    html.reserve(7);
    html += '#';
    AppendHexByte(html, GetRValue(rgb));
    AppendHexByte(html, GetGValue(rgb));
    AppendHexByte(html, GetBValue(rgb));
    return html;
}

std::string ColorToRGBText(TColor color) {
    return IntToStr(GetRValue(color)) + ',' + IntToStr(GetGValue(color)) + ',' + IntToStr(GetBValue(color));
}

TColor HTMLToColor(std::string_view code) {
    if (code.size() != 7 || code[0] != '#' ||
        !IsNumber(code.substr(1), true, FormatSettings().DecimalSeparator))
        return 0;
    // Blue, green, red pairs, so that the number read is the colour value itself. IsNumber ran on
    // a stripped copy: a blank at either end got through and makes this conversion raise.
    std::string joined = "$";
    joined += code.substr(5, 2);
    joined += code.substr(3, 2);
    joined += code.substr(1, 2);
    return StrToInt(joined);
}

bool IsNumber(std::string_view text, bool hexDigits, char decimalSeparator) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsStrippable(text[begin]))
        ++begin;
    while (end > begin && IsStrippable(text[end - 1]))
        --end;
    const std::string_view stripped = text.substr(begin, end - begin);

    if (stripped.empty())
        return false;
    const std::size_t firstMinus = stripped.find('-');
    if (firstMinus != std::string_view::npos && firstMinus != 0)
        return false;
    if (stripped == "-")
        return false;
    for (const char raw : stripped) {
        const char c = ToUpperAscii(raw);
        if (c >= '0' && c <= '9')
            continue;
        if (hexDigits) {
            if (c >= 'A' && c <= 'F')
                continue;
        } else if (c == ToUpperAscii(decimalSeparator) || c == '-') {
            continue;
        }
        return false;
    }
    return true;
}

bool IsNumber(std::string_view text, bool hexDigits) {
    return IsNumber(text, hexDigits, FormatSettings().DecimalSeparator);
}

TColor InvertColor(TColor color) noexcept {
    const auto invert = [](int c) { return 255 - (c % 255); };
    return RGB(invert(GetRValue(color)), invert(GetGValue(color)), invert(GetBValue(color)));
}

TColor AddColors(TColor a, TColor b) noexcept {
    const auto add = [](int x, int y) { return std::min(x + y, 255); };
    return RGB(add(GetRValue(a), GetRValue(b)), add(GetGValue(a), GetGValue(b)),
               add(GetBValue(a), GetBValue(b)));
}

TGrayCorrectionMode GrayCorrectionModeFromIndex(int index) noexcept {
    switch (index) {
    case 1: return TGrayCorrectionMode::gcAverage;
    case 2: return TGrayCorrectionMode::gcPartial;
    default: return TGrayCorrectionMode::gcMaximized;
    }
}

TColor GrayCorrection(TColor color, TGrayCorrectionMode mode) noexcept {
    const int r = GetRValue(color);
    const int g = GetGValue(color);
    const int b = GetBValue(color);
    const int max = std::max({r, g, b});
    const int min = std::min({r, g, b});
    int k = 0;
    switch (mode) {
    case TGrayCorrectionMode::gcMaximized: k = 255 - max; break;
    case TGrayCorrectionMode::gcAverage: k = max - (r + g + b) / 3; break;
    case TGrayCorrectionMode::gcPartial: k = max - min; break;
    }
    return RGB(k, k, k);
}

TColor CorrectedInverse(TColor color, TGrayCorrectionMode mode) noexcept {
    const TColor inverse = InvertColor(color);
    return AddColors(inverse, GrayCorrection(inverse, mode));
}

} // namespace tintwell
