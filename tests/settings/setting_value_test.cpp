// The tagged setting value: its text form and its reading as an integer, which the placement
// restore relies on.
#include <gtest/gtest.h>

#include <limits>

#include "core/exception.h"
#include "settings/setting_value.h"

namespace tintwell {
namespace {

struct TextCase {
    const char* name;
    TSettingValue value;
    std::string expected;
};

const TextCase kTextCases[] = {
    {"empty", TSettingValue(), ""},
    {"null", TNull{}, ""},
    {"small_integer", std::int16_t{-7}, "-7"},
    {"integer", std::int32_t{-2147483647 - 1}, "-2147483648"},
    {"byte", std::uint8_t{3}, "3"},
    {"word", std::uint16_t{65535}, "65535"},
    {"long_word", std::uint32_t{4294967295u}, "4294967295"},
    {"int64", std::int64_t{-9000000000}, "-9000000000"},
    {"true", true, "True"},
    {"false", false, "False"},
    {"text", std::string("a b"), "a b"},
    {"double", 1.5, "1.5"},
    {"single_shortest", 0.1f, "0.1"},
    {"date_time", TDateTime{45000.25}, "45000.25"},
    {"currency", TCurrency{125000}, "12.5"},
    {"currency_small_negative", TCurrency{-5000}, "-0.5"},
    {"currency_whole", TCurrency{-30000}, "-3"},
    {"currency_four_places", TCurrency{10001}, "1.0001"},
};

class SettingTextOf : public ::testing::TestWithParam<TextCase> {};

TEST_P(SettingTextOf, IsItsDecimalOrStoredText) {
    EXPECT_EQ(SettingText(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(, SettingTextOf, ::testing::ValuesIn(kTextCases),
                         [](const auto& row) { return std::string(row.param.name); });

struct IntegerCase {
    const char* name;
    TSettingValue value;
    std::optional<std::int32_t> expected; // nothing: EConvertError
};

const IntegerCase kIntegerCases[] = {
    {"empty_is_zero", TSettingValue(), 0},
    {"text", std::string("-300"), -300},
    {"text_with_leading_blanks", std::string("  12"), 12},
    {"text_hex", std::string("$1F"), 31},
    {"text_not_a_number", std::string("abc"), std::nullopt},
    {"text_empty", std::string(""), std::nullopt},
    {"text_too_large", std::string("2147483648"), std::nullopt},
    {"true", true, 1},
    {"byte", std::uint8_t{2}, 2},
    {"half_to_even_down", 2.5, 2},
    {"half_to_even_up", 3.5, 4},
    {"negative_half", -2.5, -2},
    {"date_time", TDateTime{150.0}, 150},
    {"double_too_large", 1e10, std::nullopt},
    {"not_a_number", std::numeric_limits<double>::quiet_NaN(), std::nullopt},
    {"currency_half_to_even", TCurrency{25000}, 2},
    {"currency_half_up_to_even", TCurrency{35000}, 4},
    {"currency_negative_half", TCurrency{-35000}, -4},
    {"long_word_too_large", std::uint32_t{4294967295u}, std::nullopt},
    {"int64_in_range", std::int64_t{-5}, -5},
    {"int64_too_small", std::int64_t{-2147483649LL}, std::nullopt},
};

class SettingToIntegerOf : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(SettingToIntegerOf, ReadsOrRaises) {
    const IntegerCase& row = GetParam();
    if (row.expected) {
        EXPECT_EQ(SettingToInteger(row.value), *row.expected);
    } else {
        EXPECT_THROW(SettingToInteger(row.value), EConvertError);
    }
}

TEST(SettingToInteger, OutOfRangeReadsLikeATextThatIsNoNumber) {
    try {
        SettingToInteger(1e10);
        ADD_FAILURE() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'10000000000' is not a valid integer value");
    }
}

INSTANTIATE_TEST_SUITE_P(, SettingToIntegerOf, ::testing::ValuesIn(kIntegerCases),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace tintwell
