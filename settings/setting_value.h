#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace tintwell {

// The tagged value the settings store reads and writes. The kinds, in the order of their index:
// empty, small integer, integer, byte, single, double, currency, date-time, boolean, text, word,
// long word, 64-bit integer, null.
struct TCurrency {
    std::int64_t Amount10000 = 0; // the amount times 10 000
    bool operator==(const TCurrency&) const = default;
};
struct TDateTime {
    double Value = 0; // days since 30 December 1899; the fraction is the time of day
    bool operator==(const TDateTime&) const = default;
};
struct TNull {
    bool operator==(const TNull&) const = default;
};

using TSettingValue =
    std::variant<std::monostate, std::int16_t, std::int32_t, std::uint8_t, float, double, TCurrency,
                 TDateTime, bool, std::string, std::uint16_t, std::uint32_t, std::int64_t, TNull>;

// The value as text: numbers in decimal ("." before a fraction, the shortest text that reads back
// the same), a boolean as "True" or "False", the empty and the null value as "".
std::string SettingText(const TSettingValue& value);

// The value as a signed 32-bit integer, as the placement restore reads it: the empty value is 0,
// a boolean 1 or 0, a text is read as StrToInt reads it, a fraction is rounded half to even.
// Raises EConvertError for a text that is not a whole number and for a value outside the range.
std::int32_t SettingToInteger(const TSettingValue& value);

} // namespace tintwell
