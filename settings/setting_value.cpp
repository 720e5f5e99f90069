#include "settings/setting_value.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/conversions.h"
#include "core/exception.h"
#include "core/resource_text.h"

namespace tintwell {
namespace {

template <class... Ts> struct TOverloaded : Ts... { using Ts::operator()...; };

template <class TFloat> std::string ShortestText(TFloat value) {
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

// The message StrToInt gives, so that a number out of range reads like a text that is no number.
[[noreturn]] void OutOfRange(const std::string& text) {
    throw EConvertError(FormatText(ResString("'%s' is not a valid integer value"), {text}));
}

std::int32_t RoundToInteger(double value) {
    const double rounded = std::nearbyint(value); // the default rounding mode: half to even
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max())) {
        char digits[400]; // the largest double has 309 digits before the point
        const auto [end, error] =
            std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed);
        OutOfRange(error == std::errc() ? std::string(digits, end) : ShortestText(value));
    }
    return static_cast<std::int32_t>(rounded);
}

std::int32_t CheckedInteger(long long value) {
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        OutOfRange(IntToStr(value));
    return static_cast<std::int32_t>(value);
}

} // namespace

std::string SettingText(const TSettingValue& value) {
    return std::visit(TOverloaded{
                          [](std::monostate) { return std::string(); },
                          [](TNull) { return std::string(); },
                          [](bool b) { return std::string(b ? "True" : "False"); },
                          [](const std::string& text) { return text; },
                          [](float f) { return ShortestText(f); },
                          [](double d) { return ShortestText(d); },
                          [](TDateTime d) { return ShortestText(d.Value); },
                          [](TCurrency c) {
                              // Four decimal places at most, trailing zeros dropped: 12.5, not 12.5000.
                              const long long whole = c.Amount10000 / 10000;
                              long long fraction = c.Amount10000 % 10000;
                              std::string text = (c.Amount10000 < 0 && whole == 0) ? "-0" : IntToStr(whole);
                              if (fraction == 0)
                                  return text;
                              fraction = fraction < 0 ? -fraction : fraction;
                              std::string digits = std::to_string(fraction + 10000).substr(1);
                              while (digits.back() == '0')
                                  digits.pop_back();
                              return text + "." + digits;
                          },
                          [](auto integer) { return IntToStr(static_cast<long long>(integer)); },
                      },
                      value);
}

std::int32_t SettingToInteger(const TSettingValue& value) {
    return std::visit(TOverloaded{
                          [](std::monostate) { return std::int32_t{0}; },
                          [](TNull) { return std::int32_t{0}; },
                          [](bool b) { return std::int32_t{b ? 1 : 0}; },
                          [](const std::string& text) { return StrToInt(text); },
                          [](float f) { return RoundToInteger(f); },
                          [](double d) { return RoundToInteger(d); },
                          [](TDateTime d) { return RoundToInteger(d.Value); },
                          [](TCurrency c) {
                              // Half to even on the fixed-point amount, without going through a double.
                              long long whole = c.Amount10000 / 10000;
                              const long long rest = c.Amount10000 % 10000;
                              if (rest > 5000 || (rest == 5000 && (whole % 2) != 0))
                                  ++whole;
                              else if (rest < -5000 || (rest == -5000 && (whole % 2) != 0))
                                  --whole;
                              return CheckedInteger(whole);
                          },
                          [](std::uint32_t u) { return CheckedInteger(static_cast<long long>(u)); },
                          [](std::int64_t i) { return CheckedInteger(i); },
                          [](auto integer) { return static_cast<std::int32_t>(integer); },
                      },
                      value);
}

} // namespace tintwell
