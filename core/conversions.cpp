#include "core/conversions.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "core/exception.h"
#include "core/format_settings.h"
#include "core/resource_text.h"

namespace tintwell {
namespace {

constexpr char kBlank = ' ';

bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

bool TryStrToInt(std::string_view text, std::int32_t& value) noexcept {
    std::size_t i = 0;
    while (i < text.size() && text[i] == kBlank)
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const bool hex = i < text.size() && text[i] == '$';
    if (hex)
        ++i;
    if (i == text.size())
        return false;

    // The magnitude may reach 2^31 for a negative number; past the limit we only keep checking
    // that the rest is made of digits, so a long run of digits cannot overflow the accumulator.
    const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
    const std::uint64_t base = hex ? 16 : 10;
    std::uint64_t magnitude = 0;
    bool tooLarge = false;
    for (; i < text.size(); ++i) {
        const int digit = hex ? HexDigitValue(text[i]) : (IsDecimalDigit(text[i]) ? text[i] - '0' : -1);
        if (digit < 0)
            return false;
        if (!tooLarge) {
            magnitude = magnitude * base + static_cast<std::uint64_t>(digit);
            tooLarge = magnitude > limit;
        }
    }
    if (tooLarge)
        return false;
    value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                     : static_cast<std::int32_t>(magnitude);
    return true;
}

std::int32_t StrToInt(std::string_view text) {
    std::int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError(FormatText(ResString("'%s' is not a valid integer value"), {text}));
    return value;
}

bool TryStrToFloat(std::string_view text, char decimalSeparator, long double& value) noexcept {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] == kBlank)
        ++begin;
    while (end > begin && text[end - 1] == kBlank)
        --end;

    // Rebuild the number in the one spelling from_chars reads, whatever the separator is.
    std::string normalized;
    normalized.reserve(end - begin + 1);
    std::size_t i = begin;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-')
            normalized += '-';
        ++i;
    }
    bool seenSeparator = false;
    bool seenDigit = false;
    bool nonZeroBeforeSeparator = false;
    for (; i < end; ++i) {
        const char c = text[i];
        if (IsDecimalDigit(c)) {
            seenDigit = true;
            if (!seenSeparator && c != '0')
                nonZeroBeforeSeparator = true;
            normalized += c;
        } else if (c == decimalSeparator && !seenSeparator) {
            seenSeparator = true;
            normalized += '.';
        } else {
            return false;
        }
    }
    if (!seenDigit)
        return false;

    long double parsed = 0;
    const char* first = normalized.data();
    const char* last = first + normalized.size();
    const auto [ptr, ec] = std::from_chars(first, last, parsed, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
        // Too many leading zeros after the separator: the value is below the smallest
        // representable one, and zero is the honest answer. A large integer part is an error.
        if (nonZeroBeforeSeparator)
            return false;
        parsed = normalized.front() == '-' ? -0.0L : 0.0L;
    } else if (ec != std::errc() || ptr != last) {
        return false;
    }
    value = parsed;
    return true;
}

long double StrToFloat(std::string_view text, char decimalSeparator) {
    long double value = 0;
    if (!TryStrToFloat(text, decimalSeparator, value))
        throw EConvertError(FormatText(ResString("'%s' is not a valid floating point value"), {text}));
    return value;
}

long double StrToFloat(std::string_view text) { return StrToFloat(text, FormatSettings().DecimalSeparator); }

int HexDigitValue(char c) noexcept {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string IntToStr(long long value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace tintwell
