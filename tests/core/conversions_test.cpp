#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <ostream>
#include <string>

#include "core/conversions.h"
#include "core/exception.h"

namespace tintwell {
namespace {

struct IntCase {
    const char* name;
    std::string text;
    std::optional<std::int32_t> expected; // nullopt: the text must be refused
};
void PrintTo(const IntCase& c, std::ostream* os) { *os << c.name << " '" << c.text << "'"; }

const IntCase kIntCases[] = {
    {"zero", "0", 0},
    {"seven", "7", 7},
    {"leading_zeros", "007", 7},
    {"top_channel", "255", 255},
    {"leading_blanks", "  12", 12},
    {"minus", "-12", -12},
    {"plus", "+12", 12},
    {"minus_zero", "-0", 0},
    {"hex_upper", "$FF", 255},
    {"hex_lower", "$ff", 255},
    {"hex_colour", "$0080FF", 0x0080FF},
    {"hex_negative", "-$10", -16},
    {"blank_then_hex", " $1A", 26},
    {"int_max", "2147483647", 2147483647},
    {"int_min", "-2147483648", -2147483647 - 1},
    {"many_leading_zeros", std::string(5000, '0') + "1", 1},
    {"empty", "", std::nullopt},
    {"blank_only", " ", std::nullopt},
    {"sign_only", "-", std::nullopt},
    {"plus_only", "+", std::nullopt},
    {"dollar_only", "$", std::nullopt},
    {"trailing_blank", "5 ", std::nullopt},
    {"inner_blank", "1 2", std::nullopt},
    {"leading_tab", "\t12", std::nullopt},
    {"decimal_point", "1.0", std::nullopt},
    {"two_minus", "--1", std::nullopt},
    {"sign_after_dollar", "$-1", std::nullopt},
    {"hex_without_dollar", "FF", std::nullopt},
    {"c_hex_prefix", "0x10", std::nullopt},
    {"trailing_letter", "12a", std::nullopt},
    {"one_past_max", "2147483648", std::nullopt},
    {"one_below_min", "-2147483649", std::nullopt},
    {"hex_past_max", "$80000000", std::nullopt},
    {"very_long", std::string(10000, '9'), std::nullopt},
    {"fullwidth_digits", "\xEF\xBC\x91\xEF\xBC\x92", std::nullopt},
    {"latin1_byte", "1\xB2", std::nullopt},
    {"embedded_nul",
     std::string("1\0"
                 "2",
                 3),
     std::nullopt},
    {"control_char", "1\x01", std::nullopt},
};

class StrToIntTable : public ::testing::TestWithParam<IntCase> {};

TEST_P(StrToIntTable, AcceptsExactlyTheWholeNumberForms) {
    const IntCase& c = GetParam();
    std::int32_t value = -99;
    EXPECT_EQ(TryStrToInt(c.text, value), c.expected.has_value());
    if (c.expected) {
        EXPECT_EQ(value, *c.expected);
        EXPECT_EQ(StrToInt(c.text), *c.expected);
    } else {
        EXPECT_EQ(value, -99) << "a refused text must leave the output alone";
        try {
            StrToInt(c.text);
            ADD_FAILURE() << "no error raised";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + c.text + "' is not a valid integer value");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, StrToIntTable, ::testing::ValuesIn(kIntCases),
                         [](const auto& row) { return std::string(row.param.name); });

struct FloatCase {
    const char* name;
    std::string text;
    char separator;
    std::optional<long double> expected;
};
void PrintTo(const FloatCase& c, std::ostream* os) {
    *os << c.name << " '" << c.text << "' separator '" << c.separator << "'";
}

const FloatCase kFloatCases[] = {
    {"zero", "0", '.', 0.0L},
    {"fraction", "1.5", '.', 1.5L},
    {"whole_with_point", "1.0", '.', 1.0L},
    {"trailing_point", "5.", '.', 5.0L},
    {"leading_point", ".5", '.', 0.5L},
    {"minus_leading_point", "-.5", '.', -0.5L},
    {"blanks_around", "  12  ", '.', 12.0L},
    {"trailing_blank", "5 ", '.', 5.0L},
    {"plus", "+3", '.', 3.0L},
    {"leading_zeros", "007", '.', 7.0L},
    {"comma_separator", "1,5", ',', 1.5L},
    {"tenth_rounds_once", "0.1", '.', 0.1L},
    {"below_smallest_is_zero", "0." + std::string(6000, '0') + "1", '.', 0.0L},
    {"empty", "", '.', std::nullopt},
    {"blank_only", "   ", '.', std::nullopt},
    {"point_only", ".", '.', std::nullopt},
    {"sign_point", "+.", '.', std::nullopt},
    {"sign_only", "-", '.', std::nullopt},
    {"two_points", "1.2.3", '.', std::nullopt},
    {"other_separator", "1,5", '.', std::nullopt},
    {"point_when_comma", "1.5", ',', std::nullopt},
    {"exponent", "1e5", '.', std::nullopt},
    {"infinity", "inf", '.', std::nullopt},
    {"not_a_number", "nan", '.', std::nullopt},
    {"c_hex", "0x1A", '.', std::nullopt},
    {"pascal_hex", "$1A", '.', std::nullopt},
    {"inner_blank", "1 5", '.', std::nullopt},
    {"tab_before", "\t1", '.', std::nullopt},
    {"tab_after", "1\t", '.', std::nullopt},
    {"two_minus", "--1", '.', std::nullopt},
    {"minus_after", "1-", '.', std::nullopt},
    {"too_large", "1" + std::string(6000, '0'), '.', std::nullopt},
    {"non_ascii",
     "1\xC2\xB7"
     "5",
     '.', std::nullopt},
    {"control_char",
     "\x7F"
     "1",
     '.', std::nullopt},
};

class StrToFloatTable : public ::testing::TestWithParam<FloatCase> {};

TEST_P(StrToFloatTable, AcceptsExactlyTheRealNumberForms) {
    const FloatCase& c = GetParam();
    long double value = -99;
    EXPECT_EQ(TryStrToFloat(c.text, c.separator, value), c.expected.has_value());
    if (c.expected) {
        EXPECT_EQ(value, *c.expected);
        EXPECT_EQ(StrToFloat(c.text, c.separator), *c.expected);
    } else {
        try {
            StrToFloat(c.text, c.separator);
            ADD_FAILURE() << "no error raised";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + c.text + "' is not a valid floating point value");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, StrToFloatTable, ::testing::ValuesIn(kFloatCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(StrToFloat, MinusZeroKeepsItsSign) {
    const long double value = StrToFloat("-0", '.');
    EXPECT_EQ(value, 0.0L);
    EXPECT_TRUE(std::signbit(value));
}

TEST(IntToStr, WritesPlainDecimal) {
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(7), "7");
    EXPECT_EQ(IntToStr(-128), "-128");
    EXPECT_EQ(IntToStr(-9223372036854775807LL - 1), "-9223372036854775808");
}

TEST(Exception, CarriesItsMessageOnly) {
    const EConvertError error("x");
    const Exception& base = error;
    EXPECT_STREQ(base.what(), "x");
    EXPECT_EQ(base.Message(), "x");
}

} // namespace
} // namespace tintwell
