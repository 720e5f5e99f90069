#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tintwell {

// Text to number, with the acceptance rules the input fields and the HTML reader rely on. These
// never consult the C locale: the decimal separator is passed in (or taken from FormatSettings()).
// Only the space character (code 32) counts as a blank; a tab is an ordinary, unacceptable byte.

// A whole number: leading blanks, an optional "+" or "-", then either decimal digits or "$" and
// hexadecimal digits (either case), and nothing after them, trailing blanks included. The value
// must fit a signed 32-bit integer. Anything else raises EConvertError
// "'<text>' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);
bool TryStrToInt(std::string_view text, std::int32_t& value) noexcept;

// A real number: blanks around it, an optional "+" or "-", digits with at most one decimal
// separator among them, and at least one digit ("5.", ".5" and "-.5" are read; "." is not). No
// exponent, no "inf" or "nan". A value too large for long double raises; one too small to
// represent becomes zero. Anything else raises EConvertError
// "'<text>' is not a valid floating point value".
long double StrToFloat(std::string_view text, char decimalSeparator);
long double StrToFloat(std::string_view text);
bool TryStrToFloat(std::string_view text, char decimalSeparator, long double& value) noexcept;

// 0..15 for a hexadecimal digit of either case, -1 for anything else.
int HexDigitValue(char c) noexcept;

// Decimal, no leading zeros, "-" for negatives; independent of any locale.
std::string IntToStr(long long value);

} // namespace tintwell
