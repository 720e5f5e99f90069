#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <stdexcept>
#include <string>

#include "core/conversions.h"
#include "core/exception.h"
#include "core/format_settings.h"
#include "support/scoped_global.h"

namespace tintwell {
namespace {

struct DateFormatCase {
    const char* name;
    const char* posix;
    const char* expected;
    char separator;
};
void PrintTo(const DateFormatCase& c, std::ostream* os) { *os << c.name << " '" << c.posix << "'"; }

const DateFormatCase kDateFormats[] = {
    {"c_locale", "%m/%d/%y", "mm/dd/yy", '/'},
    {"german", "%d.%m.%Y", "dd.mm.yyyy", '.'},
    {"iso", "%F", "yyyy-mm-dd", '-'},
    {"us_short", "%D", "mm/dd/yy", '/'},
    {"swedish", "%Y-%m-%d", "yyyy-mm-dd", '-'},
    {"unpadded_day", "%e/%m/%Y", "d/mm/yyyy", '/'},
    {"glibc_flag", "%-d.%-m.%Y", "dd.mm.yyyy", '.'},
    {"alternative_digits", "%Od/%Om/%Ey", "dd/mm/yy", '/'},
    {"month_name", "%d %b %Y", "dd mmm yyyy", '/'},
    {"percent_sign", "%d%%%m", "dd%mm", '%'},
    {"unknown_conversion_kept", "%d/%Q", "dd/%Q", '/'},
    {"dangling_percent", "%d.%", "dd.%", '.'},
    {"multibyte_literals", "%Y\xE5\xB9\xB4%m\xE6\x9C\x88", "yyyy\xE5\xB9\xB4mm\xE6\x9C\x88", '/'},
    {"empty", "", "", '/'},
};

class ShortDateFormatTable : public ::testing::TestWithParam<DateFormatCase> {};

TEST_P(ShortDateFormatTable, TranslatesPosixFormat) {
    const DateFormatCase& c = GetParam();
    const std::string format = ShortDateFormatFromPosix(c.posix);
    EXPECT_EQ(format, c.expected);
    EXPECT_EQ(DateSeparatorOf(format), c.separator);
}

INSTANTIATE_TEST_SUITE_P(, ShortDateFormatTable, ::testing::ValuesIn(kDateFormats),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(FormatSettings, CLocaleGivesPointAndSlash) {
    const TFormatSettings c = FormatSettingsFromLocale("C");
    EXPECT_EQ(c.DecimalSeparator, '.');
    EXPECT_EQ(c.DateSeparator, '/');
    EXPECT_EQ(c.ShortDateFormat, "mm/dd/yy");
}

TEST(FormatSettings, MissingLocaleFallsBackToC) {
    const TFormatSettings settings = FormatSettingsFromLocale("xx_NOWHERE.UTF-8");
    EXPECT_EQ(settings.DecimalSeparator, '.');
    EXPECT_EQ(settings.ShortDateFormat, "mm/dd/yy");
}

TEST(FormatSettings, ProcessWideSettingsDriveTheDefaultSeparator) {
    TFormatSettings comma = FormatSettings();
    comma.DecimalSeparator = ',';
    const test::TScopedGlobal<TFormatSettings> scope(SetFormatSettings, comma);
    EXPECT_EQ(StrToFloat("2,5"), 2.5L);
    EXPECT_THROW(StrToFloat("2.5"), EConvertError);
}

// The setter hands back what it replaced, and the tests' scope puts that back however the scope
// ends, a throw included.
TEST(FormatSettings, AScopedChangeIsUndoneWhenTheScopeThrows) {
    const TFormatSettings before = FormatSettings();
    TFormatSettings changed = before;
    changed.DecimalSeparator = before.DecimalSeparator == ',' ? '.' : ',';
    changed.ShortDateFormat = "yy|mm|dd";
    try {
        const test::TScopedGlobal<TFormatSettings> scope(SetFormatSettings, changed);
        EXPECT_EQ(scope.Saved().ShortDateFormat, before.ShortDateFormat);
        EXPECT_EQ(FormatSettings().ShortDateFormat, "yy|mm|dd");
        throw std::runtime_error("a check failed inside the scope");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(FormatSettings().DecimalSeparator, before.DecimalSeparator);
    EXPECT_EQ(FormatSettings().ShortDateFormat, before.ShortDateFormat);
}

} // namespace
} // namespace tintwell
